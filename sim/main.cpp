// veltrix-unit-sim: a simulated receiver on a pseudo-terminal.
//
// Prints the path to open (the slave, or the link) as the first line of
// stdout, then serves the line until SIGINT or SIGTERM. Exit codes: 0 after a
// signal, 1 when the line cannot be made, 2 for bad options or a bad EEPROM
// file.

#include "common/termination_signals.h"
#include "sim_command_line.h"
#include "simulated_receiver.h"

#include <QCoreApplication>

#include <cstdio>

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

    TerminationSignals termination;
    if (!termination.IsActive()) {
        std::perror("veltrix-unit-sim: signal handling");
        return 1;
    }
    QObject::connect(&termination, &TerminationSignals::terminationRequested, &app,
                     &QCoreApplication::quit);

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
