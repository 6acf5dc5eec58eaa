#include "files/settings_save_chain.h"

#include "common/message_table.h"
#include "files/settings_file_gate.h"
#include "files/settings_file_writer.h"
#include "setup/setup_fields.h"
#include "setup/setup_flags.h"
#include "setup/setup_flow.h"
#include "unit/unit_session.h"

#include <QSaveFile>
#include <QTimer>

SettingsSaveChain::SettingsSaveChain(UnitSession& unitSession, SetupFlow& flow, QObject* parent)
    : QObject(parent), session(unitSession)
{
    flow.SetSaveConsumer(
        [this](int number, const SettingsImage& image, const SetupFields& fields,
               const SetupFlags& flags) { OnBlock(number, image, fields, flags); });
    MemoryTransfer& transfer = session.Transfer();
    connect(&transfer, &MemoryTransfer::transferFinished, this,
            &SettingsSaveChain::OnTransferFinished);
    connect(&transfer, &MemoryTransfer::presetEmpty, this, [this](int number) {
        if (running && number == step)
            emptyStep = number;
    });
    connect(&transfer, &MemoryTransfer::transferFailed, this, [this](int, const QString& text) {
        if (running)
            transferMessage = text;
    });
    connect(&transfer, &MemoryTransfer::tunerPresetsRead, this, &SettingsSaveChain::OnTunerPresets);
}

SettingsSaveChain::~SettingsSaveChain() = default;

bool SettingsSaveChain::Start(const QString& path)
{
    error.clear();
    MemoryTransfer& transfer = session.Transfer();
    const LiveValues& live = session.Status();
    if (running || transfer.State().savingToFile || !live.connected ||
        SettingsFileGate::SaveRefusal(live.facts) != 0)
        return false;

    file = std::make_unique<QSaveFile>(path);
    // Bytes as they are: the writer puts every line end itself.
    if (!file->open(QIODevice::WriteOnly)) {
        error = MessageTable::Text(Message::FileUnwritable).arg(file->errorString());
        file.reset();
        return false;
    }
    writer = std::make_unique<SettingsFileWriter>(
        *file, SettingsFileWriter::Unit::Of(live.facts, live.speakersA, live.speakersB));
    running = true;
    step = -1;
    transferMessage.clear();

    // The names go into the file: any still unknown are asked for first.
    auto* once = new QObject(this);
    connect(&session, &UnitSession::inputNamesSettled, once, [this, once] {
        delete once;
        BeginReads();
    });
    session.FetchUnknownInputNames();
    return true;
}

void SettingsSaveChain::Cancel()
{
    if (!running)
        return;
    if (session.Transfer().IsBusy())
        session.Transfer().Abort(); // its transferFinished ends the chain
    else
        Fail(MessageTable::Text(Message::TransferCancelled));
}

void SettingsSaveChain::BeginReads()
{
    if (!running)
        return;
    if (!session.Status().connected) {
        Fail(MessageTable::Text(Message::ReadLost));
        return;
    }
    session.Transfer().SetSavingToFile(true);
    StartStep(0);
}

void SettingsSaveChain::StartStep(int number)
{
    if (!running)
        return;
    step = number;
    emptyStep = -1;
    transferMessage.clear();
    MemoryTransfer& transfer = session.Transfer();
    transfer.SetSavingToFile(true);
    const bool started = number == 0           ? transfer.ReadCurrentSetup()
                         : number == TunerStep ? transfer.ReadTunerPresets()
                                               : transfer.ReadPreset(number);
    if (!started)
        Fail(transferMessage.isEmpty() ? MessageTable::Text(Message::BlocksMissing)
                                       : transferMessage);
}

void SettingsSaveChain::OnBlock(int number, const SettingsImage& image, SetupFields fields,
                                const SetupFlags& flags)
{
    if (!running || number != step)
        return;
    for (int i = 0; i < InputCount; ++i) {
        const QString caption = session.Live().InputCaption(i);
        fields.input.names[static_cast<std::size_t>(i)] = caption;
        fields.surround.names[static_cast<std::size_t>(i)] = caption;
    }
    if (!writer->WriteSettingsBlock(number, image, fields, flags)) {
        Fail(MessageTable::Text(Message::FileUnwritable).arg(writer->ErrorString()));
        return;
    }
    PostNext(number);
}

void SettingsSaveChain::OnTunerPresets(const TunerPresetList& presets)
{
    if (!running || step != TunerStep)
        return;
    if (!writer->WriteTunerPresets(presets)) {
        Fail(MessageTable::Text(Message::FileUnwritable).arg(writer->ErrorString()));
        return;
    }
    PostNext(TunerStep);
}

// A failed or aborted read ends the chain, unless it was an empty preset:
// the engine reports the emptiness right after transferFinished, so the
// verdict waits for the posted check.
void SettingsSaveChain::OnTransferFinished(MemoryTransfer::Outcome outcome)
{
    if (!running || step < 0 || outcome == MemoryTransfer::Outcome::Completed)
        return;
    if (outcome == MemoryTransfer::Outcome::Aborted) {
        Fail(MessageTable::Text(Message::TransferCancelled));
        return;
    }
    const int failedStep = step;
    QTimer::singleShot(0, this, [this, failedStep] {
        if (!running || step != failedStep)
            return;
        if (emptyStep == failedStep)
            PostNext(failedStep);
        else
            Fail(transferMessage.isEmpty() ? MessageTable::Text(Message::BlocksMissing)
                                           : transferMessage);
    });
}

void SettingsSaveChain::PostNext(int finishedStep)
{
    QTimer::singleShot(0, this, [this, finishedStep] {
        if (!running || step != finishedStep)
            return;
        if (finishedStep >= TunerStep)
            Complete();
        else
            StartStep(finishedStep + 1);
    });
}

void SettingsSaveChain::Complete()
{
    const bool written = writer->WriteEnd();
    const QString reason = writer->ErrorString();
    if (!written || !file->commit()) {
        Fail(MessageTable::Text(Message::FileUnwritable)
                 .arg(written ? file->errorString() : reason));
        return;
    }
    running = false;
    step = -1;
    session.Transfer().SetSavingToFile(false);
    writer.reset();
    file.reset();
    Q_EMIT finished(true, MessageTable::Text(Message::SettingsSaved));
}

void SettingsSaveChain::Fail(const QString& reason)
{
    running = false;
    step = -1;
    session.Transfer().SetSavingToFile(false);
    writer.reset();
    if (file)
        file->cancelWriting();
    file.reset(); // the temporary is removed; an earlier file stays as it was
    Q_EMIT finished(false, MessageTable::Text(Message::SaveIncomplete).arg(reason));
}
