// Times a whole "Save Settings" against the simulated receiver on a clean
// paced line and on lines that lose frames or answer late, each beside the
// clean time and beside what an ideal stop-and-wait sender would lose:
//   ideal = 1 / (1 - p), p the chance that an exchange loses a frame
// and, for the late line, beside its own bound: the clean time plus the
// delay once per request that waits for a reply.
//
// Usage: bench_bad_line [--line-rate BAUD] [--retry MS]
//   --retry MS  a fixed wait for every reply, as the RetryPeriod setting
//               gives (default: the adaptive wait)
// Exit status 1 when a ratio exceeds its goal.

#include "event_wait.h"
#include "files/settings_save_chain.h"
#include "line_rate_option.h"
#include "simulated_receiver.h"
#include "unit/unit_session.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>
#include <memory>

namespace {

struct Line
{
    const char* name;
    int drop = 0;         // % of the unit's frames lost
    int dropRequests = 0; // % of the program's frames lost
    int delayMs = 0;      // before each reply
    double goal = 0;      // x clean; for the late line, x its own bound
};

struct Run
{
    bool ok = false;
    double ms = 0;
    int requests = 0; // frames the program sent during the save
    int resends = 0;
};

Run SaveOn(const Line& line, int rate, int retryMs, const QString& path)
{
    SimOptions options;
    options.lineRate = rate;
    options.rdsPeriodMs = 0;
    options.replyDelayMs = line.delayMs;
    SimulatedReceiver sim(options);
    Run run;
    if (!sim.Start())
        return run;
    UnitSession session;
    UnitSession::Timing timing;
    timing.port.readTotal = 60000; // no silence probes while the bench runs
    if (retryMs > 0) {
        timing.transfer.adaptive = false;
        timing.transfer.retry = retryMs;
        timing.handshakeRetry = retryMs;
    }
    session.SetTiming(timing);
    session.SetPortSetting(sim.SlavePath());
    session.Start();
    const LiveValues& live = session.Status();
    if (!WaitFor([&] { return live.facts.blockSize > 0 && !live.inputNames.back().isEmpty(); },
                 60000))
        return run;
    Pause(300);
    sim.SetFaults(line.drop, 0, false);
    sim.SetRequestFaults(line.dropRequests, 0, false);

    SettingsSaveChain chain(session);
    bool ended = false;
    QObject::connect(&chain, &SettingsSaveChain::finished, [&](bool ok, const auto&) {
        ended = true;
        run.ok = ok;
    });
    QObject::connect(&session.Link(), &UnitLink::payloadSent, [&] { ++run.requests; });
    QObject::connect(&session.Transfer(), &MemoryTransfer::requestResent, [&] { ++run.resends; });
    QElapsedTimer clock;
    clock.start();
    if (chain.Start(path))
        WaitFor([&] { return ended; }, 1800000);
    run.ms = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    run.ok = run.ok && ended;
    return run;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption rateOption = bench::LineRateOption();
    const QCommandLineOption retryOption(QStringLiteral("retry"),
                                         QStringLiteral("A fixed wait for every reply (ms)."),
                                         QStringLiteral("ms"), QStringLiteral("0"));
    parser.addOption(rateOption);
    parser.addOption(retryOption);
    parser.process(app);
    const int rate = parser.value(rateOption).toInt();
    const int retryMs = parser.value(retryOption).toInt();
    QTemporaryDir dir;
    if (rate <= 0 || retryMs < 0 || !dir.isValid())
        return 2;
    const QString path = dir.filePath(QStringLiteral("bench.vxf"));

    const Line lines[] = {
        {"clean", 0, 0, 0, 1.0},
        {"--drop 10", 10, 0, 0, 1.5},
        {"--drop 10 --drop-requests 10", 10, 10, 0, 2.0},
        {"--drop 30", 30, 0, 0, 3.0},
        {"--reply-delay 200", 0, 0, 200, 1.3},
    };
    std::printf("A whole save against the simulated K230 at %d baud; replies: %s\n", rate,
                retryMs > 0 ? qPrintable(QStringLiteral("fixed %1 ms").arg(retryMs))
                            : "adaptive wait");
    std::printf("%-30s %10s %9s %8s %8s %6s %8s\n", "line", "time (ms)", "requests", "resends",
                "x clean", "ideal", "goal");
    bool within = true;
    Run clean;
    for (const Line& line : lines) {
        const Run run = SaveOn(line, rate, retryMs, path);
        if (line.drop == 0 && line.dropRequests == 0 && line.delayMs == 0)
            clean = run;
        const double lossFree = (1 - line.drop / 100.0) * (1 - line.dropRequests / 100.0);
        // The late line's bound: the clean save and the delay once per request.
        const double base =
            line.delayMs > 0 ? clean.ms + double(clean.requests) * line.delayMs : clean.ms;
        const double ratio = base > 0 ? run.ms / base : 0;
        const bool ok = run.ok && clean.ok && ratio <= line.goal + 0.005;
        within = within && ok;
        std::printf("%-30s %10.0f %9d %8d %8.2f %6.2f %7.2fx%s%s\n", line.name, run.ms,
                    run.requests, run.resends, ratio, 1 / lossFree, line.goal,
                    line.delayMs > 0 ? " of bound" : "",
                    run.ok ? (ok ? "" : "  over goal") : "  did not complete");
    }
    return within ? 0 : 1;
}
