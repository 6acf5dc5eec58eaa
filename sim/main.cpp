// veltrix-unit-sim: a simulated receiver on a pseudo-terminal.
//
// Prints the path to open (the slave, or the link) as the first line of
// stdout, then serves the line until SIGINT or SIGTERM. Exit codes: 0 after a
// signal, 1 when the line cannot be made, 2 for bad options or a bad EEPROM
// file.

#include "sim_command_line.h"
#include "simulated_receiver.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int signalPipe[2] = {-1, -1};

void OnSignal(int)
{
    const char byte = 1;
    // Only async-signal-safe calls here; the event loop reads the byte.
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
}

bool CatchTerminationSignals()
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0)
        return false;
    struct sigaction action
    {
    };
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    // A reader of stdout or of the trace that goes away must not end the unit.
    std::signal(SIGPIPE, SIG_IGN);
    return ::sigaction(SIGINT, &action, nullptr) == 0 &&
           ::sigaction(SIGTERM, &action, nullptr) == 0;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("veltrix-unit-sim"));

    SimOptions options;
    QString text;
    switch (SimCommandLine::Parse(QCoreApplication::arguments(), &options, &text)) {
    case SimCommandLine::Outcome::Help:
        std::fputs(qPrintable(text), stdout);
        return 0;
    case SimCommandLine::Outcome::Error:
        std::fprintf(stderr, "veltrix-unit-sim: %s\n", qPrintable(text));
        return 2;
    case SimCommandLine::Outcome::Run:
        break;
    }

    if (!CatchTerminationSignals()) {
        std::perror("veltrix-unit-sim: signal handling");
        return 1;
    }
    QSocketNotifier signalNotifier(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&signalNotifier, &QSocketNotifier::activated, &app, &QCoreApplication::quit);

    SimulatedReceiver receiver(options);
    QString error;
    if (!receiver.Start(&error)) {
        std::fprintf(stderr, "veltrix-unit-sim: %s\n", qPrintable(error));
        return 1;
    }
    std::printf("%s\n", qPrintable(receiver.SlavePath()));
    std::fflush(stdout);
    return app.exec();
}
