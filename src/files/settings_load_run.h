#pragma once

#include "files/unit_write.h"
#include "model/unit_configuration.h"
#include "transfer/memory_transfer.h"
#include "unit/input_renamer.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

class UnitSession;

// "Load Settings" without a widget: reads a settings file into its
// configuration, reads the unit's AM step flag when tuner presets are to be
// written (the unit decodes every AM word with its own step), plans the
// writes (LoadPlan) and executes them in order, each finished before the next
// starts (a rename, until the unit reports the new name, then its pause; an
// EEPROM write or the live setup, until its own result). The
// question the file may raise goes to the asker; the messages leave with
// `finished`.
//
// A write that fails or is cancelled stops the run (a rename fails when the
// unit never reports the new name): nothing after it is sent, and the
// message says how many writes were made and which part was not. A model
// question answered No writes nothing at all. A dry run reads the step flag
// too, so its writes are exactly those a load would send.
class SettingsLoadRun : public QObject
{
    Q_OBJECT

public:
    // Answers a Yes/No question; true on Yes.
    using Asker = std::function<bool(const QString& question)>;

    explicit SettingsLoadRun(UnitSession& session, QObject* parent = nullptr);

    InputRenamer& Renamer() { return renamer; }
    // The pause after each rename, in place of the file's (tests that run
    // every timer faster); negative: the file's.
    void SetRenamePause(int milliseconds) { renamePause = milliseconds; }

    void SetAsker(Asker ask) { asker = std::move(ask); }
    bool IsRunning() const { return running; }
    // Writes made by the run so far.
    int Done() const { return done; }

    // Reads `path` (a name as LocalFile takes it; a regular file of at most
    // SettingsFileReader::MaxFileSize) and starts its writes; a dry run
    // makes none and ends with the list in Writes. False when nothing was
    // started: a run or a save is going on, the unit is not connected or
    // may not load (ErrorText empty then), or the file cannot be read
    // (ErrorText says why). Otherwise exactly one `finished` follows, also
    // when the file gives nothing to write.
    // Only the parts chosen are written.
    bool Start(const QString& path, bool dryRun = false,
               const ConfigurationParts& parts = ConfigurationParts{});
    // Start for a file already read: its bytes.
    bool StartWith(const QByteArray& file, bool dryRun, const ConfigurationParts& parts);
    // The writes of the file last started, kept after the run.
    const QList<UnitWrite>& Writes() const { return writes; }
    // What the file holds, and the parts of it the run writes.
    const UnitConfiguration& Configuration() const { return configuration; }
    ConfigurationParts Written() const { return written; }
    // Plans the writes for this AM step in place of the unit's (a test's
    // broken encoder); 0, the default: the unit's.
    void SetEncodingStep(int step) { encodingStep = step; }
    QString ErrorText() const { return error; }

    // The text of a message of the reader, its arguments filled in.
    static QString NoticeText(int id, const QStringList& args);

Q_SIGNALS:
    // Every write was made (complete), or the run stopped early or had
    // nothing to write; `messages` are for the user, in order.
    void finished(bool complete, const QStringList& messages);

private:
    bool MayStart() const;
    void ReadUnitStep();
    void StepUnread();
    void Plan(int unitAmStep);
    void Next();
    void OnWritten(const TransferResult& result);
    void OnRenamed(int index, bool confirmed);
    void Stop(bool complete, QStringList messages);
    QString PartText(const UnitWrite& write) const;

    UnitSession& session;
    InputRenamer renamer;
    Asker asker;
    QList<UnitWrite> writes;
    UnitConfiguration configuration;
    ConfigurationParts chosen;
    ConfigurationParts written = ConfigurationParts::None();
    bool awaitingStep = false; // the AM step flag read runs
    int stepTries = 0;
    int encodingStep = 0;
    QStringList closing; // the reader's messages, shown at the end
    int done = 0;
    bool loaded = false; // the reader gave the writes of the whole file
    bool running = false;
    bool dry = false;
    bool awaiting = false; // the current write waits for its result or renamed
    int renamePause = -1;
    QString error;
};
