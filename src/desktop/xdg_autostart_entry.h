#pragma once

#include "desktop/autostart_entry.h"

// The log-on entry of freedesktop.org desktops: the file
// veltrix-pc-interface.desktop in $XDG_CONFIG_HOME/autostart (by default
// ~/.config/autostart), whose Exec line runs the program with "/run".
class XdgAutostartEntry : public AutostartEntry
{
public:
    static constexpr const char* FileName = "veltrix-pc-interface.desktop";

    // The entry under `configHome`; an empty folder means the user's
    // configuration folder as the environment gives it.
    explicit XdgAutostartEntry(const QString& configHome = {});

    std::optional<bool> Exists() const override;
    bool Write(const QString& program) override;
    bool Remove() override;

    // The entry's path; empty when no configuration folder is known.
    QString FilePath() const;

    // The Exec value that runs `program` with the switch: the path quoted
    // and escaped as desktop entries require when it holds a reserved
    // character. Empty for a path with a control character, which an Exec
    // line cannot carry.
    static QString ExecLine(const QString& program);

private:
    QString configHome;
};
