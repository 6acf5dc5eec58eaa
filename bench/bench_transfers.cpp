// Times memory transfers against the simulated receiver on a paced line and
// sets each time beside its wire-time bound: every byte of every request and
// reply frame that crossed the line during the transfer (escapes included),
// at 10 bits per byte. The ratio says how much the program adds to the line.
//
// Usage: bench_transfers [--line-rate BAUD] [--model TEXT]
// Exit status 1 when a ratio exceeds the target.

#include "event_wait.h"
#include "line_rate_option.h"
#include "link/message_set.h"
#include "link/unit_frame.h"
#include "link/unit_link.h"
#include "model/model_facts.h"
#include "simulated_receiver.h"
#include "transfer/eeprom_map.h"
#include "transfer/memory_transfer.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <cstdio>
#include <functional>

namespace {

constexpr double TargetRatio = 1.10;
constexpr int BitsPerByte = 10;

struct Result
{
    QString name;
    bool ended = false;
    int frames = 0;
    qint64 wireBytes = 0;
    double boundMs = 0;
    double timeMs = 0;
};

class Bench
{
public:
    Bench(const QString& model, int lineRate) : rate(lineRate), transfer(link, facts)
    {
        SimOptions options;
        options.model = model;
        options.lineRate = lineRate;
        options.rdsPeriodMs = 0;
        sim = std::make_unique<SimulatedReceiver>(options);
        facts.modelText = model;
        facts.versionText = options.firmware;

        // Both directions as they go on the wire.
        QObject::connect(&link, &UnitLink::payloadSent, [this](const QByteArray& p) { Count(p); });
        QObject::connect(sim.get(), &SimulatedReceiver::frameSent,
                         [this](const QByteArray& p) { Count(p); });
    }

    bool Start(QString* error)
    {
        if (!sim->Start(error))
            return false;
        LineTransport::Timeouts timeouts;
        timeouts.readTotal = 3000;
        if (!link.Open(sim->SlavePath(), timeouts)) {
            *error = QStringLiteral("cannot open %1").arg(sim->SlavePath());
            return false;
        }
        bool sized = false;
        QObject::connect(&transfer, &MemoryTransfer::blockSizeRead, [&sized] { sized = true; });
        transfer.ReadBlockSize();
        if (!WaitFor([&] { return sized; }, 10000)) {
            *error = QStringLiteral("the simulated unit does not answer");
            return false;
        }
        return true;
    }

    Result Run(const QString& name, const std::function<bool()>& start)
    {
        Result result;
        result.name = name;
        bool ended = false;
        const auto connection = QObject::connect(&transfer, &MemoryTransfer::transferFinished,
                                                 [&ended] { ended = true; });
        // Let the line fall quiet so nothing earlier is counted.
        Pause(100);
        frames = 0;
        wireBytes = 0;
        QElapsedTimer clock;
        clock.start();
        if (start())
            result.ended = WaitFor([&] { return ended; }, 120000);
        result.timeMs = static_cast<double>(clock.nsecsElapsed()) / 1e6;
        QObject::disconnect(connection);
        result.frames = frames;
        result.wireBytes = wireBytes;
        result.boundMs = static_cast<double>(wireBytes) * BitsPerByte * 1000.0 / rate;
        return result;
    }

    MemoryTransfer& Transfer() { return transfer; }

private:
    void Count(const QByteArray& payload)
    {
        if (payload.isEmpty() ||
            (payload[0] != MessageType::LiveSetup && payload[0] != MessageType::Eeprom))
            return;
        ++frames;
        wireBytes += UnitFrame::Encode(payload).size();
    }

    int rate;
    std::unique_ptr<SimulatedReceiver> sim;
    UnitLink link;
    ModelFacts facts;
    MemoryTransfer transfer;
    int frames = 0;
    qint64 wireBytes = 0;
};

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption rateOption = bench::LineRateOption();
    const QCommandLineOption modelOption(QStringLiteral("model"),
                                         QStringLiteral("Model the simulated unit reports."),
                                         QStringLiteral("text"), QStringLiteral("K230"));
    parser.addOption(rateOption);
    parser.addOption(modelOption);
    parser.process(app);
    const int rate = parser.value(rateOption).toInt();
    if (rate <= 0) {
        std::fprintf(stderr, "bench_transfers: the line rate must be positive\n");
        return 2;
    }

    Bench bench(parser.value(modelOption), rate);
    QString error;
    if (!bench.Start(&error)) {
        std::fprintf(stderr, "bench_transfers: %s\n", qPrintable(error));
        return 2;
    }
    MemoryTransfer& t = bench.Transfer();
    QByteArray image(EepromMap::TunerImageSize, '\0');
    for (int i = 0; i < image.size(); ++i)
        image[i] = static_cast<char>(i * 37 + 5); // every byte changes, escapes included

    SettingsImage block; // what the live setup read left
    const QList<Result> results{
        bench.Run(QStringLiteral("tuner presets read"), [&] { return t.ReadTunerPresets(); }),
        bench.Run(QStringLiteral("A/V preset 1 read"), [&] { return t.ReadPreset(1); }),
        bench.Run(QStringLiteral("EEPROM write, 350 bytes"),
                  [&] { return t.WriteEeprom(image, EepromMap::TunerImage); }),
        bench.Run(QStringLiteral("live setup read"),
                  [&] {
                      return t.ReadCurrentSetup(
                          [&](const TransferResult& result) { block = result.image; });
                  }),
        // The block just read, one field changed: every byte is written and
        // echoed all the same.
        bench.Run(QStringLiteral("live setup write"),
                  [&] {
                      SettingsImage setup = block;
                      return setup.SetByte(47, setup.Byte(47) ^ 1) && t.WriteSetup(0, setup);
                  }),
    };

    std::printf("Memory transfers against the simulated %s at %d baud, %d bits per byte\n",
                qPrintable(parser.value(modelOption)), rate, BitsPerByte);
    std::printf("%-26s %7s %11s %12s %12s %7s\n", "transfer", "frames", "wire bytes", "bound (ms)",
                "time (ms)", "ratio");
    bool withinTarget = true;
    for (const Result& r : results) {
        const double ratio = r.boundMs > 0 ? r.timeMs / r.boundMs : 0;
        const bool ok = r.ended && ratio <= TargetRatio;
        withinTarget = withinTarget && ok;
        std::printf("%-26s %7d %11lld %12.1f %12.1f %7.3f%s\n", qPrintable(r.name), r.frames,
                    static_cast<long long>(r.wireBytes), r.boundMs, r.timeMs, ratio,
                    r.ended ? (ok ? "" : "  over target") : "  did not end");
    }
    std::printf("target: ratio <= %.2f\n", TargetRatio);
    return withinTarget ? 0 : 1;
}
