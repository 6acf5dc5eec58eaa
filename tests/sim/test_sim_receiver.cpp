#include "fault_injector.h"
#include "link/message_set.h"
#include "link/unit_frame.h"
#include "sim_command_line.h"
#include "simulated_receiver.h"

#include "event_wait.h"
#include "test_bytes.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <array>

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

QString WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
    return path;
}

QByteArray ReadFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
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
    // True once count bytes have come, false when the time is up first.
    bool Wait(qsizetype count, int ms)
    {
        return WaitFor([&] { return Drain().size() >= count; }, ms);
    }
    QByteArray Take() { return std::exchange(received, QByteArray()); }

    int fd;
    QByteArray received;
    QElapsedTimer clock; // from the last write
};

const QByteArray IdentityQuery = UnitFrame::Encode(Bytes({20, 20}));
const QByteArray IdentityReply = UnitFrame::Encode(Bytes({20, 20, 'K', '2', '3', '0'}));

} // namespace

class SimReceiverTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void pacedRepliesOverARealPty()
    {
        SimOptions options;
        options.replyDelayMs = 20;
        options.rdsPeriodMs = 20;
        SimulatedReceiver receiver(options);
        constexpr qint64 DelayNs = 20'000'000;
        QString error;
        QVERIFY2(receiver.Start(&error), qPrintable(error));
        SlaveSide slave(receiver.SlavePath());
        // EEPROM reads one at a time, as a memory transfer makes them: each reply
        // comes whole, once the request, the delay and the reply have passed.
        constexpr int Rounds = 5;
        qint64 overheadNs = 0;
        for (int address = 1024; address < 1024 + Rounds; ++address) {
            const QByteArray request =
                UnitFrame::Encode(Bytes({30, 0, address & 0xFF, address >> 8}));
            const QByteArray reply = UnitFrame::Encode(
                Bytes({30, address & 0xFF, address >> 8, quint8(receiver.Eeprom().at(address))}));
            slave.Write(request);
            QVERIFY(slave.Wait(reply.size(), 1000));
            const qint64 elapsed = slave.clock.nsecsElapsed();
            QCOMPARE(slave.Take(), reply);
            const qint64 bound = WireNs(request.size() + reply.size()) + DelayNs;
            QVERIFY2(elapsed >= bound, qPrintable(QString::number(elapsed)));
            overheadNs += elapsed - bound;
        }
        // Coarse, as the machine may be busy; the pacing itself is far tighter.
        QVERIFY(overheadNs / Rounds < 5'000'000);

        // A burst: the requests cross the line in turn, the replies queue up.
        const QByteArray version = UnitFrame::Encode(Bytes({23}));
        const QByteArray versionReply = UnitFrame::Encode(Bytes({23, 2, 5}));
        slave.Write(version + version + version);
        QVERIFY(slave.Wait(3 * versionReply.size(), 1000));
        const qint64 inbound = WireNs(3 * version.size() + versionReply.size());
        const qint64 outbound = WireNs(version.size() + 3 * versionReply.size());
        QVERIFY(slave.clock.nsecsElapsed() >= std::max(inbound, outbound) + DelayNs);
        QCOMPARE(slave.Take(), versionReply + versionReply + versionReply);

        // RDS, none in standby, takes its turns on the line once FM is heard.
        slave.Write(UnitFrame::Encode(Bytes({22, KeyCode::MainPower})));
        const QByteArray segment = Bytes({28, 8}) + "87.9 - B";
        QVERIFY(WaitFor([&] { return Decode(slave.Drain()).contains(segment); }, 2000));
    }

    // Frame by frame: silenced, answered, spoilt, lost, and past the fourth
    // silent, though requests still act on the unit.
    void lineFaultsAndSilence()
    {
        SimOptions options;
        options.silentAfter = 4;
        options.lineRate = 0; // replies are on the line once their request is received
        SimulatedReceiver receiver(options);
        QSignalSpy received(&receiver, &SimulatedReceiver::frameReceived);
        QSignalSpy sent(&receiver, &SimulatedReceiver::frameSent);
        QVERIFY(receiver.Start());
        SlaveSide slave(receiver.SlavePath());
        auto ask = [&](const QByteArray& frame) {
            slave.Write(frame);
            const qsizetype count = received.size() + 1;
            return WaitFor([&] { return received.size() == count; }, 1000);
        };
        receiver.SetSilent(true);
        QVERIFY(ask(IdentityQuery));
        receiver.SetSilent(false);
        QVERIFY(ask(IdentityQuery));
        receiver.SetFaults(0, 100, false);
        QVERIFY(ask(IdentityQuery));
        receiver.SetFaults(100, 0, false);
        QVERIFY(ask(IdentityQuery));
        receiver.SetFaults(0, 0, false);
        QVERIFY(ask(UnitFrame::Encode(Bytes({22, KeyCode::MainPower}))));
        QCOMPARE(receiver.Unit().Value(Variable::MainPower), 1);
        QVERIFY(!slave.Wait(100, 30));
        // The spoilt checksum is the byte sum (8), escaped as the line needs.
        QCOMPARE(slave.Take(),
                 IdentityReply + Bytes({1, 20, 20, 'K', '2', '3', '0', 2, 0x5E, 0x48}));
        QCOMPARE(sent.size(), 2);
        QCOMPARE(received.at(0).at(0).toByteArray(), Bytes({20, 20}));
    }

    void faultStatistics_data()
    {
        QTest::addColumn<int>("drop");
        QTest::addColumn<int>("corrupt");
        QTest::addColumn<bool>("noise");
        QTest::newRow("clean") << 0 << 0 << false;
        QTest::newRow("drop 20") << 20 << 0 << false;
        QTest::newRow("drop 30, corrupt 30, noise") << 30 << 30 << true;
        QTest::newRow("drop all") << 100 << 0 << true;
    }
    // The seed makes the line: a twin the same, another seed another.
    void faultStatistics()
    {
        QFETCH(int, drop);
        QFETCH(int, corrupt);
        QFETCH(bool, noise);
        std::array<FaultInjector, 3> faults = {FaultInjector(7), FaultInjector(7),
                                               FaultInjector(8)};
        for (FaultInjector& each : faults)
            each.Configure(drop, corrupt, noise);
        constexpr int Frames = 4000;
        QByteArray stream;
        QByteArrayList expected;
        int dropped = 0;
        int noisy = 0;
        int unlike = 0;
        for (int i = 0; i < Frames; ++i) {
            // Payloads with bytes that need escaping, including the escape itself.
            const QByteArray payload = Bytes({30, i & 0xFF, 0x5E, (i * 7) & 0xFF});
            const FaultInjector::Outcome outcome = faults[0].Apply(payload);
            QCOMPARE(faults[1].Apply(payload).bytes, outcome.bytes);
            unlike += faults[2].Apply(payload).bytes != outcome.bytes ? 1 : 0;
            if (outcome.fate == FaultInjector::Fate::Sent)
                expected.append(payload);
            // Stray bytes before the frame: never a start, end or escape byte.
            const qsizetype start = outcome.bytes.indexOf(char(UnitFrame::Start));
            for (char stray : outcome.bytes.left(start))
                QVERIFY(!QByteArray("\x01\x02\x5E").contains(stray));
            dropped += start < 0 ? 1 : 0;
            noisy += start > 0 ? 1 : 0;
            stream.append(outcome.bytes);
        }
        QCOMPARE(unlike > 0, drop % 100 != 0 || corrupt != 0);
        // Only the clean frames decode, noise and spoilt checksums in between.
        QCOMPARE(Decode(stream), expected);
        const int corrupted = Frames - dropped - int(expected.size());
        auto near = [](int count, int total, int percent) {
            return total == 0 || qAbs(100.0 * count / total - percent) < 2.5;
        };
        QVERIFY2(near(dropped, Frames, drop), qPrintable(QString::number(dropped)));
        QVERIFY2(near(corrupted, Frames - dropped, corrupt),
                 qPrintable(QString::number(corrupted)));
        QVERIFY2(near(noisy, Frames - dropped, noise ? 30 : 0), qPrintable(QString::number(noisy)));
    }

    // EEPROM writes over the line: only those the unit's receiver accepts are
    // stored and answered, a seed repeats itself, and the replies keep the
    // faults their seed gave them before requests had any.
    void requestFaults()
    {
        constexpr int Drop = 10, Corrupt = 25; // percent, with noise before the frames
        constexpr int Frames = 400;
        constexpr int Chunk = 40;  // the replies to one stay below what the pty keeps unread
        constexpr int First = 600; // the first address written
        const QByteArray factory = SimUnit(u"K230"_s, 2, 5).Eeprom();
        auto value = [&](int a) { return ~factory.at(a) & 0xFF; };
        struct Run
        {
            QString fates; // per request: Received, Dropped, Rejected
            QByteArray line;
            QByteArray eeprom;
        };
        auto run = [&](quint32 seed) {
            SimOptions options;
            options.lineRate = 0;
            options.seed = seed;
            options.corruptPercent = 20;
            options.requestDropPercent = Drop;
            options.requestCorruptPercent = Corrupt;
            options.requestNoise = true;
            SimulatedReceiver receiver(options);
            Run result;
            connect(&receiver, &SimulatedReceiver::frameReceived, [&] { result.fates += u'R'; });
            connect(&receiver, &SimulatedReceiver::requestDropped, [&] { result.fates += u'D'; });
            connect(&receiver, &SimulatedReceiver::requestRejected, [&] { result.fates += u'C'; });
            if (!receiver.Start())
                return result;
            SlaveSide slave(receiver.SlavePath());
            for (int i = 0; i < Frames; i += Chunk) {
                QByteArray requests;
                for (int a = First + i; a < First + i + Chunk; ++a)
                    requests += UnitFrame::Encode(Bytes({30, 1, a & 0xFF, a >> 8, value(a)}));
                slave.Write(requests);
                WaitFor([&] { return slave.Drain(), result.fates.size() == i + Chunk; }, 2000);
            }
            // A clean round trip last: every reply before it has come.
            receiver.SetFaults(0, 0, false);
            receiver.SetRequestFaults(0, 0, false);
            const QByteArray last = UnitFrame::Encode(Bytes({23, 2, 5}));
            slave.Write(UnitFrame::Encode(Bytes({23})));
            WaitFor([&] { return slave.Drain().endsWith(last); }, 2000);
            result.line = slave.Take().chopped(last.size());
            result.fates.chop(1);
            result.eeprom = receiver.Eeprom();
            return result;
        };
        const Run first = run(7);
        QCOMPARE(first.fates.size(), Frames);
        const Run twin = run(7);
        QCOMPARE(twin.fates, first.fates);
        QCOMPARE(twin.line, first.line);

        FaultInjector replies(7);
        replies.Configure(0, 20, false);
        QByteArray expected;
        for (int a = First; a < First + Frames; ++a) {
            const bool stored = first.fates.at(a - First) == u'R';
            QCOMPARE(first.eeprom.at(a) != factory.at(a), stored);
            if (stored)
                expected += replies.Apply(Bytes({30, a & 0xFF, a >> 8, value(a)})).bytes;
        }
        QCOMPARE(first.line, expected);
        const auto dropped = first.fates.count(u'D');
        const auto rejected = first.fates.count(u'C');
        QVERIFY2(qAbs(100.0 * dropped / Frames - Drop) < 5, qPrintable(first.fates));
        QVERIFY2(qAbs(100.0 * rejected / (Frames - dropped) - Corrupt) < 5,
                 qPrintable(first.fates));
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
        QVERIFY(slave.Wait(replies.size(), 1000));
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
        // Refused, and left as they were: images of the wrong size, then a
        // file where the link should go.
        for (int size : {2047, 2049}) {
            options.eepromFile = WriteFile(dir.filePath(u"bad"_s), QByteArray(size, 'x'));
            QString error;
            QVERIFY(!SimulatedReceiver(options).Start(&error));
            QVERIFY2(error.contains(u"2048"_s), qPrintable(error));
            QCOMPARE(QFileInfo(options.eepromFile).size(), size);
        }
        options.eepromFile = dir.filePath(u"unit.eeprom"_s);
        options.linkPath = WriteFile(dir.filePath(u"unit"_s), "keep me");
        QString error;
        QVERIFY(!SimulatedReceiver(options).Start(&error));
        QVERIFY2(error.contains(u"not a symbolic link"_s), qPrintable(error));
        QCOMPARE(ReadFile(options.linkPath), QByteArray("keep me"));

        // The stale link of an earlier run is replaced and the missing image
        // made: saved soon after a write while the unit runs on, and at exit.
        QFile::remove(options.linkPath);
        QFile::link(u"/nonexistent"_s, options.linkPath);
        {
            SimulatedReceiver receiver(options);
            QVERIFY(receiver.Start());
            // Unplugged, the link goes with the pty; back, it points at the new one.
            receiver.Disappear();
            QVERIFY(!QFileInfo(options.linkPath).isSymLink());
            QVERIFY(receiver.Reappear());
            SlaveSide slave(options.linkPath);
            slave.Write(UnitFrame::Encode(Bytes({30, 1, 0x10, 0x02, 0x77})));
            QVERIFY(WaitFor([&] { return QFile::exists(options.eepromFile); }, 2000));
            QCOMPARE(ReadFile(options.eepromFile), receiver.Eeprom());
            slave.Write(UnitFrame::Encode(Bytes({30, 1, 0x11, 0x02, 0x78})));
            QVERIFY(WaitFor([&] { return receiver.Eeprom().at(0x211) == 0x78; }, 1000));
        }
        SimulatedReceiver again(options);
        QVERIFY(again.Start());
        QCOMPARE(again.Eeprom().mid(0x210, 2), QByteArray("\x77\x78"));
    }

    void commandLine_data()
    {
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<QString>("message"); // in the error text; empty: runs
        QTest::newRow("everything")
            << u"--model=K220 --firmware=V127.20 --drop=5 --corrupt=7 --noise --reply-delay=15 "
               "--silent-after=9 --line-rate=0 --trace --seed=4294967295 --rds-period=0 --link=/x "
               "--faults-both --clamp-live=54=9 --clamp-live=0=255 --clamp-eeprom=2047=0 "
               "--clamp-eeprom=2047=7"_s
            << QString();
        QTest::newRow("both and its own")
            << u"--faults-both --noise-requests"_s << u"--noise-requests"_s;
        QTest::newRow("request drop 101") << u"--drop-requests=101"_s << u"--drop-requests"_s;
        QTest::newRow("clamp without a value") << u"--clamp-live=3"_s << u"\"3\""_s;
        QTest::newRow("clamp past the block")
            << u"--model=K220 --firmware=v1.20 --clamp-live=54=0"_s << u"0 to 53"_s;
        QTest::newRow("major above 127") << u"--firmware=v128.00"_s << u"v128.00"_s;
        QTest::newRow("trailing text") << u"--firmware=v2.05b"_s << u"v2.05b"_s;
        QTest::newRow("seed too large") << u"--seed=4294967296"_s << u"--seed"_s;
        QTest::newRow("unknown option") << u"--colour"_s << u"colour"_s;
        QTest::newRow("stray argument") << u"K230"_s << u"K230"_s;
        QTest::newRow("image of 0 bytes") << u"--eeprom=/dev/null"_s << u"2048"_s;
    }
    void commandLine()
    {
        QFETCH(QString, arguments);
        QFETCH(QString, message);
        SimOptions options;
        options.model = u"unchanged"_s;
        QString text;
        const auto result =
            SimCommandLine::Parse(("sim "_L1 + arguments).split(u' '), &options, &text);
        QCOMPARE(result == SimCommandLine::Outcome::Run, message.isEmpty());
        QVERIFY2(text.contains(message), qPrintable(text));
        QCOMPARE(options.model, message.isEmpty() ? u"K220"_s : u"unchanged"_s);
        if (!message.isEmpty())
            return;
        QCOMPARE(QList<int>({options.requestDropPercent, options.requestCorruptPercent,
                             int(options.requestNoise)}),
                 QList<int>({5, 7, 1}));
        QCOMPARE(options.liveClamps, (QMap<int, int>{{0, 255}, {54, 9}}));
        QCOMPARE(options.eepromClamps, (QMap<int, int>{{2047, 7}}));
        QCOMPARE(options.firmware, u"V127.20"_s);
        QCOMPARE(options.seed, 4294967295u);
        QCOMPARE(options.silentAfter, 9);
        QCOMPARE(options.lineRate, 0);
        QVERIFY(options.noise && options.trace);
    }

    void programServesUntilTerminated()
    {
        QTemporaryDir dir;
        const QString link = dir.filePath(u"unit"_s);
        const QString eeprom = dir.filePath(u"unit.eeprom"_s);
        const QString sim = qEnvironmentVariable(
            "VELTRIX_SIM", QCoreApplication::applicationDirPath() + u"/../veltrix-unit-sim"_s);
        // Bad options exit with 2 before any line appears.
        QCOMPARE(QProcess::execute(sim, {u"--drop=101"_s}), 2);
        QProcess program;
        program.start(sim,
                      {u"--link"_s, link, u"--eeprom"_s, eeprom, u"--model=K110"_s, u"--trace"_s});
        QVERIFY(WaitFor([&] { return program.canReadLine(); }, 5000));
        QCOMPARE(program.readLine().trimmed(), link.toLocal8Bit());

        SlaveSide slave(link);
        slave.Write(IdentityQuery);
        QVERIFY(slave.Wait(IdentityReply.size(), 2000));

        program.terminate();
        QVERIFY(program.waitForFinished(3000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);
        QVERIFY(!QFileInfo(link).isSymLink());
        QCOMPARE(QFileInfo(eeprom).size(), 2048);
        const QByteArray trace = program.readAllStandardError();
        QVERIFY2(trace.contains(" ms <- 14 14\n"), trace.constData());
        QVERIFY2(trace.contains(" ms -> 14 14 4b 31 31 30\n"), trace.constData()); // K110
    }
};

QTEST_GUILESS_MAIN(SimReceiverTest)
#include "test_sim_receiver.moc"
