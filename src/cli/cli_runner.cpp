#include "cli/cli_runner.h"

#include "cli/cli_live_verb.h"
#include "cli/cli_settings_run.h"
#include "common/local_file.h"
#include "common/message_table.h"
#include "common/text.h"
#include "files/settings_file_reader.h"
#include "link/protocol_trace.h"
#include "tuner/tuner_preset_file.h"
#include "tuner/tuner_presets_flow.h"

#include <utility>

namespace {

constexpr int IdlePollMs = 50;

QString Seconds(int ms)
{
    return QString::number((ms + 999) / 1000);
}

} // namespace

CliRunner::CliRunner(const CliRequest& cliRequest, UnitSession* shared, QObject* parent)
    : QObject(parent), request(cliRequest),
      ownedSession(shared ? nullptr : std::make_unique<UnitSession>()),
      session(shared ? *shared : *ownedSession)
{
    progress = std::make_unique<CliProgress>(streams.err, streams.errIsTerminal, request.quiet);
    answerTimer.setSingleShot(true);
    silenceTimer.setSingleShot(true);
    connect(&answerTimer, &QTimer::timeout, this, [this] {
        QString line = MessageTable::Text(Message::CliNoUnit)
                           .arg(session.PortSetting(), Seconds(settings.answerLimit));
        // Why the named port's last attempt failed, if it did.
        const UnitLink& link = session.Link();
        if (portOpenFailed && session.PortSetting() != QLatin1String(UnitSession::AutoDetect) &&
            link.LastOpenFailure() != SerialPort::OpenFailure::None)
            line += QStringLiteral(" (%1)").arg(
                SerialPort::OpenFailureText(SerialPort::DevicePath(session.PortSetting()),
                                            link.LastOpenFailure(), link.LastOpenHolder()));
        Fail(line);
    });
    connect(&silenceTimer, &QTimer::timeout, this, [this] {
        // Said first: the abort's own result then finds the command ended.
        Fail(MessageTable::Text(Message::CliUnitSilent).arg(Seconds(settings.silenceLimit)));
        session.Transfer().Abort();
    });
    idlePoll.setInterval(IdlePollMs);
    connect(&idlePoll, &QTimer::timeout, this, &CliRunner::TryPendingStart);

    UnitLink& link = session.Link();
    connect(&link, &UnitLink::payloadReceived, this, [this] {
        if (step != Step::Connecting && step != Step::Done)
            silenceTimer.start(settings.silenceLimit);
    });
    LiveStatus& live = session.Live();
    connect(&live, &LiveStatus::identified, this, &CliRunner::OnIdentified);
    connect(&live, &LiveStatus::connectionShown, this, &CliRunner::OnConnectionShown);
    connect(&session, &UnitSession::inputNamesSettled, this, &CliRunner::OnHandshakeSettled);
    connect(&session, &UnitSession::portOpenFailed, this, [this] { portOpenFailed = true; });

    MemoryTransfer& transfer = session.Transfer();
    connect(&transfer, &MemoryTransfer::transferStarted, this, &CliRunner::OnTransferStarted);
    connect(&transfer, &MemoryTransfer::progressChanged, this,
            [this](int percent) { progress->Update(percent); });
    connect(&transfer, &MemoryTransfer::transferFinished, this, &CliRunner::OnTransferFinished);
    // The last message the user was told, for a lost connection that ends a
    // settings command: the command hears of it only after the views.
    connect(&transfer, &MemoryTransfer::transferFailed, this,
            [this](int, const QString& text) { transferMessage = text; });
}

CliRunner::~CliRunner() = default;

void CliRunner::SetSettings(const Settings& newSettings)
{
    settings = newSettings;
    if (ownedSession)
        session.SetTiming(settings.timing);
}

void CliRunner::SetStreams(const Streams& newStreams)
{
    streams = newStreams;
    progress = std::make_unique<CliProgress>(streams.err, streams.errIsTerminal, request.quiet);
}

void CliRunner::Print(const QString& line)
{
    std::fprintf(streams.out, "%s\n", LocalFile::Encode(line).constData());
    std::fflush(streams.out);
}

void CliRunner::Start()
{
    switch (request.command) {
    case CliRequest::Command::Diff:
        if (!request.file2.isEmpty()) {
            // Two files: no unit, no port.
            QStringList results;
            QString error;
            const bool same = CliSettingsRun::DiffFiles(request, &results, &error);
            for (const QString& line : results)
                Print(line);
            Finish(same ? ExitDone : ExitFailed, error);
            return;
        }
        [[fallthrough]];
    case CliRequest::Command::Load: {
        // Read once, before the port is opened; the command uses these bytes.
        QString error;
        if (!LocalFile::ReadAll(request.file, SettingsFileReader::MaxFileSize, "a settings file",
                                &fileBytes, &error)) {
            Fail(MessageTable::Text(Message::CliFailed)
                     .arg(request.file + QStringLiteral(": ") + error));
            return;
        }
        break;
    }
    case CliRequest::Command::PresetsLoad: {
        // A file that cannot be used fails before the port is opened.
        QString error;
        const TunerPresetFile::Outcome outcome =
            TunerPresetFile::Load(request.file, fileList, &error);
        switch (outcome) {
        case TunerPresetFile::Outcome::Done:
            break;
        case TunerPresetFile::Outcome::NotTunerPresetFile:
        case TunerPresetFile::Outcome::CutOff: {
            const int message = outcome == TunerPresetFile::Outcome::CutOff
                                    ? Message::TunerFileCutOff
                                    : Message::NotTunerPresetFile;
            Fail(MessageTable::Text(Message::CliFailed)
                     .arg(request.file + QStringLiteral(": ") + MessageTable::Text(message)));
            return;
        }
        case TunerPresetFile::Outcome::Failed:
            Fail(
                MessageTable::Text(Message::CliFailed)
                    .arg(
                        MessageTable::Text(Message::TunerFileUnreadable).arg(request.file, error)));
            return;
        }
        break;
    }
    case CliRequest::Command::Status:
    case CliRequest::Command::Save:
    case CliRequest::Command::PresetsSave:
    case CliRequest::Command::Live:
    case CliRequest::Command::Watch:
        break;
    case CliRequest::Command::Help:
    case CliRequest::Command::Version:
        Finish(ExitDone);
        return;
    }
    StartTrace();
    step = Step::Connecting;
    answerTimer.start(settings.answerLimit);
    if (!ownedSession) {
        // The program's session: a connected unit has had its handshake;
        // the names it may still lack are asked for, as a save would.
        if (session.Status().connected) {
            OnIdentified();
            session.FetchUnknownInputNames();
        }
        return;
    }
    session.SetPortSetting(request.port.isEmpty() ? defaultPort : request.port);
    session.Start();
}

void CliRunner::StartTrace()
{
    if (request.tracePath.isEmpty())
        return;
    trace = new ProtocolTrace(session.Link(), this);
    const auto warn = [this](const QString& reason) {
        std::fprintf(streams.err, "%s\n",
                     LocalFile::Encode(
                         MessageTable::Text(Message::CliTraceFailed).arg(request.tracePath, reason))
                         .constData());
    };
    connect(trace, &ProtocolTrace::traceStopped, this, warn);
    connect(&session.Transfer(), &MemoryTransfer::requestResent, trace, &ProtocolTrace::NoteResend);
    if (!trace->Open(request.tracePath))
        warn(trace->ErrorString());
}

void CliRunner::OnIdentified()
{
    if (step != Step::Connecting)
        return;
    answerTimer.stop();
    step = Step::Handshake;
    silenceTimer.start(settings.silenceLimit);
}

void CliRunner::OnConnectionShown(bool connected)
{
    if (connected || step == Step::Connecting || step == Step::Idle || step == Step::Done)
        return;
    // A transfer in flight has already ended with its own message.
    Fail(transferMessage.isEmpty() ? MessageTable::Text(Message::CliConnectionLost)
                                   : MessageTable::Text(Message::CliFailed).arg(transferMessage));
}

void CliRunner::OnHandshakeSettled()
{
    if (step != Step::Handshake || !session.Status().connected)
        return;
    switch (request.command) {
    case CliRequest::Command::Status:
        RunStatus();
        break;
    case CliRequest::Command::Live:
        RunLive();
        break;
    case CliRequest::Command::Watch:
        RunWatch();
        break;
    case CliRequest::Command::PresetsSave:
        RunPresetsSave();
        break;
    case CliRequest::Command::PresetsLoad:
        RunPresetsLoad();
        break;
    case CliRequest::Command::Save:
    case CliRequest::Command::Load:
    case CliRequest::Command::Diff:
        RunSettings();
        break;
    case CliRequest::Command::Help:
    case CliRequest::Command::Version:
        break;
    }
}

// ------------------------------------------------------------------ commands

void CliRunner::PrintStatus(const QList<StatusField>& fields)
{
    if (request.json) {
        Print(CliStatusReport::JsonLine(CliStatusReport::Json(fields)));
        return;
    }
    for (const QString& line : CliStatusReport::Lines(fields))
        Print(line);
}

void CliRunner::RunStatus()
{
    PrintStatus(CliStatusReport::Fields(session));
    Finish(ExitDone);
}

void CliRunner::RunLive()
{
    auto* run = new CliLiveVerbRun(session, request.verb, settings.reportLimit, this);
    connect(run, &CliLiveVerbRun::finished, this, [this, run](bool ok, const QString& error) {
        if (!ok) {
            Fail(error);
            return;
        }
        const QList<StatusField> fields = CliStatusReport::Fields(session);
        PrintStatus(request.json ? fields
                                 : CliStatusReport::Select(fields, run->Section(), run->Key()));
        Finish(ExitDone);
    });
    step = Step::Live;
    run->Start();
}

void CliRunner::RunWatch()
{
    step = Step::Live;
    watched = CliStatusReport::Fields(session);
    if (!request.quiet) {
        std::fprintf(streams.err, "veltrix: watching the %s on %s; Ctrl-C ends\n",
                     qPrintable(session.Status().facts.modelText),
                     qPrintable(session.Link().PortName()));
        std::fflush(streams.err);
    }
    // After the session's own handling of the report, so the values hold it.
    connect(&session.Link(), &UnitLink::payloadReceived, this, [this] {
        if (step != Step::Live)
            return;
        const QList<StatusField> now = CliStatusReport::Fields(session);
        for (const StatusField& field : CliStatusReport::Changes(watched, now)) {
            if (request.json)
                Print(CliStatusReport::JsonLine(CliStatusReport::Json({field})));
            else
                Print(field.Line());
        }
        watched = now;
    });
}

bool CliRunner::Supported()
{
    const ModelFacts& facts = session.Status().facts;
    if (facts.IsSupportedModel())
        return true;
    Fail(MessageTable::Text(Message::CliUnsupported)
             .arg(session.Link().PortName(), facts.modelText));
    return false;
}

void CliRunner::RunPresetsSave()
{
    if (!Supported())
        return;
    presetsFlow = new TunerPresetsFlow(session, this);
    presetsFlow->SetEditor([this](TunerPresetList& presets) {
        QString error;
        if (TunerPresetFile::Save(request.file, presets, &error) != TunerPresetFile::Outcome::Done)
            editError = MessageTable::Text(Message::TunerFileUnwritable).arg(request.file, error);
        else
            Print(QStringLiteral("saved %1 FM and %2 AM presets to %3")
                      .arg(presets.FmPresets().size())
                      .arg(presets.AmPresets().size())
                      .arg(request.file));
        return false; // nothing goes back to the unit
    });
    connect(presetsFlow, &TunerPresetsFlow::editorClosed, this, &CliRunner::OnEditorClosed);
    connect(presetsFlow, &TunerPresetsFlow::readEnded, this, &CliRunner::OnPresetsTransfer);
    step = Step::Reading;
    StartWhenIdle([this] { return presetsFlow->Open(); });
}

void CliRunner::RunPresetsLoad()
{
    if (!Supported())
        return;
    presetsFlow = new TunerPresetsFlow(session, this);
    // The unit's presets are read first, as the dialog does, so the write
    // uses the unit's AM step; the file's presets then replace them (names
    // longer than the unit keeps are cut by the encoder).
    presetsFlow->SetEditor([this](TunerPresetList& presets) {
        const int unitStep = presets.AmStepSize();
        presets = fileList;
        // On the unit's channels, and said once when that changed any.
        presets.SetAmStepSize(unitStep);
        if (const int changed = presets.SnapToUnit())
            Print(Text::OneLine(
                MessageTable::Text(Message::TunerPresetsSnapped).arg(changed).arg(unitStep)));
        return true;
    });
    connect(presetsFlow, &TunerPresetsFlow::editorClosed, this, &CliRunner::OnEditorClosed);
    connect(presetsFlow, &TunerPresetsFlow::readEnded, this, &CliRunner::OnPresetsTransfer);
    connect(presetsFlow, &TunerPresetsFlow::written, this, &CliRunner::OnPresetsTransfer);
    connect(presetsFlow, &TunerPresetsFlow::writeStarted, this, [this](bool started) {
        if (!started)
            Fail(MessageTable::Text(Message::CliFailed)
                     .arg(transferMessage.isEmpty() ? QStringLiteral("the write could not start")
                                                    : transferMessage));
    });
    step = Step::Reading;
    StartWhenIdle([this] { return presetsFlow->Open(); });
}

void CliRunner::RunSettings()
{
    if (!Supported())
        return;
    settingsRun = new CliSettingsRun(session, request, fileBytes, this);
    connect(settingsRun, &CliSettingsRun::finished, this,
            [this](bool ok, const QStringList& results, const QString& error) {
                for (const QString& line : results)
                    Print(line);
                if (ok)
                    Finish(ExitDone);
                else
                    Fail(error);
            });
    step = Step::Settings;
    StartWhenIdle([this] {
        settingsRun->Start();
        return true;
    });
}

// ----------------------------------------------------------------- transfers

void CliRunner::StartWhenIdle(std::function<bool()> start)
{
    // The handshake's block-size read may still run; the command's own
    // transfer starts when it has ended.
    pendingStart = std::move(start);
    idlePoll.start();
    TryPendingStart();
}

void CliRunner::TryPendingStart()
{
    if (!pendingStart)
        return;
    if (!ownedSession && session.Transfer().IsBusy()) {
        pendingStart = nullptr;
        Fail(MessageTable::Text(Message::CliFailed)
                 .arg(QStringLiteral("the program is busy with another transfer; try again when "
                                     "it has ended")));
        return;
    }
    if (session.Transfer().IsBusy())
        return;
    idlePoll.stop();
    startedTransfer = true;
    if (!std::exchange(pendingStart, nullptr)())
        Fail(MessageTable::Text(Message::CliFailed)
                 .arg(transferMessage.isEmpty() ? QStringLiteral("the transfer could not start")
                                                : transferMessage));
}

void CliRunner::OnTransferStarted(const QString& text)
{
    if (step == Step::Editing)
        step = Step::Writing;
    if (step == Step::Reading || step == Step::Writing || step == Step::Settings)
        progress->Begin(text, session.Transfer().TransferSize());
}

void CliRunner::OnTransferFinished(MemoryTransfer::Outcome outcome)
{
    if (step != Step::Reading && step != Step::Writing && step != Step::Settings)
        return;
    // The last byte's reply ends the transfer before any 100 % is announced.
    if (outcome == MemoryTransfer::Outcome::Completed)
        progress->Update(100);
    progress->End();
}

// The presets commands' own read and write.
void CliRunner::OnPresetsTransfer(const TransferResult& result)
{
    if (step != Step::Reading && step != Step::Writing)
        return;
    switch (result.kind) {
    case TransferResult::Kind::DataRead:
        step = Step::Editing;
        return;
    case TransferResult::Kind::Written:
        Print(QStringLiteral("wrote the tuner presets of %1 to the unit (%2 bytes confirmed)")
                  .arg(request.file)
                  .arg(result.confirmed));
        Finish(ExitDone);
        return;
    case TransferResult::Kind::Aborted:
        // Interrupt and the silence limit have ended the command already;
        // otherwise the program's Cancel stopped it.
        Fail(MessageTable::Text(Message::CliFailed)
                 .arg(QStringLiteral("the transfer was cancelled")));
        return;
    case TransferResult::Kind::PresetEmpty:
    case TransferResult::Kind::Failed:
        break;
    }
    Fail(MessageTable::Text(Message::CliFailed)
             .arg(result.Text().isEmpty() ? QStringLiteral("the transfer failed") : result.Text()));
}

void CliRunner::OnEditorClosed(bool accepted)
{
    if (!editError.isEmpty()) {
        Fail(MessageTable::Text(Message::CliFailed).arg(editError));
        return;
    }
    if (!accepted)
        Finish(ExitDone);
}

// ------------------------------------------------------------------- the end

void CliRunner::Interrupt()
{
    if (step == Step::Done)
        return;
    progress->End();
    // Ctrl-C is how a watch ends: not a failure.
    if (step == Step::Live && request.command == CliRequest::Command::Watch) {
        Finish(ExitDone);
        return;
    }
    // Finish stops the session, which aborts a running transfer as Cancel
    // does; what the abort makes the command report comes after its end.
    Finish(ExitInterrupted, MessageTable::Text(Message::CliInterrupted));
}

void CliRunner::Fail(const QString& line)
{
    progress->End();
    Finish(ExitFailed, line);
}

void CliRunner::Finish(int code, const QString& errorLine)
{
    if (step == Step::Done)
        return;
    step = Step::Done;
    exitCode = code;
    answerTimer.stop();
    silenceTimer.stop();
    idlePoll.stop();
    if (!errorLine.isEmpty() && request.json) {
        QString error = Text::OneLine(errorLine);
        if (error.startsWith(QLatin1String("veltrix: ")))
            error.remove(0, 9);
        Print(CliStatusReport::JsonLine(QJsonObject{{QStringLiteral("error"), error}}));
    } else if (!errorLine.isEmpty()) {
        std::fprintf(streams.err, "%s\n", LocalFile::Encode(Text::OneLine(errorLine)).constData());
        std::fflush(streams.err);
    }
    if (ownedSession)
        session.Stop();
    else if (startedTransfer && session.Transfer().IsBusy())
        session.Transfer().Abort(); // as Cancel would; the program keeps its line
    QMetaObject::invokeMethod(
        this, [this] { Q_EMIT finished(exitCode); }, Qt::QueuedConnection);
}
