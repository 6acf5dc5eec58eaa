#pragma once

#include "cli/cli_command_line.h"
#include "cli/cli_progress.h"
#include "cli/cli_status_report.h"
#include "model/tuner_preset_list.h"
#include "transfer/memory_transfer.h"
#include "unit/unit_session.h"

#include <QObject>
#include <QTimer>

#include <cstdio>
#include <functional>
#include <memory>

class CliSettingsRun;
class ProtocolTrace;
class TunerPresetsFlow;

// One command of the veltrix program against the unit, run on the event loop
// with the GUI's own session: its connection procedure, handshake, gates and
// transfers. Results go to the output stream, progress and errors (one line
// each, naming what failed) to the error stream.
//
// Exit codes: 0 done; 1 the operation failed (no unit, unsupported unit or
// firmware, file error, lost or silent unit, unconfirmed bytes, a verify
// difference, a model mismatch without --yes); 130 interrupted.
// Usage errors (2) are found before a runner exists.
//
// Where the GUI keeps retrying a lost reply until the user cancels, the
// command gives up once the unit has sent nothing for the silence limit.
class CliRunner : public QObject
{
    Q_OBJECT

public:
    static constexpr int ExitDone = 0;
    static constexpr int ExitFailed = 1;
    static constexpr int ExitInterrupted = 130;

    struct Settings
    {
        int answerLimit = 5000;   // ms for a unit to answer after the start
        int silenceLimit = 30000; // ms without any reply after which the command fails
        int reportLimit = 3000;   // ms a verb waits for the unit to report its value
        UnitSession::Timing timing;
    };

    struct Streams
    {
        std::FILE* out = stdout;
        std::FILE* err = stderr;
        bool errIsTerminal = false; // draw a bar instead of plain progress lines
    };

    // The request is a unit command (status, a verb, watch, save, load, diff,
    // presets save or load). Without `shared` the runner owns a session and
    // connects it; with one (the desktop program's, serving a command line
    // beside it) it uses that session as it stands: it neither starts, times
    // nor stops it, and refuses a transfer while another one runs.
    explicit CliRunner(const CliRequest& request, UnitSession* shared = nullptr,
                       QObject* parent = nullptr);
    ~CliRunner() override;

    void SetSettings(const Settings& settings);
    void SetStreams(const Streams& streams);
    // The port setting used when the request names none (the GUI's option).
    void SetDefaultPort(const QString& port) { defaultPort = port; }

    // Begins the command; finished follows exactly once, queued.
    void Start();
    // Ctrl-C (or SIGTERM, SIGHUP): a running transfer is aborted as Cancel would, then the command
    // ends with ExitInterrupted.
    void Interrupt();

    UnitSession& Session() { return session; }
    int ExitCode() const { return exitCode; }

Q_SIGNALS:
    void finished(int exitCode);

private:
    enum class Step
    {
        Idle,
        Connecting, // waiting for the unit to answer
        Handshake,  // answered; waiting for the handshake to settle
        Reading,    // the tuner preset read runs
        Editing,    // the read delivered; the file is being written or read
        Writing,    // the tuner preset write-back runs
        Settings,   // a settings-file command runs (CliSettingsRun)
        Live,       // a verb waits for the unit's report, or watch prints them
        Done,
    };

    // The commands; each runs once the handshake has settled.
    void RunStatus();
    void RunLive();
    void RunWatch();
    void RunPresetsSave();
    void RunPresetsLoad();
    // save and load.
    void RunSettings();

    void StartTrace();
    void OnIdentified();
    void OnHandshakeSettled();
    void OnConnectionShown(bool connected);
    void OnTransferStarted(const QString& text);
    void OnTransferFinished(MemoryTransfer::Outcome outcome);
    void OnPresetsTransfer(const TransferResult& result);
    void OnEditorClosed(bool accepted);
    void StartWhenIdle(std::function<bool()> start);
    void TryPendingStart();
    bool Supported();
    void Fail(const QString& line);
    void Finish(int code, const QString& errorLine = QString());
    void Print(const QString& line);
    void PrintStatus(const QList<StatusField>& fields);

    CliRequest request;
    Settings settings;
    Streams streams;
    QString defaultPort = QString::fromLatin1(UnitSession::AutoDetect);
    std::unique_ptr<UnitSession> ownedSession; // null when the session is shared
    UnitSession& session;
    TunerPresetsFlow* presetsFlow = nullptr;
    CliSettingsRun* settingsRun = nullptr;
    ProtocolTrace* trace = nullptr;
    std::unique_ptr<CliProgress> progress;
    Step step = Step::Idle;
    int exitCode = -1;
    bool portOpenFailed = false;
    bool startedTransfer = false; // this command's own transfer has begun
    QString transferMessage;      // the last message of the transfers
    QString editError;            // a file error met inside the editor
    TunerPresetList fileList;     // presets load: the file as read before the port opened
    QByteArray fileBytes;         // load, diff: the file as read before the port opened
    QList<StatusField> watched;   // watch: the values last printed
    QTimer answerTimer;
    QTimer silenceTimer;
    QTimer idlePoll;
    std::function<bool()> pendingStart;
};
