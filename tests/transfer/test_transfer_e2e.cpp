#include "common/message_table.h"
#include "event_wait.h"
#include "simulated_receiver.h"
#include "transfer/memory_transfer.h"
#include "transfer_results.h"
#include "unit/unit_session.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

#include <functional>
#include <memory>

using namespace Qt::Literals::StringLiterals;

// Whole transfers between the session and the simulated receiver over a
// pseudo-terminal, on a clean line, on one that loses, spoils and litters the
// frames both ways. Writes on a faulty line and a unit lost in the middle of
// one are the fault matrix's (tests/e2e), which compares the unit's whole
// memory after each; cancelled runs, lost units and the unit's own limits
// are also the engine's test.
namespace {

constexpr int WriteBackDelay = 20;

struct SimRig
{
    // A faulty line drops 10 % and spoils 5 % of the frames both ways and
    // puts noise before them.
    explicit SimRig(const QString& model, bool faulty = false)
    {
        SimOptions options;
        options.model = model;
        options.lineRate = 0; // unpaced: a round trip takes well under a millisecond
        options.rdsPeriodMs = 0;
        options.dropPercent = options.requestDropPercent = faulty ? 10 : 0;
        options.corruptPercent = options.requestCorruptPercent = faulty ? 5 : 0;
        options.noise = options.requestNoise = faulty;
        options.seed = 7;
        sim = std::make_unique<SimulatedReceiver>(options);
        // Each lost reply costs a retry period: keep it short on a faulty line.
        const int retry = faulty ? 4 : 15;
        session.SetTiming({40, 10, {20, 250, 500}, {retry, retry, WriteBackDelay}});
    }

    bool Connect()
    {
        if (!sim->Start())
            return false;
        session.SetPortSetting(sim->SlavePath());
        session.Start();
        return WaitFor([this] { return session.Status().facts.blockSize > 0; }, 5000);
    }

    // Makes a request and tells its result (Describe); `result` keeps it.
    QString Run(const std::function<bool(TransferDone)>& start)
    {
        auto calls = std::make_shared<int>(0); // outlives a request that never ends
        start([this, calls](const TransferResult& got) {
            result = got;
            ++*calls;
        });
        WaitFor([&] { return *calls > 0; }, 20000);
        Pause(5); // and no second result
        return *calls == 1 ? Describe(result) : u"%1 results"_s.arg(*calls);
    }

    QByteArray Eeprom(int address, int count) const { return sim->Eeprom().mid(address, count); }

    std::unique_ptr<SimulatedReceiver> sim;
    UnitSession session;
    TransferResult result;
};

} // namespace

class TestTransferE2e : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void roundTrip_data()
    {
        QTest::addColumn<QString>("model");
        QTest::addColumn<bool>("faulty"); // drops 10 %, spoils 5 %, adds noise, both ways
        QTest::newRow("K230") << "K230" << false;
        QTest::newRow("K220") << "K220" << false;
        QTest::newRow("K110") << "K110" << false;
        QTest::newRow("K240, faulty line") << "K240" << true;
    }
    // Every read gives the unit's bytes; a changed current setup, preset 1
    // (block, table and name) and tuner preset list land byte for byte.
    void roundTrip()
    {
        QFETCH(QString, model);
        QFETCH(bool, faulty);
        SimRig rig(model, faulty);
        QVERIFY(rig.Connect());
        MemoryTransfer& t = rig.session.Transfer();
        const int size = rig.session.Status().facts.blockSize;
        const int base = rig.session.Status().facts.BlockSizeAddress();
        const auto preset = [&](int k) { return base + k * (size + 21); };

        QCOMPARE(rig.Run([&](TransferDone done) { return t.ReadCurrentSetup(done); }),
                 u"block 0"_s);
        SettingsImage image = rig.result.image;
        QCOMPARE(image.BlockAndTableBytes(),
                 rig.sim->LiveSetup() + rig.Eeprom(base + size + 1, 20));
        QVERIFY(image.SetByte(47, 20));
        const QByteArray live = image.BlockBytes();
        QVERIFY(live != rig.sim->LiveSetup());
        QCOMPARE(rig.Run([&](TransferDone done) { return t.WriteSetup(0, image, done); }),
                 u"written %1/%1"_s.arg(size));
        QVERIFY(WaitFor([&] { return rig.sim->LiveSetup() == live; }, 5000));
        // Presets 1..3 hold a setup, 4 and 5 are empty; 3 gets a status
        // byte that is neither 0 nor S.
        QByteArray eeprom = rig.sim->Eeprom();
        eeprom[preset(3)] = static_cast<char>(size - 1);
        QVERIFY(rig.sim->Unit().ReplaceEeprom(eeprom));
        for (int k = 1; k <= 5; ++k) {
            QCOMPARE(rig.Run([&](TransferDone done) { return t.ReadPreset(k, done); }),
                     k <= 2   ? u"block %1"_s.arg(k)
                     : k == 3 ? u"failed 0/0"_s
                              : u"empty %1"_s.arg(k));
            if (k <= 2) {
                image = rig.result.image;
                QCOMPARE(image.BlockAndTableBytes() + image.NameBytes(),
                         rig.Eeprom(preset(k) + 1, size + 20) + rig.Eeprom(643 + 13 * k, 13));
            }
            if (k == 3)
                QCOMPARE(rig.result.MessageNumber(), int(Message::SizeMismatch));
        }
        QVERIFY(rig.Run([&](TransferDone done) { return t.ReadTunerPresets(done); })
                    .startsWith(u"tuner step"_s));
        auto list = rig.result.tuner;
        const int step = rig.result.amStepSize;
        QCOMPARE(QByteArrayView(list.Encode(step)).toByteArray(), rig.Eeprom(32, 350));

        // Preset 1 gets the last block read, edited.
        QVERIFY(image.SetTableByte(0, 0x21));
        image.SetPresetName(u"Late Night"_s);
        const QByteArray written = image.BlockAndTableBytes() + image.NameBytes();
        QCOMPARE(rig.Run([&](TransferDone done) { return t.WriteSetup(1, image, done); }),
                 u"written %1/%1"_s.arg(size + 20 + 13));
        QCOMPARE(rig.Eeprom(preset(1) + 1, size + 20) + rig.Eeprom(656, 13), written);
        QCOMPARE(rig.Eeprom(preset(1), 1), QByteArray(1, static_cast<char>(size)));
        QVERIFY(list.AddFm(30, 10850, 1, u"TOP"_s));
        const QByteArray flag = rig.Eeprom(19, 1);
        QElapsedTimer clock;
        qint64 startedAt = -1;
        QObject::connect(&t, &MemoryTransfer::transferStarted, &t,
                         [&] { startedAt = clock.elapsed(); });
        clock.start();
        QSignalSpy texts(&t, &MemoryTransfer::progressTextChanged);
        QCOMPARE(rig.Run([&](TransferDone done) { return t.WriteTunerPresets(list, step, done); }),
                 u"written 350/350"_s);
        QVERIFY(startedAt >= WriteBackDelay - 1);
        QCOMPARE(texts.first().first().toString(), u"Transferring to EEPROM. (0/350 bytes)"_s);
        QCOMPARE(texts.last().first().toString(), u"Transferring to EEPROM. (349/350 bytes)"_s);
        QCOMPARE(rig.Eeprom(32, 350), QByteArrayView(list.Encode(step)).toByteArray());
        QCOMPARE(rig.Eeprom(19, 1), flag);
    }
};

QTEST_GUILESS_MAIN(TestTransferE2e)
#include "test_transfer_e2e.moc"
