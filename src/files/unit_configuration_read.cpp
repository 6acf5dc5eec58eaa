#include "files/unit_configuration_read.h"

#include "common/message_table.h"
#include "unit/unit_session.h"

#include <QTimer>

UnitConfigurationRead::UnitConfigurationRead(UnitSession& unitSession, QObject* parent)
    : QObject(parent), session(unitSession)
{}

bool UnitConfigurationRead::Start(const ConfigurationParts& chosen)
{
    const LiveValues& live = session.Status();
    if (running || !live.connected)
        return false;
    parts = chosen;
    configuration = UnitConfiguration{};
    configuration.modelText = live.facts.modelText;
    configuration.versionText = live.facts.versionText;
    configuration.speakerA = live.speakersA;
    configuration.speakerB = live.speakersB;
    running = true;
    step = -1;
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
        session.Transfer().Abort(); // the step's Aborted result ends the read
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
    // A refused read ends the read inside the call.
    const TransferDone done = ResultTo(this, [this, number](const TransferResult& result) {
        if (running && step == number)
            OnResult(number, result);
    });
    MemoryTransfer& transfer = session.Transfer();
    if (number == 0)
        transfer.ReadCurrentSetup(done);
    else if (number == TunerStep)
        transfer.ReadTunerPresets(done);
    else
        transfer.ReadPreset(number, done);
}

// An empty preset stays out of the configuration and the read goes on; any
// other end but the data ends the read.
void UnitConfigurationRead::OnResult(int number, const TransferResult& result)
{
    switch (result.kind) {
    case TransferResult::Kind::DataRead:
        if (number == TunerStep)
            configuration.tuner = result.tuner;
        else if (number == 0)
            configuration.currentSetup = result.image;
        else
            configuration.presets[static_cast<std::size_t>(number - 1)] = result.image;
        PostNext(number);
        return;
    case TransferResult::Kind::PresetEmpty:
        PostNext(number);
        return;
    case TransferResult::Kind::Aborted:
        End(false, MessageTable::Text(Message::TransferCancelled));
        return;
    case TransferResult::Kind::Written:
    case TransferResult::Kind::Failed:
        break;
    }
    // Said once the engine's call has returned: a lost unit reaches every
    // view (and the message its box) before the verdict does.
    const QString why =
        result.Text().isEmpty() ? MessageTable::Text(Message::BlocksMissing) : result.Text();
    QTimer::singleShot(0, this, [this, number, why] {
        if (running && step == number)
            End(false, why);
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
    Q_EMIT finished(read, read ? configuration : UnitConfiguration{}, error);
}
