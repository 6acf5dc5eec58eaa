#include "fault_injector.h"
#include "link/message_set.h"
#include "link/unit_frame.h"
#include "sim_command_line.h"
#include "simulated_receiver.h"
#include "test_files.h"

#include "event_wait.h"
#include "test_bytes.h"

#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

QByteArrayList Decode(const QByteArray& stream)
{
    UnitFrame decoder;
    QByteArrayList frames;
    for (char byte : stream) {
        if (decoder.Feed(quint8(byte)))
            frames.append(decoder.Payload());
    }
    return frames;
}

// Nanoseconds the bytes take at 9600 baud, 10 bits each.
qint64 WireNs(qsizetype bytes)
{
    return bytes * 10 * 1'000'000'000LL / 9600;
}

// The program's end of the line, in the raw mode the unit keeps, read with
// plain POSIX calls while the event loop the receiver runs on turns.
struct SlaveSide
{
    explicit SlaveSide(const QString& path)
        : fd(::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK))
    {}
    ~SlaveSide() { ::close(fd); }

    void Write(const QByteArray& bytes)
    {
        clock.start();
        QCOMPARE(::write(fd, bytes.constData(), size_t(bytes.size())), ssize_t(bytes.size()));
    }
    const QByteArray& Drain()
    {
        char buffer[512];
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n > 0)
            received.append(buffer, n);
        return received;
    }
    QByteArray Take() { return std::exchange(received, QByteArray()); }

    int fd;
    QByteArray received;
    QElapsedTimer clock; // from the last write
};

} // namespace

class SimReceiverTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void pacedRepliesOverARealPty()
    {
        SimOptions options;
        options.replyDelayMs = options.rdsPeriodMs = 20;
        SimulatedReceiver receiver(options);
        constexpr qint64 DelayNs = 20'000'000;
        QString error;
        QVERIFY2(receiver.Start(&error), qPrintable(error));
        SlaveSide slave(receiver.SlavePath());
        // EEPROM reads one at a time, as a memory transfer makes them: each reply
        // comes whole, once the request, the delay and the reply have passed.
        for (int address = 1024; address < 1029; ++address) {
            const QByteArray request =
                UnitFrame::Encode(Bytes({30, 0, address & 0xFF, address >> 8}));
            const QByteArray reply = UnitFrame::Encode(
                Bytes({30, address & 0xFF, address >> 8, quint8(receiver.Eeprom().at(address))}));
            slave.Write(request);
            QVERIFY(WaitFor([&] { return slave.Drain().size() >= reply.size(); }, 1000));
            const qint64 elapsed = slave.clock.nsecsElapsed();
            QCOMPARE(slave.Take(), reply);
            const qint64 bound = WireNs(request.size() + reply.size()) + DelayNs;
            QVERIFY2(elapsed >= bound, qPrintable(QString::number(elapsed)));
        }

        // A burst: the requests cross the line in turn, the replies queue up.
        const QByteArray version = UnitFrame::Encode(Bytes({23}));
        const QByteArray versionReply = UnitFrame::Encode(Bytes({23, 2, 5}));
        slave.Write(version + version + version);
        QVERIFY(WaitFor([&] { return slave.Drain().size() >= 3 * versionReply.size(); }, 1000));
        const qint64 inbound = WireNs(3 * version.size() + versionReply.size());
        const qint64 outbound = WireNs(version.size() + 3 * versionReply.size());
        QVERIFY(slave.clock.nsecsElapsed() >= std::max(inbound, outbound) + DelayNs);
        QCOMPARE(slave.Take(), versionReply + versionReply + versionReply);

        // RDS, none in standby, takes its turns on the line once FM is heard.
        slave.Write(UnitFrame::Encode(Bytes({22, KeyCode::MainPower})));
        const QByteArray segment = Bytes({28, 8}) + "87.9 - B";
        QVERIFY(WaitFor([&] { return Decode(slave.Drain()).contains(segment); }, 2000));
    }

    // EEPROM writes over a line with faults both ways, payloads with bytes
    // that need escaping: only the requests the unit's receiver accepts are
    // stored and answered, each direction's faults are those its seed gives,
    // stray bytes are never a start, end or escape byte, and only the clean
    // frames decode.
    void lineFaults()
    {
        constexpr int Drop = 10, Corrupt = 25; // percent, both ways, with noise
        constexpr int Frames = 400;
        constexpr int Chunk = 40;  // the replies to one stay below what the pty keeps unread
        constexpr int First = 600; // the first address written; 606 is 0x25E
        const QByteArray factory = SimUnit(u"K230"_s, 2, 5).Eeprom();
        auto value = [&](int a) { return ~factory.at(a) & 0xFF; };
        SimOptions options;
        options.lineRate = 0;
        options.seed = 7;
        options.dropPercent = options.requestDropPercent = Drop;
        options.corruptPercent = options.requestCorruptPercent = Corrupt;
        options.noise = options.requestNoise = true;
        SimulatedReceiver receiver(options);
        QString fates; // per request: Received, Dropped, Rejected
        connect(&receiver, &SimulatedReceiver::frameReceived, [&] { fates += u'R'; });
        connect(&receiver, &SimulatedReceiver::requestDropped, [&] { fates += u'D'; });
        connect(&receiver, &SimulatedReceiver::requestRejected, [&] { fates += u'C'; });
        QVERIFY(receiver.Start());
        SlaveSide slave(receiver.SlavePath());
        for (int i = 0; i < Frames; i += Chunk) {
            QByteArray requests;
            for (int a = First + i; a < First + i + Chunk; ++a)
                requests += UnitFrame::Encode(Bytes({30, 1, a & 0xFF, a >> 8, value(a)}));
            slave.Write(requests);
            QVERIFY(WaitFor([&] { return slave.Drain(), fates.size() == i + Chunk; }, 2000));
        }
        // A clean round trip last: every reply before it has come.
        receiver.SetFaults(0, 0, false);
        receiver.SetRequestFaults(0, 0, false);
        const QByteArray last = UnitFrame::Encode(Bytes({23, 2, 5}));
        slave.Write(UnitFrame::Encode(Bytes({23})));
        QVERIFY(WaitFor([&] { return slave.Drain().endsWith(last); }, 2000));
        fates.chop(1);

        FaultInjector replies(7);
        replies.Configure(Drop, Corrupt, true);
        QByteArray expected;
        QByteArrayList clean;
        int noisy = 0;
        for (int a = First; a < First + Frames; ++a) {
            const bool stored = fates.at(a - First) == u'R';
            QCOMPARE(receiver.Eeprom().at(a) != factory.at(a), stored);
            if (!stored)
                continue;
            const QByteArray payload = Bytes({30, a & 0xFF, a >> 8, value(a)});
            const FaultInjector::Outcome outcome = replies.Apply(payload);
            expected += outcome.bytes;
            if (outcome.fate == FaultInjector::Fate::Sent)
                clean += payload;
            const qsizetype start = outcome.bytes.indexOf(char(UnitFrame::Start));
            for (char stray : outcome.bytes.left(start))
                QVERIFY(!QByteArray("\x01\x02\x5E").contains(stray));
            noisy += start > 0 ? 1 : 0;
        }
        const QByteArray line = slave.Take().chopped(last.size());
        QCOMPARE(line, expected);
        QCOMPARE(Decode(line), clean);
        QVERIFY(noisy > 0);
        const auto dropped = fates.count(u'D');
        QVERIFY2(qAbs(100.0 * dropped / Frames - Drop) < 5, qPrintable(fates));
        QVERIFY2(qAbs(100.0 * fates.count(u'C') / (Frames - dropped) - Corrupt) < 5,
                 qPrintable(fates));
    }

    // An EEPROM write through a hang and a pulled cable: while silent the
    // bytes are stored unanswered, while unplugged they are lost, and a frame
    // that the cable cut is lost whole. A clamped cell holds its most.
    void silentAndUnpluggedMidWrite()
    {
        SimOptions options;
        options.lineRate = 0;
        options.eepromClamps = {{1502, 0x30}};
        SimulatedReceiver receiver(options);
        QSignalSpy received(&receiver, &SimulatedReceiver::frameReceived);
        QSignalSpy dropped(&receiver, &SimulatedReceiver::requestDropped);
        QVERIFY(receiver.Start());
        SlaveSide slave(receiver.SlavePath());
        const QByteArray before = receiver.Eeprom();
        auto write = [](int i) {
            return UnitFrame::Encode(Bytes({30, 1, (1500 + i) & 0xFF, (1500 + i) >> 8, 0x40 + i}));
        };
        auto send = [&](const QByteArray& bytes, QSignalSpy& spy, qsizetype count) {
            slave.Write(bytes);
            return WaitFor([&] { return spy.size() == count; }, 1000);
        };
        QVERIFY(send(write(0) + write(1) + write(2) + write(3), received, 4));
        receiver.SetSilent(true);
        QVERIFY(send(write(4) + write(5), received, 6));
        receiver.SetSilent(false);
        // Frames cut by the cable going and coming back, after an escape byte:
        // 01 1E 5E | 41 E3 5E 45 ..
        QVERIFY(send(write(6) + write(7).left(3), received, 7));
        receiver.SetUnplugged(true);
        QVERIFY(send(write(7).mid(3) + write(8) + write(9).left(3), dropped, 1));
        receiver.SetUnplugged(false);
        QVERIFY(send(write(9).mid(3) + write(10) + write(11), received, 9));
        QCOMPARE(dropped.size(), 1);

        QByteArray replies;
        for (int i : {0, 1, 2, 3, 6, 10, 11})
            replies += UnitFrame::Encode(
                Bytes({30, (1500 + i) & 0xFF, (1500 + i) >> 8, i == 2 ? 0x30 : 0x40 + i}));
        QVERIFY(WaitFor([&] { return slave.Drain().size() >= replies.size(); }, 1000));
        QCOMPARE(slave.Take(), replies);
        QByteArray stored = before;
        for (int i : {0, 1, 3, 4, 5, 6, 10, 11}) // 7, 8 and 9 never came
            stored[1500 + i] = char(0x40 + i);
        stored[1502] = 0x30;
        QCOMPARE(receiver.Eeprom(), stored);
    }

    void eepromFileAndLink()
    {
        QTemporaryDir dir;
        SimOptions options;
        // Refused, and left as they were: an image of the wrong size, a file
        // where the link should go.
        options.eepromFile = dir.filePath(u"bad"_s);
        QVERIFY(WriteFile(options.eepromFile, QByteArray(2049, 'x')));
        QString error;
        QVERIFY(!SimulatedReceiver(options).Start(&error));
        QVERIFY2(error.contains(u"2048"_s), qPrintable(error));
        QCOMPARE(QFileInfo(options.eepromFile).size(), 2049);
        options.eepromFile = dir.filePath(u"unit.eeprom"_s);
        options.linkPath = dir.filePath(u"unit"_s);
        QVERIFY(WriteFile(options.linkPath, "keep me"));
        QVERIFY(!SimulatedReceiver(options).Start(&error));
        QVERIFY2(error.contains(u"not a symbolic link"_s), qPrintable(error));
        QFile kept(options.linkPath);
        QVERIFY(kept.open(QIODevice::ReadOnly) && kept.readAll() == "keep me");

        // The stale link of an earlier run is replaced and follows the pty
        // when the unit is unplugged and back; the image made then is what
        // the next run starts from.
        QFile::remove(options.linkPath);
        QFile::link(u"/nonexistent"_s, options.linkPath);
        {
            SimulatedReceiver receiver(options);
            QVERIFY(receiver.Start());
            receiver.Disappear();
            QVERIFY(!QFileInfo(options.linkPath).isSymLink());
            QVERIFY(receiver.Reappear());
            SlaveSide slave(options.linkPath);
            slave.Write(UnitFrame::Encode(Bytes({30, 1, 0x10, 0x02, 0x77})));
            QVERIFY(WaitFor([&] { return receiver.Eeprom().at(0x210) == 0x77; }, 1000));
        }
        SimulatedReceiver again(options);
        QVERIFY(again.Start());
        QCOMPARE(again.Eeprom().at(0x210), 0x77);
    }

    // Options that change more than one field or repeat; an error leaves
    // the options as they were.
    void commandLine()
    {
        SimOptions options;
        QString text;
        const auto parse = [&](const QString& arguments) {
            return SimCommandLine::Parse(("sim "_L1 + arguments).split(u' '), &options, &text) ==
                   SimCommandLine::Outcome::Run;
        };
        QVERIFY2(parse(u"--model=K220 --firmware=V127.20 --drop=5 --corrupt=7 --noise "
                       "--seed=4294967295 --faults-both --clamp-live=54=9 --clamp-live=0=255 "
                       "--clamp-eeprom=2047=0 --clamp-eeprom=2047=7"_s),
                 qPrintable(text));
        QCOMPARE(QList<qint64>({options.requestDropPercent, options.requestCorruptPercent,
                                options.requestNoise, options.seed}),
                 QList<qint64>({5, 7, 1, 4294967295}));
        QCOMPARE(options.liveClamps, (QMap<int, int>{{0, 255}, {54, 9}}));
        QCOMPARE(options.eepromClamps, (QMap<int, int>{{2047, 7}}));
        QCOMPARE(options.firmware, u"V127.20"_s);
        for (const auto& [arguments, message] :
             {std::pair{u"--faults-both --noise-requests"_s, u"--noise-requests"_s},
              {u"--model=K220 --firmware=v1.20 --clamp-live=54=0"_s, u"0 to 53"_s},
              {u"--seed=4294967296"_s, u"--seed"_s}}) {
            QVERIFY(!parse(arguments));
            QVERIFY2(text.contains(message), qPrintable(text));
            QCOMPARE(options.firmware, u"V127.20"_s);
        }
    }
};

QTEST_GUILESS_MAIN(SimReceiverTest)
#include "test_sim_receiver.moc"
