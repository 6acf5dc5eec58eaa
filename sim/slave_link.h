#pragma once

#include <QString>

// A symbolic link under a fixed name that points at the current slave path,
// so the program can be told one path across restarts. Only a symlink is
// ever replaced or removed: a regular file or a folder of that name is left
// alone.
class SlaveLink
{
public:
    explicit SlaveLink(const QString& path = QString()) : linkPath(path) {}

    bool IsSet() const { return !linkPath.isEmpty(); }
    const QString& Path() const { return linkPath; }
    // Points the link at target, replacing an earlier symlink.
    bool Make(const QString& target, QString* error);
    // Removes the link if it still points at what Make gave it.
    void Remove();

private:
    QString linkPath;
    QString madeTarget;
};
