#include "desktop/message_table.h"
#include "event_wait.h"
#include "link/message_set.h"
#include "panel/unit_session.h"
#include "simulated_receiver.h"
#include "transfer/eeprom_map.h"
#include "transfer/memory_transfer.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

// Whole transfers between the session and the simulated receiver over a
// pseudo-terminal, on a clean line and on a line that loses, spoils and
// litters the unit's frames.
namespace {

constexpr int Retry = 15;
constexpr int WriteBackDelay = 20;

struct Line
{
    int drop = 0;
    int corrupt = 0;
    bool noise = false;
};

// retry: the line is unpaced, a round trip takes well under a millisecond.
UnitSession::Timing FastTiming(int retry)
{
    UnitSession::Timing timing;
    timing.connectPeriod = 40;
    timing.refreshPause = 10;
    timing.port.readInterval = 20;
    timing.port.readTotal = 250;
    timing.port.writeTotal = 500;
    timing.transfer.retry = retry;
    timing.transfer.pace = retry;
    timing.transfer.writeBackDelay = WriteBackDelay;
    return timing;
}

bool IsMemoryFrame(const QByteArray& p)
{
    return !p.isEmpty() && (p[0] == MessageType::LiveSetup || p[0] == MessageType::Eeprom);
}

class SimRig
{
public:
    SimRig(const QString& model, const Line& line)
    {
        SimOptions options;
        options.model = model;
        options.lineRate = 0;
        options.rdsPeriodMs = 0;
        options.dropPercent = line.drop;
        options.corruptPercent = line.corrupt;
        options.noise = line.noise;
        options.seed = 7;
        options.trace = qEnvironmentVariableIsSet("TRACE_SIM");
        sim = std::make_unique<SimulatedReceiver>(options);
        QObject::connect(sim.get(), &SimulatedReceiver::frameReceived,
                         [this](const QByteArray& p) { memoryFrames += IsMemoryFrame(p); });
        // Lost replies cost a retry period each: keep it short on a faulty line.
        session.SetTiming(FastTiming(line.drop > 0 ? 4 : Retry));
    }

    bool Connect()
    {
        QString error;
        if (!sim->Start(&error)) {
            qWarning("%s", qPrintable(error));
            return false;
        }
        session.SetPortSetting(sim->SlavePath());
        session.Start();
        return WaitFor([this] { return session.Status().facts.blockSize > 0; }, 5000);
    }

    // Starts a transfer and waits for its end; -1 when it could not start
    // or did not end.
    int Run(const std::function<bool()>& start)
    {
        QSignalSpy finished(&Transfer(), &MemoryTransfer::transferFinished);
        if (!start())
            return -1;
        if (!WaitFor([&] { return !finished.isEmpty(); }, 20000))
            return -1;
        return static_cast<int>(finished.first().first().value<MemoryTransfer::Outcome>());
    }

    MemoryTransfer& Transfer() { return session.Transfer(); }
    const SettingsImage& Image() { return Transfer().Image(); }
    int Size() const { return session.Status().facts.blockSize; }
    int Base() const { return session.Status().facts.BlockSizeAddress(); }
    QByteArray Eeprom(int address, int count) const { return sim->Eeprom().mid(address, count); }

    std::unique_ptr<SimulatedReceiver> sim;
    UnitSession session;
    int memoryFrames = 0;
};

constexpr int Completed = static_cast<int>(MemoryTransfer::Outcome::Completed);
constexpr int Failed = static_cast<int>(MemoryTransfer::Outcome::Failed);
constexpr int Aborted = static_cast<int>(MemoryTransfer::Outcome::Aborted);

QByteArray TableOf(const SettingsImage& image)
{
    return image.BlockAndTableBytes().mid(image.Size());
}

QByteArray Bytes(const TunerPresetList::Image& image)
{
    return QByteArray(reinterpret_cast<const char*>(image.data()),
                      static_cast<qsizetype>(image.size()));
}

void AddLines()
{
    QTest::addColumn<QString>("model");
    QTest::addColumn<int>("drop");
    QTest::addColumn<int>("corrupt");
    QTest::addColumn<bool>("noise");
    QTest::newRow("K230") << "K230" << 0 << 0 << false;
    QTest::newRow("K220") << "K220" << 0 << 0 << false;
    QTest::newRow("K110") << "K110" << 0 << 0 << false;
    QTest::newRow("K240, faulty line") << "K240" << 10 << 5 << true;
}

} // namespace

class TestTransferE2e : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Every read gives the unit's bytes: current setup, five presets (three
    // stored, two empty, then one with a wrong status), tuner presets.
    void readsMatchTheUnit_data() { AddLines(); }
    void readsMatchTheUnit()
    {
        QFETCH(QString, model);
        QFETCH(int, drop);
        QFETCH(int, corrupt);
        QFETCH(bool, noise);
        SimRig rig(model, {drop, corrupt, noise});
        QVERIFY(rig.Connect());
        MemoryTransfer& t = rig.Transfer();
        const int size = rig.Size();

        QSignalSpy blocks(&t, &MemoryTransfer::setupBlockRead);
        QCOMPARE(rig.Run([&] { return t.ReadCurrentSetup(); }), Completed);
        QCOMPARE(rig.Image().BlockBytes(), rig.sim->LiveSetup());
        QCOMPARE(TableOf(rig.Image()), rig.Eeprom(rig.Base() + size + 1, 20));

        QSignalSpy empty(&t, &MemoryTransfer::presetEmpty);
        for (int k = 1; k <= 5; ++k) {
            const int p = rig.Base() + k * (size + 21);
            const bool stored = k <= 3;
            QCOMPARE(rig.Run([&] { return t.ReadPreset(k); }), stored ? Completed : Failed);
            if (!stored) {
                QCOMPARE(empty.last().first().toInt(), k);
                continue;
            }
            QCOMPARE(blocks.last().first().toInt(), k);
            QCOMPARE(rig.Image().BlockBytes(), rig.Eeprom(p + 1, size));
            QCOMPARE(TableOf(rig.Image()), rig.Eeprom(p + 1 + size, 20));
            QCOMPARE(rig.Image().NameBytes(), rig.Eeprom(643 + 13 * k, 13));
            QVERIFY(!rig.Image().PresetName().isEmpty());
        }
        QCOMPARE(empty.size(), 2);

        QByteArray eeprom = rig.sim->Eeprom();
        eeprom[rig.Base() + 2 * (size + 21)] = static_cast<char>(size - 1);
        QVERIFY(rig.sim->Unit().ReplaceEeprom(eeprom));
        QSignalSpy failed(&t, &MemoryTransfer::transferFailed);
        QCOMPARE(rig.Run([&] { return t.ReadPreset(2); }), Failed);
        QCOMPARE(failed.size(), 1);
        QCOMPARE(failed.first().first().toInt(), int(Message::SizeMismatch));

        QSignalSpy tuner(&t, &MemoryTransfer::tunerPresetsRead);
        QCOMPARE(rig.Run([&] { return t.ReadTunerPresets(); }), Completed);
        QCOMPARE(Bytes(t.TunerImage()), rig.Eeprom(32, 350));
        const auto list = tuner.first().first().value<TunerPresetList>();
        QVERIFY(list.FmCount() > 0);
        QCOMPARE(Bytes(list.Encode(t.State().amStepSize)),
                 Bytes(TunerPresetList::Decode(t.TunerImage(), t.State().amStepSize)
                           .Encode(t.State().amStepSize)));
    }

    // What goes back lands byte for byte: a changed current setup, a changed
    // preset with its table and name, a changed tuner preset list.
    void writesReachTheUnit_data() { AddLines(); }
    void writesReachTheUnit()
    {
        QFETCH(QString, model);
        QFETCH(int, drop);
        QFETCH(int, corrupt);
        QFETCH(bool, noise);
        SimRig rig(model, {drop, corrupt, noise});
        QVERIFY(rig.Connect());
        MemoryTransfer& t = rig.Transfer();
        const int size = rig.Size();
        // On a faulty line an echo may stay lost three times: the byte got
        // there, the write says it could not confirm it.
        const QList<int> writeOutcomes =
            drop > 0 ? QList<int>{Completed, Failed} : QList<int>{Completed};

        QCOMPARE(rig.Run([&] { return t.ReadCurrentSetup(); }), Completed);
        SettingsImage& image = t.Image();
        QVERIFY(image.SetByte(47, 20)); // centre level +8 dB
        QVERIFY(image.SetByte(33, 5));  // Pro Logic II dimension
        const QByteArray live = image.BlockBytes();
        QVERIFY(live != rig.sim->LiveSetup());
        QCOMPARE(rig.Run([&] { return t.WriteSetup(0); }), Completed);
        QVERIFY(WaitFor([&] { return rig.sim->LiveSetup() == live; }, 5000));

        const int p = rig.Base() + size + 21;
        QCOMPARE(rig.Run([&] { return t.ReadPreset(1); }), Completed);
        QVERIFY(image.SetByte(46, 0));
        QVERIFY(image.SetTableByte(0, 0x21));
        image.SetPresetName(QStringLiteral("Late Night"));
        const QByteArray preset = image.BlockAndTableBytes();
        QVERIFY(writeOutcomes.contains(rig.Run([&] { return t.WriteSetup(1); })));
        QCOMPARE(rig.Eeprom(p + 1, size + 20), preset);
        QCOMPARE(rig.Eeprom(643 + 13, 13), QByteArray("Late Night\0\0\0", 13));
        QCOMPARE(rig.Eeprom(p, 1), QByteArray(1, static_cast<char>(size)));

        QSignalSpy tuner(&t, &MemoryTransfer::tunerPresetsRead);
        QCOMPARE(rig.Run([&] { return t.ReadTunerPresets(); }), Completed);
        auto list = tuner.first().first().value<TunerPresetList>();
        QVERIFY(list.RemoveFm(0));
        QVERIFY(list.AddFm(30, 10850, 1, QStringLiteral("TOP")));
        QVERIFY(list.AddAm(10, 1710));
        const int step = t.State().amStepSize;
        const QByteArray flag = rig.Eeprom(19, 1);
        // The write-back waits its delay before the first byte goes out.
        QElapsedTimer clock;
        qint64 firstWrite = -1;
        QObject::connect(rig.sim.get(), &SimulatedReceiver::frameReceived, &t,
                         [&](const QByteArray& frame) {
                             if (firstWrite < 0 && frame.size() == 5 && frame[1] == MemoryOp::Write)
                                 firstWrite = clock.elapsed();
                         });
        clock.start();
        QVERIFY(writeOutcomes.contains(rig.Run([&] { return t.WriteTunerPresets(list); })));
        QVERIFY(firstWrite >= WriteBackDelay - 1);
        QCOMPARE(rig.Eeprom(32, 350), Bytes(list.Encode(step)));
        QCOMPARE(rig.Eeprom(19, 1), flag);

        // And it reads back as written.
        QCOMPARE(rig.Run([&] { return t.ReadPreset(1); }), Completed);
        QCOMPARE(image.BlockAndTableBytes(), preset);
        QCOMPARE(image.PresetName(), QStringLiteral("Late Night"));
    }

    // Cancel: nothing more goes to the unit, and the next transfer works.
    void cancelStopsCleanly_data()
    {
        QTest::addColumn<int>("kind");
        QTest::newRow("tuner read") << 0;
        QTest::newRow("EEPROM write") << 1;
        QTest::newRow("live-setup write") << 2;
    }
    void cancelStopsCleanly()
    {
        QFETCH(int, kind);
        SimRig rig(QStringLiteral("K230"), {});
        QVERIFY(rig.Connect());
        MemoryTransfer& t = rig.Transfer();
        QCOMPARE(rig.Run([&] { return t.ReadCurrentSetup(); }), Completed);
        const QByteArray before = rig.sim->Eeprom();

        // The cancel arrives as the progress window posts it.
        const int at = rig.memoryFrames + 30;
        QObject::connect(rig.sim.get(), &SimulatedReceiver::frameReceived, &t, [&] {
            if (rig.memoryFrames == at)
                QMetaObject::invokeMethod(&t, &MemoryTransfer::Abort, Qt::QueuedConnection);
        });
        const int outcome = rig.Run([&] {
            if (kind == 0)
                return t.ReadTunerPresets();
            if (kind == 1)
                return t.WriteEeprom(QByteArray(100, '\x77'), 1900);
            return t.WriteCurrentSetup();
        });
        QCOMPARE(outcome, Aborted);
        const int sent = rig.memoryFrames;
        QVERIFY(sent <= at + 2);
        Pause(4 * Retry);
        QCOMPARE(rig.memoryFrames, sent);
        if (kind == 1) {
            const int written = rig.sim->Eeprom().mid(1900, 100).count('\x77');
            QVERIFY(written > 20 && written < 40);
            QCOMPARE(rig.sim->Eeprom().mid(1900 + written), before.mid(1900 + written));
        }

        QCOMPARE(rig.Run([&] { return t.ReadCurrentSetup(); }), Completed);
        QCOMPARE(rig.Image().BlockBytes(), rig.sim->LiveSetup());
    }
};

QTEST_GUILESS_MAIN(TestTransferE2e)
#include "test_transfer_e2e.moc"
