// Times the way to "Connected" with every fact of the unit: a UnitSession
// started against the simulated receiver on a paced line, until the unit is
// connected, its block size read, its version reported and its ten input
// names known. Beside it the bound:
//   bound = the timer waits on the way + wire bytes after them x 10 bits / baud
// The waits are two connect periods (the first expiry opens the port and
// asks for the model, the next one finds the unit connected) and the two
// refresh pauses before the name chain. What crosses the line before the
// chain (model, block size, version, the variables) fits in those waits, so
// the wire bytes are the frames from the first name query on, both ways,
// escapes included; the frames before are shown beside them.
//
// Usage: bench_connect [--line-rate BAUD] [--runs N]
// Exit status 1 when a ratio exceeds the target.

#include "event_wait.h"
#include "line_rate_option.h"
#include "link/message_set.h"
#include "link/unit_frame.h"
#include "simulated_receiver.h"
#include "unit/unit_session.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>

namespace {

constexpr double TargetRatio = 1.10;
constexpr int BitsPerByte = 10;

struct Run
{
    bool ended = false;
    qint64 wireBefore = 0; // frames before the name chain, during the waits
    qint64 wireBytes = 0;  // frames from the first name query on
    int frames = 0;
    double identifiedMs = 0; // the model reply: "Connected" shown
    double blockSizeMs = 0;
    double versionMs = 0;
    double timeMs = 0; // the last fact, the tenth name
};

double Ms(const QElapsedTimer& clock)
{
    return static_cast<double>(clock.nsecsElapsed()) / 1e6;
}

Run Connect(int rate)
{
    SimOptions options;
    options.lineRate = rate;
    options.rdsPeriodMs = 0;
    SimulatedReceiver sim(options);
    Run run;
    if (!sim.Start())
        return run;
    UnitSession session;
    session.SetPortSetting(sim.SlavePath());
    bool chain = false;
    auto count = [&](const QByteArray& p) {
        ++run.frames;
        (chain ? run.wireBytes : run.wireBefore) += UnitFrame::Encode(p).size();
    };
    QObject::connect(&session.Link(), &UnitLink::payloadSent, [&](const QByteArray& p) {
        chain = chain || (p.size() == 3 && quint8(p[0]) == MessageType::Variable &&
                          quint8(p[1]) == Variable::InputName);
        count(p);
    });
    QObject::connect(&sim, &SimulatedReceiver::frameSent, count);

    QElapsedTimer clock;
    LiveStatus& live = session.Live();
    QObject::connect(&live, &LiveStatus::identified, [&] { run.identifiedMs = Ms(clock); });
    QObject::connect(&live, &LiveStatus::versionReported, [&] { run.versionMs = Ms(clock); });
    QObject::connect(&session.Transfer(), &MemoryTransfer::blockSizeRead,
                     [&] { run.blockSizeMs = Ms(clock); });
    const LiveValues& values = session.Status();
    auto complete = [&] {
        return values.connected && values.facts.blockSize > 0 && run.versionMs > 0 &&
               std::all_of(values.inputNameKnown.begin(), values.inputNameKnown.end(),
                           [](bool known) { return known; });
    };
    clock.start();
    session.Start();
    run.ended = WaitFor(complete, 30000);
    run.timeMs = Ms(clock);
    session.Stop();
    return run;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption rateOption = bench::LineRateOption();
    const QCommandLineOption runsOption(QStringLiteral("runs"),
                                        QStringLiteral("Connections to time."), QStringLiteral("n"),
                                        QStringLiteral("5"));
    parser.addOption(rateOption);
    parser.addOption(runsOption);
    parser.process(app);
    const int rate = parser.value(rateOption).toInt();
    const int runs = parser.value(runsOption).toInt();
    if (rate <= 0 || runs <= 0) {
        std::fprintf(stderr, "bench_connect: the line rate and the runs must be positive\n");
        return 2;
    }

    const UnitSession::Timing timing;
    const int waitsMs = 2 * timing.connectPeriod + 2 * timing.refreshPause;
    std::printf("Start to connected with block size, version and ten names, against the "
                "simulated K230 at %d baud\n"
                "bound = waits %d ms (2 x connect period %d + 2 x refresh pause %d) + wire "
                "bytes both ways from the first name query on x %d bits / baud\n",
                rate, waitsMs, timing.connectPeriod, timing.refreshPause, BitsPerByte);
    std::printf("times from the start: model reply (\"Connected\"), block size, version, and the "
                "last fact (the tenth name)\n");
    std::printf("%4s %7s %11s %10s %11s %11s %13s %11s %11s %7s\n", "run", "frames", "wire before",
                "wire after", "model (ms)", "block (ms)", "version (ms)", "bound (ms)", "time (ms)",
                "ratio");
    bool within = true;
    for (int i = 1; i <= runs; ++i) {
        const Run r = Connect(rate);
        const double bound =
            waitsMs + static_cast<double>(r.wireBytes) * BitsPerByte * 1000.0 / rate;
        const double ratio = r.timeMs / bound;
        const bool ok = r.ended && ratio <= TargetRatio;
        within = within && ok;
        std::printf("%4d %7d %11lld %10lld %11.1f %11.1f %13.1f %11.1f %11.1f %7.3f%s\n", i,
                    r.frames, static_cast<long long>(r.wireBefore),
                    static_cast<long long>(r.wireBytes), r.identifiedMs, r.blockSizeMs, r.versionMs,
                    bound, r.timeMs, ratio,
                    r.ended ? (ok ? "" : "  over target") : "  did not connect");
    }
    std::printf("target: ratio <= %.2f\n", TargetRatio);
    return within ? 0 : 1;
}
