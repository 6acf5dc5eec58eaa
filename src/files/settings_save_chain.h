#pragma once

#include "model/settings_image.h"
#include "model/tuner_preset_list.h"
#include "transfer/memory_transfer.h"

#include <QObject>
#include <QString>

#include <memory>

class QSaveFile;
class SettingsFileWriter;
class SetupFlow;
class UnitSession;
struct SetupFields;
struct SetupFlags;

// "Save Settings" without a widget: reads the whole unit and writes it into
// a settings file, one block as each read completes. The steps are the
// current setup (0), A/V presets 1..5 and the tuner presets (6); an empty
// preset is left out of the file and the chain goes on. Each next step is
// posted, so a read never starts inside the slots of the one that ended.
//
// The file is written to a temporary beside the target and put in its place
// only when the whole chain has succeeded: a cancelled read, a size
// mismatch, a lost unit or a write error end the chain, clear the saving
// flag and leave any earlier file of that name untouched. Exactly one
// `finished` follows every Start that returned true.
//
// The setup flow hands the chain each block while the saving flag is set;
// the chain owns the flow's save consumer.
class SettingsSaveChain : public QObject
{
    Q_OBJECT

public:
    static constexpr int TunerStep = 6;

    SettingsSaveChain(UnitSession& session, SetupFlow& flow, QObject* parent = nullptr);
    ~SettingsSaveChain() override;

    bool IsRunning() const { return running; }
    int Step() const { return step; }

    // Starts saving into `path`; the file records the speakers A and B as
    // the unit last reported them (off while the main room is off). False when it cannot start: a
    // chain runs, the saving flag is set, the unit is not connected or may not save (ErrorText is
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
    void BeginReads();
    void StartStep(int number);
    void OnBlock(int number, const SettingsImage& image, SetupFields fields,
                 const SetupFlags& flags);
    void OnTunerPresets(const TunerPresetList& presets);
    void OnTransferFinished(MemoryTransfer::Outcome outcome);
    void PostNext(int finishedStep);
    void Complete();
    void Fail(const QString& reason);

    UnitSession& session;
    std::unique_ptr<QSaveFile> file;
    std::unique_ptr<SettingsFileWriter> writer;
    bool running = false;
    int step = -1;
    int emptyStep = -1;      // the step whose preset the unit reported empty
    QString transferMessage; // the last message of a failed transfer
    QString error;
};
