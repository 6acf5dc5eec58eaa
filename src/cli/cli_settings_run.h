#pragma once

#include "cli/cli_command_line.h"
#include "files/settings_load_run.h"
#include "files/settings_save_chain.h"
#include "files/unit_configuration_read.h"
#include "files/unit_write.h"

#include <QList>
#include <QObject>
#include <QStringList>

class UnitSession;

// The settings-file commands of the veltrix program on a connected unit:
// `save FILE` runs the Save Settings chain into FILE (put in place only when
// complete); `load FILE` runs Load Settings, the model question answered by
// --yes (without it a file of another model writes nothing), --dry-run lists
// the writes and sends none, --only restricts it to some parts, and --verify
// reads back, fresh from the unit as a save reads it, every part written and
// names each field that does not hold what the file says; `diff FILE`
// compares the unit with the file and writes nothing.
class CliSettingsRun : public QObject
{
    Q_OBJECT

public:
    // `fileBytes`: load and diff, the file as the command line read it.
    CliSettingsRun(UnitSession& session, const CliRequest& request, const QByteArray& fileBytes,
                   QObject* parent = nullptr);

    // Runs the command; `finished` follows exactly once.
    void Start();
    // The load it runs (tests set its pauses and encoder here).
    SettingsLoadRun& LoadRun() { return load; }

    // One line of a dry run: what the write changes and, for memory, its
    // bytes in hexadecimal after " | ".
    static QString Describe(const UnitWrite& write);
    // `diff FILE1 FILE2`, without a unit: the lines for the output stream,
    // true when the files hold the same; `error` when a file cannot be used.
    // Each file is read once.
    static bool DiffFiles(const CliRequest& request, QStringList* results, QString* error);

Q_SIGNALS:
    // ok: done as asked. `results` are for the output stream; `error`, when
    // not ok, is the one line for the error stream.
    void finished(bool ok, const QStringList& results, const QString& error);

private:
    void StartSave();
    void StartLoad();
    void StartDiff();
    void OnLoadFinished(bool complete, const QStringList& messages);
    void OnUnitRead(bool read, const UnitConfiguration& unit, const QString& why);
    void End(bool ok, const QString& error = QString());

    UnitSession& session;
    CliRequest request;
    QByteArray fileBytes;
    SettingsSaveChain chain;
    SettingsLoadRun load;
    UnitConfigurationRead unitRead;
    QStringList results;
    QString question;       // the model question the file raised, when it did
    UnitConfiguration file; // diff: what the file holds
    ConfigurationParts compared = ConfigurationParts::None();
    bool verifying = false; // the read after a load
    bool ended = false;
};
