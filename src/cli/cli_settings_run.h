#pragma once

#include "cli/cli_command_line.h"
#include "files/settings_load_run.h"
#include "files/settings_save_chain.h"
#include "files/unit_write.h"
#include "setup/setup_flow.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QStringList>

class UnitSession;

// The settings-file commands of the veltrix program on a connected unit:
// `save FILE` runs the Save Settings chain into FILE (put in place only when
// complete); `load FILE` runs Load Settings, the model question answered by
// --yes (without it a file of another model writes nothing), --dry-run lists
// the writes and sends none, and --verify reads back every region written
// and names each byte or input name that differs.
class CliSettingsRun : public QObject
{
    Q_OBJECT

public:
    CliSettingsRun(UnitSession& session, const CliRequest& request, QObject* parent = nullptr);

    // Runs the command; `finished` follows exactly once.
    void Start();

    // One line of a dry run: what the write changes and, for memory, its
    // bytes in hexadecimal after " | ".
    static QString Describe(const UnitWrite& write);

Q_SIGNALS:
    // ok: done as asked. `results` are for the output stream; `error`, when
    // not ok, is the one line for the error stream.
    void finished(bool ok, const QStringList& results, const QString& error);

private:
    void StartSave();
    void StartLoad();
    void OnLoadFinished(bool complete, const QStringList& messages);
    void VerifyNext();
    void Compare(const QString& region, int first, const QByteArray& written,
                 const QByteArray& held);
    void End(bool ok, const QString& error = QString());

    UnitSession& session;
    CliRequest request;
    SetupFlow flow;
    SettingsSaveChain chain;
    SettingsLoadRun load;
    QStringList results;
    QString question;        // the model question the file raised, when it did
    QString transferMessage; // the engine's last message
    QByteArray writtenTuner; // the tuner image as the load wrote it
    int verifyIndex = -1;    // the write being read back
    QStringList differences; // where the unit differs from the writes
    bool ended = false;
};
