#include "common/message_table.h"
#include "event_wait.h"
#include "link/message_set.h"
#include "simulated_receiver.h"
#include "test_bytes.h"
#include "transfer/memory_transfer.h"
#include "unit/unit_session.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

#include <functional>
#include <memory>
#include <utility>

using namespace Qt::Literals::StringLiterals;

// Whole transfers between the session and the simulated receiver over a
// pseudo-terminal, on a clean line, on one that loses, spoils and litters the
// frames both ways, with the cable pulled, and with a unit that keeps its own
// values in some cells. Writes on a faulty line are the fault matrix's
// (tests/e2e), which compares the unit's whole memory after each.
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
        QObject::connect(sim.get(), &SimulatedReceiver::frameReceived, [this](const QByteArray& p) {
            memoryFrames += p[0] == MessageType::LiveSetup || p[0] == MessageType::Eeprom;
        });
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

    // Starts a transfer and tells how it ended.
    QString Run(const std::function<bool()>& start)
    {
        QSignalSpy finished(&session.Transfer(), &MemoryTransfer::transferFinished);
        if (!start())
            return u"not started"_s;
        WaitFor([&] { return !finished.isEmpty(); }, 20000);
        return finished.isEmpty() ? u"no end"_s : finished.first().first().toString();
    }

    QByteArray Eeprom(int address, int count) const { return sim->Eeprom().mid(address, count); }

    std::unique_ptr<SimulatedReceiver> sim;
    UnitSession session;
    int memoryFrames = 0;
};

// The one message a transfer gave: its number and its text with the arguments.
bool Said(const QSignalSpy& failed, int message, const QString& text)
{
    return failed.size() == 1 && failed.first().at(0).toInt() == message &&
           failed.first().at(1).toString() == text;
}

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
        // The sheet's copy: each block read arrives with its completion.
        SettingsImage image;
        QObject::connect(&t, &MemoryTransfer::setupBlockRead, &t,
                         [&](int, const SettingsImage& read) { image = read; });
        const int size = rig.session.Status().facts.blockSize;
        const int base = rig.session.Status().facts.BlockSizeAddress();
        const auto preset = [&](int k) { return base + k * (size + 21); };

        QCOMPARE(rig.Run([&] { return t.ReadCurrentSetup(); }), u"Completed"_s);
        QCOMPARE(image.BlockAndTableBytes(),
                 rig.sim->LiveSetup() + rig.Eeprom(base + size + 1, 20));
        QVERIFY(image.SetByte(47, 20));
        const QByteArray live = image.BlockBytes();
        QVERIFY(live != rig.sim->LiveSetup());
        QCOMPARE(rig.Run([&] { return t.WriteSetup(0, image); }), u"Completed"_s);
        QVERIFY(WaitFor([&] { return rig.sim->LiveSetup() == live; }, 5000));
        // Presets 1..3 hold a setup, 4 and 5 are empty; 3 gets a status
        // byte that is neither 0 nor S.
        QByteArray eeprom = rig.sim->Eeprom();
        eeprom[preset(3)] = static_cast<char>(size - 1);
        QVERIFY(rig.sim->Unit().ReplaceEeprom(eeprom));
        QSignalSpy empty(&t, &MemoryTransfer::presetEmpty);
        QSignalSpy failed(&t, &MemoryTransfer::transferFailed);
        for (int k = 1; k <= 5; ++k) {
            QCOMPARE(rig.Run([&] { return t.ReadPreset(k); }),
                     k <= 2 ? u"Completed"_s : u"Failed"_s);
            if (k <= 2) {
                QCOMPARE(image.BlockAndTableBytes() + image.NameBytes(),
                         rig.Eeprom(preset(k) + 1, size + 20) + rig.Eeprom(643 + 13 * k, 13));
            }
        }
        QCOMPARE(empty.size(), 2);
        QCOMPARE(failed.size(), 1);
        QCOMPARE(failed.first().first().toInt(), int(Message::SizeMismatch));
        QSignalSpy tuner(&t, &MemoryTransfer::tunerPresetsRead);
        QCOMPARE(rig.Run([&] { return t.ReadTunerPresets(); }), u"Completed"_s);
        QCOMPARE(QByteArrayView(t.TunerImage()).toByteArray(), rig.Eeprom(32, 350));

        // Preset 1 gets the last block read, edited.
        QVERIFY(image.SetTableByte(0, 0x21));
        image.SetPresetName(u"Late Night"_s);
        const QByteArray written = image.BlockAndTableBytes() + image.NameBytes();
        QCOMPARE(rig.Run([&] { return t.WriteSetup(1, image); }), u"Completed"_s);
        QCOMPARE(rig.Eeprom(preset(1) + 1, size + 20) + rig.Eeprom(656, 13), written);
        QCOMPARE(rig.Eeprom(preset(1), 1), QByteArray(1, static_cast<char>(size)));
        auto list = tuner.first().first().value<TunerPresetList>();
        QVERIFY(list.AddFm(30, 10850, 1, u"TOP"_s));
        const QByteArray flag = rig.Eeprom(19, 1);
        QElapsedTimer clock;
        qint64 startedAt = -1;
        QObject::connect(&t, &MemoryTransfer::transferStarted, &t,
                         [&] { startedAt = clock.elapsed(); });
        clock.start();
        QSignalSpy texts(&t, &MemoryTransfer::progressTextChanged);
        QCOMPARE(rig.Run([&] { return t.WriteTunerPresets(list); }), u"Completed"_s);
        QVERIFY(startedAt >= WriteBackDelay - 1);
        QCOMPARE(texts.first().first().toString(), u"Transferring to EEPROM. (0/350 bytes)"_s);
        QCOMPARE(texts.last().first().toString(), u"Transferring to EEPROM. (349/350 bytes)"_s);
        QCOMPARE(rig.Eeprom(32, 350),
                 QByteArrayView(list.Encode(t.State().amStepSize)).toByteArray());
        QCOMPARE(rig.Eeprom(19, 1), flag);
    }

    // The cable is pulled after the unit's echo of the 100th byte of an
    // EEPROM write and put back 5 s later: the write ends as soon as the
    // session declares the unit lost, says how far it got, the memory holds
    // exactly the confirmed bytes, nothing more is sent, and the session
    // comes back by itself.
    void unpluggedDuringWrite()
    {
        SimRig rig(u"K230"_s);
        QVERIFY(rig.Connect());
        MemoryTransfer& t = rig.session.Transfer();
        constexpr int Address = 32;
        constexpr int Count = 350;
        constexpr int Confirmed = 100;
        const QByteArray old = rig.Eeprom(Address, Count);
        QByteArray data = old;
        for (char& byte : data)
            byte = static_cast<char>(byte ^ 0x5A);
        const int last = Address + Confirmed - 1;
        const QByteArray lastEcho = Bytes({MessageType::Eeprom, last & 0xFF, last >> 8,
                                           static_cast<std::uint8_t>(data[Confirmed - 1])});
        QElapsedTimer unplugged;
        bool plugged = true;
        QObject::connect(rig.sim.get(), &SimulatedReceiver::frameSent, &t,
                         [&](const QByteArray& payload) {
                             if (payload != lastEcho || unplugged.isValid())
                                 return;
                             rig.sim->SetUnplugged(true);
                             plugged = false;
                             unplugged.start();
                             QTimer::singleShot(5000, Qt::PreciseTimer, &t, [&] {
                                 rig.sim->SetUnplugged(false);
                                 plugged = true;
                             });
                         });
        QSignalSpy failed(&t, &MemoryTransfer::transferFailed);
        QCOMPARE(rig.Run([&] { return t.WriteEeprom(data, Address); }), u"Failed"_s);
        QVERIFY(!plugged);
        QVERIFY(Said(failed, Message::WriteLost,
                     MessageTable::Text(Message::WriteLost).arg(Confirmed).arg(Count)));
        QCOMPARE(rig.Eeprom(Address, Count), data.left(Confirmed) + old.mid(Confirmed));
        QVERIFY(!t.IsBusy());

        int sentUnplugged = 0;
        QObject::connect(&rig.session.Link(), &UnitLink::payloadSent, &t,
                         [&](const QByteArray& payload) {
                             sentUnplugged += !plugged && (payload[0] == MessageType::Eeprom ||
                                                           payload[0] == MessageType::LiveSetup);
                         });
        QSignalSpy sized(&t, &MemoryTransfer::blockSizeRead);
        QVERIFY(WaitFor([&] { return rig.session.Status().connected && !sized.isEmpty(); }, 8000));
        QVERIFY(unplugged.elapsed() >= 5000);
        QCOMPARE(sentUnplugged, 0);
        QVERIFY(rig.session.Status().facts.blockSize > 0);
        QCOMPARE(rig.Run([&] { return t.WriteEeprom(data, Address); }), u"Completed"_s);
        QCOMPARE(rig.Eeprom(Address, Count), data);
    }

    // Cells that keep the unit's own limit: a live-setup byte is taken at the
    // unit's value and named, an EEPROM byte is refused and named; neither
    // loops, and every other byte lands.
    void unitLimits()
    {
        SimRig rig(u"K230"_s);
        QVERIFY(rig.Connect());
        MemoryTransfer& t = rig.session.Transfer();
        QCOMPARE(rig.Run([&] { return t.ReadCurrentSetup(); }), u"Completed"_s);
        SettingsImage image = t.Image();
        const int position = image.Position(35);
        QVERIFY(image.SetByteAt(position, 200));
        QVERIFY(image.SetByte(47, 20));
        QVERIFY(rig.sim->Unit().SetLiveClamp(position, 100));
        QSignalSpy failed(&t, &MemoryTransfer::transferFailed);
        int frames = rig.memoryFrames;
        QCOMPARE(rig.Run([&] { return t.WriteSetup(0, image); }), u"Completed"_s);
        QVERIFY(Said(failed, Message::LiveClamped,
                     MessageTable::Text(Message::LiveClamped).arg(position)));
        QByteArray live = image.BlockBytes();
        live[position] = 100;
        QCOMPARE(rig.sim->LiveSetup(), live);
        // One write a byte, the clamped one as often as it takes to be sure,
        // and the end of the write; a retry or two may come from a slow
        // scheduler.
        Pause(60);
        frames = rig.memoryFrames - frames;
        QVERIFY2(frames <= image.Size() + MemoryTransfer::LiveClampAnswers + 2,
                 qPrintable(QString::number(frames)));

        constexpr int Address = 1900;
        constexpr int Refused = 1907;
        QByteArray data(20, '\0');
        for (qsizetype i = 0; i < data.size(); ++i)
            data[i] = static_cast<char>(0x80 + i);
        QVERIFY(rig.sim->Unit().SetEepromClamp(Refused, 0x10));
        failed.clear();
        frames = rig.memoryFrames;
        QCOMPARE(rig.Run([&] { return t.WriteEeprom(data, Address); }), u"Failed"_s);
        QVERIFY(Said(failed, Message::WriteRefused,
                     MessageTable::Text(Message::WriteRefused).arg(1).arg(20).arg(Refused)));
        QByteArray eeprom = data;
        eeprom[Refused - Address] = 0x10;
        QCOMPARE(rig.Eeprom(Address, 20), eeprom);
        // The refused byte: MaxWriteSends writes, each with its read-back.
        Pause(60);
        frames = rig.memoryFrames - frames;
        QVERIFY2(frames <= 20 + 2 * MemoryTransfer::MaxWriteSends + 2,
                 qPrintable(QString::number(frames)));
    }

    // Cancel, posted as the progress window posts it: nothing more goes to
    // the unit, and the next transfer works.
    void cancelStopsCleanly()
    {
        SimRig rig(u"K230"_s);
        QVERIFY(rig.Connect());
        MemoryTransfer& t = rig.session.Transfer();
        QCOMPARE(rig.Run([&] { return t.ReadCurrentSetup(); }), u"Completed"_s);
        // Posted once, though the session's own queries follow.
        int at = -1;
        bool posted = true;
        QObject::connect(rig.sim.get(), &SimulatedReceiver::frameReceived, &t, [&] {
            if (rig.memoryFrames == at && !std::exchange(posted, true))
                QMetaObject::invokeMethod(&t, &MemoryTransfer::Abort, Qt::QueuedConnection);
        });
        const std::function<bool()> transfers[] = {
            [&] { return t.ReadTunerPresets(); },
            [&] { return t.WriteEeprom(QByteArray(100, '\x77'), 1900); },
            [&] { return t.WriteCurrentSetup(t.Image()); }};
        for (const auto& start : transfers) {
            at = rig.memoryFrames + 30;
            posted = false;
            QCOMPARE(rig.Run(start), u"Aborted"_s);
            const int sent = rig.memoryFrames;
            QVERIFY(sent <= at + 2);
            Pause(60);
            QCOMPARE(rig.memoryFrames, sent);
        }
        QCOMPARE(rig.Run([&] { return t.ReadCurrentSetup(); }), u"Completed"_s);
        QCOMPARE(t.Image().BlockBytes(), rig.sim->LiveSetup());
    }
};

QTEST_GUILESS_MAIN(TestTransferE2e)
#include "test_transfer_e2e.moc"
