#include "files/unit_configuration_read.h"

#include "common/message_table.h"
#include "unit/unit_session.h"

#include <QTimer>

UnitConfigurationRead::UnitConfigurationRead(UnitSession& unitSession, QObject* parent)
    : QObject(parent), session(unitSession)
{
    MemoryTransfer& transfer = session.Transfer();
    connect(&transfer, &MemoryTransfer::transferFinished, this,
            &UnitConfigurationRead::OnTransferFinished);
    connect(&transfer, &MemoryTransfer::presetEmpty, this, [this](int number) {
        if (running && number == step)
            emptyStep = number;
    });
    connect(&transfer, &MemoryTransfer::transferFailed, this, [this](int, const QString& text) {
        if (running)
            transferMessage = text;
    });
    connect(&transfer, &MemoryTransfer::setupBlockRead, this, &UnitConfigurationRead::OnBlockRead);
    connect(&transfer, &MemoryTransfer::tunerPresetsRead, this,
            &UnitConfigurationRead::OnTunerPresets);
}

bool UnitConfigurationRead::Start(const ConfigurationParts& chosen)
{
    const LiveValues& live = session.Status();
    if (running || session.Transfer().State().savingToFile || !live.connected)
        return false;
    parts = chosen;
    configuration = UnitConfiguration{};
    configuration.modelText = live.facts.modelText;
    configuration.versionText = live.facts.versionText;
    configuration.speakerA = live.speakersA;
    configuration.speakerB = live.speakersB;
    running = true;
    step = -1;
    transferMessage.clear();
    // Names unknown since the connection (lost on the line) are asked first.
    auto* once = new QObject(this);
    connect(&session, &UnitSession::inputNamesSettled, once, [this, once] {
        delete once;
        BeginReads();
    });
    session.FetchUnknownInputNames();
    return true;
}

void UnitConfigurationRead::Cancel()
{
    if (!running)
        return;
    if (session.Transfer().IsBusy())
        session.Transfer().Abort(); // its transferFinished ends the read
    else
        End(false, MessageTable::Text(Message::TransferCancelled));
}

void UnitConfigurationRead::BeginReads()
{
    if (!running)
        return;
    if (!session.Status().connected) {
        End(false, MessageTable::Text(Message::ReadLost));
        return;
    }
    for (int i = 0; i < InputCount; ++i)
        configuration.inputNames[static_cast<std::size_t>(i)] = session.Live().InputCaption(i);
    StartStep(NextStep(-1));
}

int UnitConfigurationRead::NextStep(int after) const
{
    for (int number = after + 1; number <= TunerStep; ++number) {
        if ((number == 0 && parts.currentSetup) || parts.Preset(number) ||
            (number == TunerStep && parts.tuner))
            return number;
    }
    return TunerStep + 1;
}

void UnitConfigurationRead::StartStep(int number)
{
    if (!running)
        return;
    if (number > TunerStep) {
        End(true, QString());
        return;
    }
    step = number;
    emptyStep = -1;
    transferMessage.clear();
    MemoryTransfer& transfer = session.Transfer();
    transfer.SetSavingToFile(true);
    const bool started = number == 0           ? transfer.ReadCurrentSetup()
                         : number == TunerStep ? transfer.ReadTunerPresets()
                                               : transfer.ReadPreset(number);
    if (!started)
        End(false, transferMessage.isEmpty() ? MessageTable::Text(Message::BlocksMissing)
                                             : transferMessage);
}

void UnitConfigurationRead::OnBlockRead(int number, const SettingsImage& image)
{
    if (!running || number != step || number == TunerStep)
        return;
    if (number == 0)
        configuration.currentSetup = image;
    else
        configuration.presets[static_cast<std::size_t>(number - 1)] = image;
    PostNext(number);
}

void UnitConfigurationRead::OnTunerPresets(const TunerPresetList& presets)
{
    if (!running || step != TunerStep)
        return;
    configuration.tuner = presets;
    PostNext(TunerStep);
}

// A failed or aborted read ends it, unless it was an empty preset: the
// engine reports the emptiness right after transferFinished, so the verdict
// waits for the posted check.
void UnitConfigurationRead::OnTransferFinished(MemoryTransfer::Outcome outcome)
{
    if (!running || step < 0 || outcome == MemoryTransfer::Outcome::Completed)
        return;
    if (outcome == MemoryTransfer::Outcome::Aborted) {
        End(false, MessageTable::Text(Message::TransferCancelled));
        return;
    }
    const int failedStep = step;
    QTimer::singleShot(0, this, [this, failedStep] {
        if (!running || step != failedStep)
            return;
        if (emptyStep == failedStep)
            PostNext(failedStep);
        else
            End(false, transferMessage.isEmpty() ? MessageTable::Text(Message::BlocksMissing)
                                                 : transferMessage);
    });
}

void UnitConfigurationRead::PostNext(int finishedStep)
{
    QTimer::singleShot(0, this, [this, finishedStep] {
        if (running && step == finishedStep)
            StartStep(NextStep(finishedStep));
    });
}

void UnitConfigurationRead::End(bool read, const QString& error)
{
    running = false;
    step = -1;
    session.Transfer().SetSavingToFile(false);
    Q_EMIT finished(read, read ? configuration : UnitConfiguration{}, error);
}
