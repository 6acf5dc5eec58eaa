// Times a whole "Save Settings", a whole "Load Settings" and the read-back of
// a `load --verify` against the simulated receiver on a paced line, each
// beside its bound:
//   bound = wire bytes both ways x 10 bits / baud + the fixed pauses
// where the wire bytes are every frame that crossed the line (escapes
// included) and the pauses are those the procedure itself contains: the
// pause after each rename. The name queries a rename sets off overlap its
// pause and are left out of the load's wire.
//
// Usage: bench_settings_files [--line-rate BAUD]
// Exit status 1 when a ratio exceeds the target.

#include "event_wait.h"
#include "files/load_plan.h"
#include "files/settings_load_run.h"
#include "files/settings_save_chain.h"
#include "files/unit_configuration_read.h"
#include "line_rate_option.h"
#include "link/message_set.h"
#include "link/unit_frame.h"
#include "simulated_receiver.h"
#include "unit/unit_session.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>

namespace {

constexpr double TargetRatio = 1.10;
constexpr int BitsPerByte = 10;

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption rateOption = bench::LineRateOption();
    parser.addOption(rateOption);
    parser.process(app);
    const int rate = parser.value(rateOption).toInt();
    if (rate <= 0)
        return 2;

    SimOptions options;
    options.lineRate = rate;
    options.rdsPeriodMs = 0;
    SimulatedReceiver sim(options);
    QTemporaryDir dir;
    if (!sim.Start() || !dir.isValid())
        return 2;

    UnitSession session;
    UnitSession::Timing timing;
    timing.port.readTotal = 60000; // no silence probes while the bench runs
    session.SetTiming(timing);
    session.SetPortSetting(sim.SlavePath());
    SettingsSaveChain chain(session);
    SettingsLoadRun load(session);
    qint64 wireBytes = 0;
    QObject::connect(&session.Link(), &UnitLink::payloadSent,
                     [&](const QByteArray& p) { wireBytes += UnitFrame::Encode(p).size(); });
    QObject::connect(&sim, &SimulatedReceiver::frameSent,
                     [&](const QByteArray& p) { wireBytes += UnitFrame::Encode(p).size(); });
    session.Start();
    const LiveValues& live = session.Status();
    if (!WaitFor([&] { return live.facts.blockSize > 0 && !live.inputNames.back().isEmpty(); },
                 30000)) {
        std::fprintf(stderr, "bench_settings_files: the simulated unit does not answer\n");
        return 2;
    }
    Pause(500);

    struct Row
    {
        const char* name;
        bool ok = false;
        qint64 wire = 0;
        double pausesMs = 0;
        double timeMs = 0;
    };
    const QString path = dir.filePath(QStringLiteral("bench.vxf"));
    auto measure = [&](Row& row, auto start, auto& source, auto signal) {
        bool ended = false;
        bool good = false;
        const auto c = QObject::connect(&source, signal, [&](bool ok, const auto&) {
            ended = true;
            good = ok;
        });
        wireBytes = 0;
        QElapsedTimer clock;
        clock.start();
        if (start())
            WaitFor([&] { return ended; }, 600000);
        row.timeMs = static_cast<double>(clock.nsecsElapsed()) / 1e6;
        row.wire = wireBytes;
        row.ok = ended && good;
        QObject::disconnect(c);
        Pause(300);
    };

    Row save{"whole save"};
    measure(
        save, [&] { return chain.Start(path); }, chain, &SettingsSaveChain::finished);
    // Each rename's report makes the session ask for the next input's name,
    // and so on to the last: those queries and their replies run during the
    // pause after the rename, so they count in neither wire nor bound.
    int renames = 0;
    int unanswered = 0; // name queries whose reply has not been counted
    qint64 nameQueryBytes = 0;
    auto isName = [](const QByteArray& p, std::uint8_t type) {
        return p.size() >= 3 && quint8(p[0]) == type && quint8(p[1]) == Variable::InputName;
    };
    QObject::connect(&session.Link(), &UnitLink::payloadSent, [&](const QByteArray& p) {
        renames += p.size() > 3 && isName(p, MessageType::Set);
        if (p.size() == 3 && isName(p, MessageType::Variable)) {
            nameQueryBytes += UnitFrame::Encode(p).size();
            ++unanswered;
        }
    });
    QObject::connect(&sim, &SimulatedReceiver::frameSent, [&](const QByteArray& p) {
        if (unanswered > 0 && isName(p, MessageType::Variable)) {
            nameQueryBytes += UnitFrame::Encode(p).size();
            --unanswered;
        }
    });
    Row loadRow{"whole load"};
    measure(
        loadRow, [&] { return load.Start(path); }, load, &SettingsLoadRun::finished);
    loadRow.pausesMs = renames * LoadPlan::RenamePause;
    loadRow.wire -= nameQueryBytes;
    // What --verify reads back after that load: fresh, as a save reads it.
    UnitConfigurationRead readBack(session);
    Row verifyRow{"load verify"};
    measure(
        verifyRow, [&] { return readBack.Start(load.Written()); }, readBack,
        &UnitConfigurationRead::finished);

    std::printf("Settings files against the simulated %s at %d baud\n", qPrintable(options.model),
                rate);
    std::printf("bound = wire bytes both ways x %d bits / %d baud + fixed pauses "
                "(load: %d renames x %d ms;\n"
                "its %lld bytes of name queries during those pauses left out)\n",
                BitsPerByte, rate, renames, LoadPlan::RenamePause,
                static_cast<long long>(nameQueryBytes));
    std::printf("%-12s %11s %11s %12s %12s %7s\n", "command", "wire bytes", "pauses (ms)",
                "bound (ms)", "time (ms)", "ratio");
    bool within = true;
    for (const Row& r : {save, loadRow, verifyRow}) {
        const double bound = static_cast<double>(r.wire) * BitsPerByte * 1000.0 / rate + r.pausesMs;
        const double ratio = bound > 0 ? r.timeMs / bound : 0;
        const bool ok = r.ok && ratio <= TargetRatio;
        within = within && ok;
        std::printf("%-12s %11lld %11.0f %12.1f %12.1f %7.3f%s\n", r.name,
                    static_cast<long long>(r.wire), r.pausesMs, bound, r.timeMs, ratio,
                    r.ok ? (ok ? "" : "  over target") : "  did not complete");
    }
    std::printf("target: ratio <= %.2f\n", TargetRatio);
    return within ? 0 : 1;
}
