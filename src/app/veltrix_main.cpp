#include "cli/cli_client.h"
#include "cli/cli_command_line.h"
#include "cli/cli_runner.h"
#include "common/local_file.h"
#include "common/message_table.h"
#include "common/termination_signals.h"
#include "common/version.h"
#include "desktop/options_store.h"

#include <QCoreApplication>

#include <cerrno>
#include <cstdio>
#include <unistd.h>

namespace {

constexpr int ExitUsage = 2;

// What the program printed has reached its reader: a full disk or a reader
// gone from a pipe fails a run that would otherwise have ended well.
int OutputChecked(int code)
{
    errno = 0;
    if (std::fflush(stdout) == 0 && !std::ferror(stdout))
        return code;
    const int reason = errno;
    const QString line =
        MessageTable::Text(Message::CliFailed)
            .arg(QStringLiteral("the output could not be written") +
                 (reason != 0 ? QStringLiteral(": ") + qt_error_string(reason) : QString()));
    std::fprintf(stderr, "%s\n", LocalFile::Encode(line).constData());
    return code == CliRunner::ExitDone ? CliRunner::ExitFailed : code;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Orvane"));
    QCoreApplication::setApplicationName(QStringLiteral("Veltrix PC Interface"));

    CliRequest request;
    QString error;
    // File names are taken as their bytes: QCoreApplication::arguments()
    // would turn bytes that are not UTF-8 into U+FFFD.
    if (!CliCommandLine::Parse(LocalFile::Arguments(argc, argv), &request, &error)) {
        std::fprintf(stderr, "veltrix: %s (see veltrix --help)\n",
                     LocalFile::Encode(error).constData());
        return ExitUsage;
    }
    if (request.command == CliRequest::Command::Help) {
        std::fputs(qPrintable(CliCommandLine::Usage()), stdout);
        return OutputChecked(0);
    }
    if (request.command == CliRequest::Command::Version) {
        std::printf("veltrix %s\n", ProgramVersion::Text);
        return OutputChecked(0);
    }

    const CliRunner::Streams streams{stdout, stderr, ::isatty(STDERR_FILENO) == 1};
    // Beside a running desktop program the command goes through its session;
    // two files need no unit.
    const bool twoFiles = request.command == CliRequest::Command::Diff && !request.file2.isEmpty();
    int remoteExit = 0;
    if (!twoFiles && CliClient::Run(request, streams, &remoteExit) == CliClient::Outcome::Done)
        return OutputChecked(remoteExit);

    CliRunner runner(request);
    const Options options = OptionsStore::Load();
    runner.SetDefaultPort(options.port);
    CliRunner::Settings settings;
    settings.timing = UnitSession::WithRetryPeriod(
        settings.timing, request.retryMs > 0 ? request.retryMs : options.retryPeriod);
    runner.SetSettings(settings);
    runner.SetStreams(streams);
    TerminationSignals termination;
    QObject::connect(&termination, &TerminationSignals::terminationRequested, &runner,
                     &CliRunner::Interrupt);
    QObject::connect(&runner, &CliRunner::finished, &app, &QCoreApplication::exit);
    runner.Start();
    return OutputChecked(app.exec());
}
