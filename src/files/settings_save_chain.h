#pragma once

#include "files/unit_configuration_read.h"

#include <QObject>
#include <QString>

#include <memory>

class SafeSave;

class UnitSession;

// "Save Settings" without a widget: reads the whole unit (UnitConfigurationRead:
// the current setup, A/V presets 1..5, the tuner presets; an empty preset is
// left out of the file) and writes it into a settings file.
//
// The file is written to a temporary beside the target and put in its place
// only when the whole read has succeeded and every byte of the text is on
// the disk: a cancelled read, a size mismatch, a lost unit or a write error
// (a full disk) end the chain and leave any earlier file of that name
// untouched. Exactly one `finished` follows every Start
// that returned true.
class SettingsSaveChain : public QObject
{
    Q_OBJECT

public:
    static constexpr int TunerStep = UnitConfigurationRead::TunerStep;

    explicit SettingsSaveChain(UnitSession& session, QObject* parent = nullptr);
    ~SettingsSaveChain() override;

    bool IsRunning() const { return running; }
    int Step() const { return read.Step(); }

    // Starts saving into `path`; the file records the speakers A and B as
    // the unit last reported them (off while the main room is off). False when it cannot start: a
    // chain runs, the unit is not connected or may not save (ErrorText is
    // empty then), or the file cannot be created (ErrorText says why).
    bool Start(const QString& path);
    // Stops the chain as a Cancel does: the running read is aborted.
    void Cancel();
    QString ErrorText() const { return error; }

Q_SIGNALS:
    // The chain has ended: saved, or not with the reason; `text` is the
    // message for the user.
    void finished(bool saved, const QString& text);

private:
    void OnRead(bool complete, const UnitConfiguration& configuration, const QString& why);
    void Fail(const QString& reason);

    UnitSession& session;
    UnitConfigurationRead read;
    std::unique_ptr<SafeSave> file;
    bool running = false;
    QString error;
};
