#include "event_wait.h"
#include "in_process_line.h"
#include "link/device_lock.h"
#include "link/serial_port.h"
#include "link/unit_link.h"
#include "pty_endpoint.h"

#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <sys/stat.h>
#include <sys/sysmacros.h>

// The link's promises over both transports: the serial port on a
// pseudo-terminal and the in-process line.
using namespace Qt::Literals::StringLiterals;

namespace {

using Failure = LineTransport::OpenFailure;
constexpr int SilentMs = 120;
constexpr LineTransport::Timeouts ShortTimeouts{20, SilentMs, 500};

struct Line
{
    explicit Line(bool inProcess)
    {
        if (inProcess)
            end = std::make_unique<InProcessLine>();
        else
            end = std::make_unique<PtyEndpoint>();
        end->Open(nullptr);
        QObject::connect(end.get(), &LineEndpoint::bytesArrived,
                         [this](const QByteArray& bytes) { received += bytes; });
    }
    bool Open(UnitLink& link) const { return link.Open(end->Name(), ShortTimeouts); }

    std::unique_ptr<LineEndpoint> end;
    QByteArray received;
};

} // namespace

class TestUnitLink : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Every case runs on both transports.
    void initTestCase_data()
    {
        QTest::addColumn<bool>("inProcess");
        QTest::newRow("pty") << false;
        QTest::newRow("in-process") << true;
    }

    void mapsPortNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("path");
        QTest::newRow("COM1") << u"COM1"_s << u"/dev/ttyS0"_s;
        QTest::newRow("lower case com") << u"com3"_s << u"/dev/ttyS2"_s;
        QTest::newRow("USB adapter") << u"ttyUSB0"_s << u"/dev/ttyUSB0"_s;
        QTest::newRow("COM0 is no COM port") << u"COM0"_s << u"/dev/COM0"_s;
    }
    void mapsPortNames()
    {
        QFETCH(QString, name);
        QFETCH(QString, path);
        QCOMPARE(SerialPort::DevicePath(name), path);
    }

    // A second program end of a line is busy; a line that is gone is
    // missing, and so is a name nothing stands behind.
    void openFailuresSayWhy()
    {
        QFETCH_GLOBAL(bool, inProcess);
        Line line(inProcess);
        UnitLink first;
        UnitLink second;
        QVERIFY(line.Open(first));
        QVERIFY(!line.Open(second));
        QCOMPARE(second.LastOpenFailure(), Failure::Busy);
        const QString name = line.end->Name();
        line.end->Close();
        QVERIFY(!second.Open(name, ShortTimeouts));
        QCOMPARE(second.LastOpenFailure(), Failure::Missing);
        QVERIFY(!second.Open(inProcess ? u"sim:0"_s : u"/nonexistent/tty"_s, ShortTimeouts));
        QCOMPARE(second.LastOpenFailure(), Failure::Missing);
    }

    // Two paths to one pseudo-terminal are one port: the second open fails
    // naming this process as the holder, until the first closes.
    void onePortWhateverThePath()
    {
        QFETCH_GLOBAL(bool, inProcess);
        if (inProcess)
            QSKIP("an in-process line has no path");
        Line line(false);
        QTemporaryDir dir;
        const QString other = dir.filePath(u"tty"_s);
        QVERIFY(QFile::link(line.end->Name(), other));
        UnitLink first;
        UnitLink second;
        QVERIFY(line.Open(first));
        QVERIFY(!second.Open(other, ShortTimeouts));
        QCOMPARE(second.LastOpenFailure(), Failure::Busy);
        const LineTransport::Holder holder = second.LastOpenHolder();
        QCOMPARE(holder.pid, QCoreApplication::applicationPid());
        QCOMPARE(holder.program, QFileInfo(QCoreApplication::applicationFilePath()).fileName());
        const QString text = SerialPort::OpenFailureText(other, Failure::Busy, holder);
        for (const QString& part : {other, holder.program, QString::number(holder.pid)})
            QVERIFY2(text.contains(part), qPrintable(text));
        first.Close();
        QVERIFY(second.Open(other, ShortTimeouts));
        QVERIFY(!line.Open(first));
        QCOMPARE(first.LastOpenFailure(), Failure::Busy);
    }

    // A second node of a device (a pseudo-terminal's opens only from its own
    // file system, so /dev/null's) meets the lock of the device number, which
    // a lock left by a closed holder does not block.
    void secondNodeIsTheSameDevice()
    {
        QFETCH_GLOBAL(bool, inProcess);
        QTemporaryDir dir;
        const QString node = dir.filePath(u"null"_s);
        if (inProcess ||
            ::mknod(QFile::encodeName(node).constData(), S_IFCHR | 0666, makedev(1, 3)) != 0)
            QSKIP("no device node can be made here");
        DeviceLock first;
        DeviceLock second;
        QCOMPARE(first.Take(u"/dev/null"_s), DeviceLock::Outcome::Taken);
        QCOMPARE(second.Take(node), DeviceLock::Outcome::Busy);
        QCOMPARE(second.Holder().pid, QCoreApplication::applicationPid());
        first.Release();
        QCOMPARE(second.Take(node), DeviceLock::Outcome::Taken);
    }

    // Frames split anywhere across the line's deliveries, with stray bytes
    // between them, arrive whole and in order; what arrives while a handler
    // runs a nested event loop waits until it returns.
    void framesGoBothWaysInOrder()
    {
        QFETCH_GLOBAL(bool, inProcess);
        Line line(inProcess);
        UnitLink link;
        QVERIFY(line.Open(link));
        QByteArrayList payloads;
        int depth = 0;
        connect(&link, &UnitLink::payloadReceived, this, [&](const QByteArray& payload) {
            QCOMPARE(depth, 0);
            payloads.append(payload);
            if (payloads.size() == 1) {
                ++depth;
                line.end->Write(UnitFrame::Encode("d"));
                Pause(30);
                --depth;
            }
        });
        const QByteArray frames = UnitFrame::Encode("a") + "\x20" + UnitFrame::Encode("b\x5e");
        line.end->Write(frames.left(3));
        line.end->Write(frames.mid(3) + UnitFrame::Encode("c"));
        QTRY_COMPARE(payloads, (QByteArrayList{"a", "b\x5e", "c", "d"}));

        QSignalSpy sent(&link, &UnitLink::payloadSent);
        link.SendFrame(QByteArray("one"));
        link.SendFrame({0x14, 0x01});
        const QByteArray both = UnitFrame::Encode("one") + UnitFrame::Encode("\x14\x01");
        QTRY_COMPARE(line.received, both);
        link.Close();
        link.SendFrame(QByteArray("gone"));
        QVERIFY(line.Open(link));
        link.SendFrame(QByteArray("two"));
        QTRY_COMPARE(line.received, both + UnitFrame::Encode("two"));
        QCOMPARE(sent.size(), 3);
    }

    void reopeningInAHandlerDropsTheRest()
    {
        QFETCH_GLOBAL(bool, inProcess);
        Line line(inProcess);
        UnitLink link;
        QVERIFY(line.Open(link));
        QByteArrayList payloads;
        connect(&link, &UnitLink::payloadReceived, this, [&](const QByteArray& payload) {
            payloads.append(payload);
            if (payload == "a")
                QVERIFY(line.Open(link));
        });
        // The second frame came on the opening the handler ended.
        line.end->Write(UnitFrame::Encode("a") + UnitFrame::Encode("b"));
        QTRY_COMPARE(payloads.size(), 1);
        Pause(20);
        line.end->Write(UnitFrame::Encode("c"));
        QTRY_COMPARE(payloads, (QByteArrayList{"a", "c"}));
    }

    // Each period without a byte is one lineSilent; a byte, even one outside
    // any frame, starts the period again. A vanished device is lost once and
    // silent no more.
    void silenceAndLoss()
    {
        QFETCH_GLOBAL(bool, inProcess);
        Line line(inProcess);
        UnitLink link;
        QSignalSpy silent(&link, &UnitLink::lineSilent);
        QSignalSpy lost(&link, &UnitLink::deviceLost);
        QElapsedTimer clock;
        clock.start();
        QVERIFY(line.Open(link));
        QTRY_COMPARE(silent.size(), 2);
        QVERIFY(clock.elapsed() >= 2 * SilentMs - 5);
        Pause(SilentMs / 2);
        line.end->Write("\x20");
        clock.restart();
        QTRY_COMPARE(silent.size(), 3);
        QVERIFY(clock.elapsed() >= SilentMs - 10);

        const quint64 opening = link.Opening();
        line.end->Close();
        QTRY_COMPARE(lost.size(), 1);
        QVERIFY(!link.IsOpen());
        QVERIFY(link.Opening() != opening);
        Pause(2 * SilentMs);
        QCOMPARE(lost.size(), 1);
        QCOMPARE(silent.size(), 3);
    }
};

QTEST_GUILESS_MAIN(TestUnitLink)
#include "test_unit_link.moc"
