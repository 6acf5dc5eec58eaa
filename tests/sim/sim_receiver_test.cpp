#include "eeprom_file.h"
#include "fault_injector.h"
#include "link/message_set.h"
#include "link/unit_frame.h"
#include "sim_command_line.h"
#include "simulated_receiver.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSignalSpy>
#include <QSocketNotifier>
#include <QTemporaryDir>
#include "test_bytes.h"

#include <QTest>
#include <QTimer>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace {

QByteArrayList Decode(const QByteArray& stream)
{
    UnitFrame decoder;
    QByteArrayList frames;
    for (char byte : stream) {
        if (decoder.Feed(static_cast<std::uint8_t>(byte)))
            frames.append(decoder.Payload());
    }
    return frames;
}

// Nanoseconds the bytes take at 9600 baud, 10 bits each.
qint64 WireNs(qsizetype bytes)
{
    return bytes * 10 * 1'000'000'000LL / 9600;
}

// The program's end of the line: the slave opened with plain POSIX calls in
// raw mode, read on the event loop the receiver runs on.
class SlaveSide : public QObject
{
public:
    explicit SlaveSide(const QString& path)
    {
        fd = ::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (fd < 0)
            return;
        termios raw{};
        tcgetattr(fd, &raw);
        cfmakeraw(&raw);
        tcsetattr(fd, TCSANOW, &raw);
        notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
        connect(notifier, &QSocketNotifier::activated, this, [this] { OnReadable(); });
    }
    ~SlaveSide() override
    {
        delete notifier;
        if (fd >= 0)
            ::close(fd);
    }

    bool IsOpen() const { return fd >= 0; }
    void Write(const QByteArray& bytes)
    {
        QCOMPARE(::write(fd, bytes.constData(), size_t(bytes.size())), ssize_t(bytes.size()));
    }
    // Waits until at least count bytes have come, or the time is up.
    bool WaitFor(qsizetype count, int timeoutMs)
    {
        if (received.size() < count) {
            QEventLoop loop;
            QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
            wanted = count;
            waiting = &loop;
            loop.exec();
            waiting = nullptr;
        }
        return received.size() >= count;
    }
    QByteArray Take() { return std::exchange(received, QByteArray()); }
    qint64 LastByteNs() const { return lastByteNs; }

    QElapsedTimer clock;

private:
    void OnReadable()
    {
        char buffer[512];
        const ssize_t count = ::read(fd, buffer, sizeof buffer);
        if (count <= 0)
            return;
        lastByteNs = clock.nsecsElapsed();
        received.append(buffer, count);
        if (waiting && received.size() >= wanted)
            waiting->quit();
    }

    int fd = -1;
    QSocketNotifier* notifier = nullptr;
    QByteArray received;
    qsizetype wanted = 0;
    QEventLoop* waiting = nullptr;
    qint64 lastByteNs = 0;
};

SimOptions Quiet(int lineRate = 0)
{
    SimOptions options;
    options.lineRate = lineRate;
    options.rdsPeriodMs = 0;
    return options;
}

// The program under test: given by the test runner, else the build tree's.
QString SimProgram()
{
    const QString given = qEnvironmentVariable("VELTRIX_SIM");
    return given.isEmpty()
               ? QCoreApplication::applicationDirPath() + QStringLiteral("/../veltrix-unit-sim")
               : given;
}

const QByteArray IdentityQuery = UnitFrame::Encode(Bytes({20, 20}));
const QByteArray IdentityReply = UnitFrame::Encode(Bytes({20, 20, 'K', '2', '3', '0'}));

} // namespace

class SimReceiverTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void replyOverARealPty();
    void pacedRepliesTakeTheirWireTime();
    void queuedRequestsWaitForTheLine();
    void replyDelay();
    void silentAfter();
    void setSilent();
    void rdsOnTheLine();
    void faultStatistics_data();
    void faultStatistics();
    void faultsAreReproducible();
    void faultsOnTheLine();
    void eepromPersists();
    void wrongSizeEepromIsRefused_data();
    void wrongSizeEepromIsRefused();
    void linkFollowsThePty();
    void linkNeverReplacesAFile();
    void commandLine_data();
    void commandLine();
    void programServesUntilTerminated();
    void programRefusesBadOptions_data();
    void programRefusesBadOptions();
};

void SimReceiverTest::replyOverARealPty()
{
    SimulatedReceiver receiver(Quiet(9600));
    QSignalSpy received(&receiver, &SimulatedReceiver::frameReceived);
    QSignalSpy sent(&receiver, &SimulatedReceiver::frameSent);
    QString error;
    QVERIFY2(receiver.Start(&error), qPrintable(error));
    SlaveSide slave(receiver.SlavePath());
    QVERIFY(slave.IsOpen());

    slave.Write(IdentityQuery);
    QVERIFY(slave.WaitFor(IdentityReply.size(), 2000));
    QVERIFY(!slave.WaitFor(IdentityReply.size() + 1, 50));
    QCOMPARE(slave.Take(), IdentityReply);
    QCOMPARE(received.size(), 1);
    QCOMPARE(received.at(0).at(0).toByteArray(), Bytes({20, 20}));
    QCOMPARE(sent.size(), 1);
}

void SimReceiverTest::pacedRepliesTakeTheirWireTime()
{
    SimulatedReceiver receiver(Quiet(9600));
    QVERIFY(receiver.Start());
    SlaveSide slave(receiver.SlavePath());
    // EEPROM reads, as a memory transfer makes them, one after another.
    qint64 wire = 0;
    qint64 total = 0;
    constexpr int Rounds = 20;
    for (int i = 0; i < Rounds; ++i) {
        const int address = 1024 + i;
        const QByteArray request = UnitFrame::Encode(Bytes({30, 0, address & 0xFF, address >> 8}));
        const QByteArray reply = UnitFrame::Encode(
            Bytes({30, address & 0xFF, address >> 8, uint8_t(receiver.Eeprom().at(address))}));
        slave.clock.start();
        slave.Write(request);
        QVERIFY(slave.WaitFor(reply.size(), 1000));
        QCOMPARE(slave.Take(), reply);
        const qint64 bound = WireNs(request.size() + reply.size());
        QVERIFY2(slave.LastByteNs() >= bound,
                 qPrintable(QStringLiteral("%1 ns < %2 ns").arg(slave.LastByteNs()).arg(bound)));
        wire += bound;
        total += slave.LastByteNs();
    }
    const double overheadMs = double(total - wire) / Rounds / 1e6;
    qInfo("round trip over the wire-time bound: %.3f ms on average (%.2f %%)", overheadMs,
          100.0 * double(total - wire) / double(wire));
    // Coarse: the machine may be busy; the pacing itself is far tighter.
    QVERIFY(overheadMs < 5.0);
}

void SimReceiverTest::queuedRequestsWaitForTheLine()
{
    SimulatedReceiver receiver(Quiet(9600));
    QVERIFY(receiver.Start());
    SlaveSide slave(receiver.SlavePath());
    const QByteArray version = UnitFrame::Encode(Bytes({23}));
    const QByteArray versionReply = UnitFrame::Encode(Bytes({23, 2, 5}));
    slave.clock.start();
    slave.Write(version + version + version);
    QVERIFY(slave.WaitFor(3 * versionReply.size(), 1000));
    // The third request arrives after all three crossed the line, and its
    // reply after it; the replies themselves queue behind the first.
    const qint64 inbound = WireNs(3 * version.size() + versionReply.size());
    const qint64 outbound = WireNs(version.size() + 3 * versionReply.size());
    QVERIFY(slave.LastByteNs() >= std::max(inbound, outbound));
    QCOMPARE(Decode(slave.Take()), (QByteArrayList{Bytes({23, 2, 5}), Bytes({23, 2, 5}), Bytes({23, 2, 5})}));
}

void SimReceiverTest::replyDelay()
{
    SimOptions options = Quiet();
    options.replyDelayMs = 40;
    SimulatedReceiver receiver(options);
    QVERIFY(receiver.Start());
    SlaveSide slave(receiver.SlavePath());
    SimUnit reference(options.model, 2, 5);
    const QByteArrayList reports = reference.Handle(Bytes({22, KeyCode::MainPower}));
    qsizetype bytes = 0;
    for (const QByteArray& report : reports)
        bytes += UnitFrame::Encode(report).size();

    slave.clock.start();
    slave.Write(UnitFrame::Encode(Bytes({22, KeyCode::MainPower})));
    QVERIFY(!slave.WaitFor(1, 30));
    QVERIFY(slave.WaitFor(bytes, 1000));
    QVERIFY(slave.LastByteNs() >= 40'000'000);
    QCOMPARE(Decode(slave.Take()), reports);
}

void SimReceiverTest::silentAfter()
{
    SimOptions options = Quiet();
    options.silentAfter = 2;
    SimulatedReceiver receiver(options);
    QSignalSpy received(&receiver, &SimulatedReceiver::frameReceived);
    QVERIFY(receiver.Start());
    SlaveSide slave(receiver.SlavePath());
    for (int i = 0; i < 4; ++i) {
        slave.Write(IdentityQuery);
        slave.WaitFor(IdentityReply.size() * (i + 1), 100);
    }
    QCOMPARE(received.size(), 4);
    QCOMPARE(slave.Take(), IdentityReply + IdentityReply);
    // Requests still act on the unit.
    slave.Write(UnitFrame::Encode(Bytes({22, KeyCode::MainPower})));
    QTRY_COMPARE(received.size(), 5);
    QCOMPARE(receiver.Unit().Value(Variable::MainPower), 1);
}

void SimReceiverTest::setSilent()
{
    SimulatedReceiver receiver(Quiet());
    QVERIFY(receiver.Start());
    SlaveSide slave(receiver.SlavePath());
    receiver.SetSilent(true);
    slave.Write(IdentityQuery);
    QVERIFY(!slave.WaitFor(1, 100));
    receiver.SetSilent(false);
    slave.Write(IdentityQuery);
    QVERIFY(slave.WaitFor(IdentityReply.size(), 1000));
    QCOMPARE(slave.Take(), IdentityReply);
}

void SimReceiverTest::rdsOnTheLine()
{
    SimOptions options = Quiet();
    options.rdsPeriodMs = 20;
    SimulatedReceiver receiver(options);
    QVERIFY(receiver.Start());
    SlaveSide slave(receiver.SlavePath());
    QVERIFY(!slave.WaitFor(1, 60)); // in standby nothing is heard
    slave.Write(UnitFrame::Encode(Bytes({22, KeyCode::MainPower})));
    QVERIFY(slave.WaitFor(200, 2000));
    const QByteArrayList frames = Decode(slave.Take());
    QVERIFY(frames.contains(Bytes({27}) + "CLASSIC "));
    QVERIFY(frames.contains(Bytes({28, 8}) + "87.9 - B"));
}

void SimReceiverTest::faultStatistics_data()
{
    QTest::addColumn<int>("drop");
    QTest::addColumn<int>("corrupt");
    QTest::addColumn<bool>("noise");
    QTest::newRow("clean") << 0 << 0 << false;
    QTest::newRow("drop 20") << 20 << 0 << false;
    QTest::newRow("corrupt 10") << 0 << 10 << false;
    QTest::newRow("drop 30, corrupt 30, noise") << 30 << 30 << true;
    QTest::newRow("noise only") << 0 << 0 << true;
    QTest::newRow("drop all") << 100 << 0 << true;
}

void SimReceiverTest::faultStatistics()
{
    QFETCH(int, drop);
    QFETCH(int, corrupt);
    QFETCH(bool, noise);
    FaultInjector faults(7);
    faults.Configure(drop, corrupt, noise);
    constexpr int Frames = 4000;
    QByteArray stream;
    QByteArrayList expected;
    int dropped = 0;
    int corrupted = 0;
    int noisy = 0;
    for (int i = 0; i < Frames; ++i) {
        // Payloads with bytes that need escaping, including the escape itself.
        const QByteArray payload = Bytes({30, i & 0xFF, 0x5E, (i * 7) & 0xFF});
        const FaultInjector::Outcome outcome = faults.Apply(payload);
        switch (outcome.fate) {
        case FaultInjector::Fate::Dropped:
            QVERIFY(outcome.bytes.isEmpty());
            ++dropped;
            continue;
        case FaultInjector::Fate::Corrupted:
            ++corrupted;
            break;
        case FaultInjector::Fate::Sent:
            expected.append(payload);
            break;
        }
        const qsizetype start = outcome.bytes.indexOf(char(UnitFrame::Start));
        QVERIFY(start >= 0);
        for (qsizetype b = 0; b < start; ++b) {
            const auto stray = static_cast<std::uint8_t>(outcome.bytes.at(b));
            QVERIFY(stray != UnitFrame::Start && stray != UnitFrame::End &&
                    stray != UnitFrame::Escape);
        }
        noisy += start > 0 ? 1 : 0;
        stream.append(outcome.bytes);
    }
    // Only the clean frames decode, noise and spoilt checksums in between.
    QCOMPARE(Decode(stream), expected);
    auto near = [](int count, int total, int percent) {
        return total == 0 || qAbs(100.0 * count / total - percent) < 2.5;
    };
    QVERIFY2(near(dropped, Frames, drop), qPrintable(QString::number(dropped)));
    QVERIFY2(near(corrupted, Frames - dropped, corrupt), qPrintable(QString::number(corrupted)));
    QCOMPARE(noisy > 0, noise && drop < 100);
    if (noise && drop < 100)
        QVERIFY(near(noisy, Frames - dropped, 30));
}

void SimReceiverTest::faultsAreReproducible()
{
    auto run = [](quint32 seed) {
        FaultInjector faults(seed);
        faults.Configure(25, 25, true);
        QByteArray stream;
        for (int i = 0; i < 200; ++i)
            stream += faults.Apply(Bytes({20, 23, i})).bytes;
        return stream;
    };
    QCOMPARE(run(3), run(3));
    QVERIFY(run(3) != run(4));
    // The checksum byte is spoilt in its escaped form too.
    QCOMPARE(FaultInjector::WithBadChecksum(Bytes({20, 20})), Bytes({1, 20, 20, 2, 0x28}));
    QCOMPARE(FaultInjector::WithBadChecksum(Bytes({0x20, 0xF0})), Bytes({1, 0x20, 0xF0, 2, 0x5E, 0x50}));
    QVERIFY(Decode(FaultInjector::WithBadChecksum(Bytes({0x20, 0xF0}))).isEmpty());
}

void SimReceiverTest::faultsOnTheLine()
{
    SimOptions options = Quiet();
    options.corruptPercent = 100;
    SimulatedReceiver receiver(options);
    QSignalSpy sent(&receiver, &SimulatedReceiver::frameSent);
    QVERIFY(receiver.Start());
    SlaveSide slave(receiver.SlavePath());
    slave.Write(IdentityQuery);
    QVERIFY(slave.WaitFor(IdentityReply.size(), 1000));
    const QByteArray spoilt = slave.Take();
    const qsizetype end = IdentityReply.indexOf(char(UnitFrame::End)) + 1;
    QCOMPARE(spoilt.left(end), IdentityReply.left(end));
    QVERIFY(Decode(spoilt).isEmpty());
    QCOMPARE(sent.size(), 1);

    receiver.SetFaults(100, 0, false);
    slave.Write(IdentityQuery);
    QVERIFY(!slave.WaitFor(1, 100));
    QCOMPARE(sent.size(), 1);
}

void SimReceiverTest::eepromPersists()
{
    QTemporaryDir dir;
    SimOptions options = Quiet();
    options.eepromFile = dir.filePath(QStringLiteral("unit.eeprom"));
    {
        SimulatedReceiver receiver(options);
        QVERIFY(receiver.Start());
        QVERIFY(!QFile::exists(options.eepromFile));
        SlaveSide slave(receiver.SlavePath());
        slave.Write(UnitFrame::Encode(Bytes({30, 1, 0x10, 0x02, 0x77})));
        QVERIFY(slave.WaitFor(1, 1000));
        // Saved soon after the write, while the unit runs on.
        QTRY_VERIFY(QFile::exists(options.eepromFile));
        QFile file(options.eepromFile);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray saved = file.readAll();
        QCOMPARE(saved.size(), 2048);
        QCOMPARE(saved.at(0x210), char(0x77));
        slave.Take();
        slave.Write(UnitFrame::Encode(Bytes({30, 1, 0x11, 0x02, 0x78})));
        QVERIFY(slave.WaitFor(1, 1000));
    } // and at exit
    SimulatedReceiver again(options);
    QVERIFY(again.Start());
    QCOMPARE(again.Eeprom().mid(0x210, 2), QByteArray("\x77\x78"));
    QCOMPARE(again.Unit().Handle(Bytes({30, 0, 0x11, 0x02})), QByteArrayList{Bytes({30, 0x11, 2, 0x78})});
}

void SimReceiverTest::wrongSizeEepromIsRefused_data()
{
    QTest::addColumn<int>("size");
    QTest::newRow("empty") << 0;
    QTest::newRow("one short") << 2047;
    QTest::newRow("one long") << 2049;
}

void SimReceiverTest::wrongSizeEepromIsRefused()
{
    QFETCH(int, size);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bad.eeprom"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(size, 'x'));
    file.close();

    SimOptions options = Quiet();
    options.eepromFile = path;
    QString error;
    {
        SimulatedReceiver receiver(options);
        QVERIFY(!receiver.Start(&error));
        QVERIFY2(error.contains(QStringLiteral("2048")), qPrintable(error));
        QVERIFY(receiver.SlavePath().isEmpty());
    }
    // Refused files are left as they were.
    QCOMPARE(QFileInfo(path).size(), size);
    SimOptions parsed;
    QCOMPARE(SimCommandLine::Parse({QStringLiteral("sim"), QStringLiteral("--eeprom"), path},
                                   &parsed, &error),
             SimCommandLine::Outcome::Error);
}

void SimReceiverTest::linkFollowsThePty()
{
    QTemporaryDir dir;
    SimOptions options = Quiet();
    options.linkPath = dir.filePath(QStringLiteral("unit"));
    QFile::link(QStringLiteral("/nonexistent"), options.linkPath); // a stale link of a past run
    {
        SimulatedReceiver receiver(options);
        QVERIFY(receiver.Start());
        QCOMPARE(receiver.SlavePath(), options.linkPath);
        const QString first = QFileInfo(options.linkPath).symLinkTarget();
        QVERIFY(first.startsWith(QStringLiteral("/dev/pts/")));
        QVERIFY(QFile::exists(first));

        receiver.Disappear();
        QVERIFY(!QFileInfo(options.linkPath).isSymLink());
        QVERIFY(!QFile::exists(first) || QFileInfo(first).isDir());

        QVERIFY(receiver.Reappear());
        QVERIFY(QFileInfo(options.linkPath).isSymLink());
        SlaveSide slave(options.linkPath);
        QVERIFY(slave.IsOpen());
        slave.Write(IdentityQuery);
        QVERIFY(slave.WaitFor(IdentityReply.size(), 1000));
        QCOMPARE(slave.Take(), IdentityReply);
    }
    QVERIFY(!QFileInfo(options.linkPath).isSymLink());
}

void SimReceiverTest::linkNeverReplacesAFile()
{
    QTemporaryDir dir;
    SimOptions options = Quiet();
    options.linkPath = dir.filePath(QStringLiteral("notes.txt"));
    QFile file(options.linkPath);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("keep me");
    file.close();
    QString error;
    {
        SimulatedReceiver receiver(options);
        QVERIFY(!receiver.Start(&error));
    }
    QVERIFY2(error.contains(QStringLiteral("not a symbolic link")), qPrintable(error));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("keep me"));
}

void SimReceiverTest::commandLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("outcome");
    const auto run = int(SimCommandLine::Outcome::Run);
    const auto error = int(SimCommandLine::Outcome::Error);
    QTest::newRow("defaults") << QStringList{} << run;
    QTest::newRow("everything")
        << QStringList{QStringLiteral("--model=K220"),     QStringLiteral("--firmware=v1.20"),
                       QStringLiteral("--drop=5"),         QStringLiteral("--corrupt=7"),
                       QStringLiteral("--noise"),          QStringLiteral("--reply-delay=15"),
                       QStringLiteral("--silent-after=9"), QStringLiteral("--line-rate=0"),
                       QStringLiteral("--trace"),          QStringLiteral("--seed=4294967295"),
                       QStringLiteral("--rds-period=0"),   QStringLiteral("--link=/tmp/x")}
        << run;
    QTest::newRow("help") << QStringList{QStringLiteral("--help")}
                          << int(SimCommandLine::Outcome::Help);
    QTest::newRow("short firmware") << QStringList{QStringLiteral("--firmware=v2.5")} << error;
    QTest::newRow("drop over 100") << QStringList{QStringLiteral("--drop=101")} << error;
    QTest::newRow("negative delay") << QStringList{QStringLiteral("--reply-delay=-1")} << error;
    QTest::newRow("seed too large") << QStringList{QStringLiteral("--seed=4294967296")} << error;
    QTest::newRow("rate not a number") << QStringList{QStringLiteral("--line-rate=fast")} << error;
    QTest::newRow("unknown option") << QStringList{QStringLiteral("--colour")} << error;
    QTest::newRow("stray argument") << QStringList{QStringLiteral("K230")} << error;
}

void SimReceiverTest::commandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, outcome);
    SimOptions options;
    options.model = QStringLiteral("unchanged");
    QString text;
    const auto result = SimCommandLine::Parse(
        QStringList{QStringLiteral("veltrix-unit-sim")} + arguments, &options, &text);
    QCOMPARE(int(result), outcome);
    if (result == SimCommandLine::Outcome::Help)
        QVERIFY(text.contains(QStringLiteral("--silent-after")));
    if (result != SimCommandLine::Outcome::Run) {
        QVERIFY(!text.isEmpty());
        QCOMPARE(options.model, QStringLiteral("unchanged"));
        return;
    }
    if (arguments.isEmpty()) {
        QCOMPARE(options.model, QStringLiteral("K230"));
        QCOMPARE(options.lineRate, 9600);
        QCOMPARE(options.silentAfter, -1);
    } else {
        QCOMPARE(options.model, QStringLiteral("K220"));
        QCOMPARE(options.seed, 4294967295u);
        QCOMPARE(options.silentAfter, 9);
        QCOMPARE(options.lineRate, 0);
        QVERIFY(options.noise && options.trace);
    }
}

void SimReceiverTest::programServesUntilTerminated()
{
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("unit"));
    const QString eeprom = dir.filePath(QStringLiteral("unit.eeprom"));
    QProcess program;
    program.start(SimProgram(),
                  {QStringLiteral("--link"), link, QStringLiteral("--eeprom"), eeprom,
                   QStringLiteral("--model"), QStringLiteral("K110"), QStringLiteral("--trace")});
    QVERIFY(program.waitForStarted());
    QTRY_VERIFY(program.canReadLine());
    QCOMPARE(program.readLine().trimmed(), link.toLocal8Bit());

    SlaveSide slave(link);
    QVERIFY(slave.IsOpen());
    slave.Write(IdentityQuery);
    const QByteArray reply = UnitFrame::Encode(Bytes({20, 20, 'K', '1', '1', '0'}));
    QVERIFY(slave.WaitFor(reply.size(), 2000));
    QCOMPARE(slave.Take(), reply);

    program.terminate();
    QVERIFY(program.waitForFinished(3000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
    QVERIFY(!QFileInfo(link).isSymLink());
    QCOMPARE(QFileInfo(eeprom).size(), 2048);
    const QByteArray trace = program.readAllStandardError();
    QVERIFY2(trace.contains(" ms <- 14 14\n"), trace.constData());
    QVERIFY2(trace.contains(" ms -> 14 14 4b 31 31 30\n"), trace.constData());
}

void SimReceiverTest::programRefusesBadOptions_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");
    QTest::newRow("help") << QStringList{QStringLiteral("--help")} << 0 << QString();
    QTest::newRow("firmware") << QStringList{QStringLiteral("--firmware"), QStringLiteral("2.05")}
                              << 2 << QStringLiteral("--firmware");
    QTest::newRow("short eeprom") << QStringList{QStringLiteral("--eeprom"), QStringLiteral("@")}
                                  << 2 << QStringLiteral("2048");
}

void SimReceiverTest::programRefusesBadOptions()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, message);
    QTemporaryDir dir;
    const QString shortImage = dir.filePath(QStringLiteral("short.eeprom"));
    QFile file(shortImage);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(100, '\0'));
    file.close();
    arguments.replaceInStrings(QStringLiteral("@"), shortImage);

    QProcess program;
    program.start(SimProgram(), arguments);
    QVERIFY(program.waitForFinished(3000));
    QCOMPARE(program.exitCode(), exitCode);
    const QString output = QString::fromLocal8Bit(program.readAll());
    const QString errors = QString::fromLocal8Bit(program.readAllStandardError());
    if (exitCode == 0)
        QVERIFY(output.contains(QStringLiteral("--line-rate")));
    else
        QVERIFY2(errors.contains(message), qPrintable(errors));
}

QTEST_GUILESS_MAIN(SimReceiverTest)
#include "sim_receiver_test.moc"
