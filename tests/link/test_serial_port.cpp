#include "link/serial_port.h"
#include "scripted_unit.h"

#include <QSignalSpy>
#include <QTest>

namespace {

SerialPort::Timeouts ShortTimeouts()
{
    SerialPort::Timeouts timeouts;
    timeouts.readInterval = 20;
    timeouts.readTotal = 150;
    timeouts.writeTotal = 500;
    return timeouts;
}

} // namespace

class TestSerialPort : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void mapsPortNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("path");
        QTest::newRow("COM1") << "COM1"
                              << "/dev/ttyS0";
        QTest::newRow("COM8") << "COM8"
                              << "/dev/ttyS7";
        QTest::newRow("lower case com") << "com3"
                                        << "/dev/ttyS2";
        QTest::newRow("device path") << "/tmp/ttyVeltrix"
                                     << "/tmp/ttyVeltrix";
        QTest::newRow("USB adapter") << "ttyUSB0"
                                     << "/dev/ttyUSB0";
        QTest::newRow("COM0 is no COM port") << "COM0"
                                             << "/dev/COM0";
    }

    void mapsPortNames()
    {
        QFETCH(QString, name);
        QFETCH(QString, path);
        QCOMPARE(SerialPort::DevicePath(name), path);
    }

    void openFailsOnMissingDevice()
    {
        SerialPort port;
        QVERIFY(!port.Open(QStringLiteral("/nonexistent/ttyNothing"), ShortTimeouts()));
        QVERIFY(!port.IsOpen());
        QVERIFY(!port.QueueRead(1, 1));
        QVERIFY(port.Close());
    }

    void writesGoOutInOrder()
    {
        ScriptedUnit pty;
        SerialPort port;
        QVERIFY(port.Open(pty.SlavePath(), ShortTimeouts()));
        QSignalSpy written(&port, &SerialPort::writeCompleted);
        QVERIFY(port.QueueWrite("first-", 7));
        QVERIFY(port.QueueWrite("second-", 0)); // silent completion
        QVERIFY(port.QueueWrite("third", 9));
        QTRY_COMPARE(written.size(), 2);
        QCOMPARE(written.at(0).at(0).toInt(), 7);
        QCOMPARE(written.at(0).at(2).toInt(), 6);
        QCOMPARE(written.at(1).at(0).toInt(), 9);
        QTRY_COMPARE(pty.RawReceived(), QByteArray("first-second-third"));
    }

    // Reads queue behind the one in progress; each takes the bytes that
    // come after its predecessor's.
    void readsAreServedOneAtATimeInOrder()
    {
        ScriptedUnit pty;
        SerialPort port;
        QVERIFY(port.Open(pty.SlavePath(), ShortTimeouts()));
        QSignalSpy read(&port, &SerialPort::readCompleted);
        QVERIFY(port.QueueRead(1, 100));
        QVERIFY(port.QueueRead(2, 101));
        QVERIFY(port.QueueRead(1, 102));
        pty.SendRaw("abcd");
        QTRY_COMPARE(read.size(), 3);
        QCOMPARE(read.at(0).at(0).toInt(), 100);
        QCOMPARE(read.at(0).at(2).toByteArray(), QByteArray("a"));
        QCOMPARE(read.at(1).at(0).toInt(), 101);
        QCOMPARE(read.at(1).at(1).toInt(), 2);
        QCOMPARE(read.at(1).at(2).toByteArray(), QByteArray("bc"));
        QCOMPARE(read.at(2).at(2).toByteArray(), QByteArray("d"));
    }

    void silentReadCompletesEmptyAfterTheTimeout()
    {
        ScriptedUnit pty;
        SerialPort port;
        QVERIFY(port.Open(pty.SlavePath(), ShortTimeouts()));
        QSignalSpy read(&port, &SerialPort::readCompleted);
        QElapsedTimer clock;
        clock.start();
        QVERIFY(port.QueueRead(1, 5));
        QTRY_COMPARE(read.size(), 1);
        QVERIFY(clock.elapsed() >= 140);
        QCOMPARE(read.at(0).at(0).toInt(), 5);
        QCOMPARE(read.at(0).at(1).toInt(), 1);
        QVERIFY(read.at(0).at(2).toByteArray().isEmpty());
    }

    void partialReadCompletesAfterTheInterval()
    {
        ScriptedUnit pty;
        SerialPort port;
        QVERIFY(port.Open(pty.SlavePath(), ShortTimeouts()));
        QSignalSpy read(&port, &SerialPort::readCompleted);
        QVERIFY(port.QueueRead(10, 5));
        pty.SendRaw("abc");
        QTRY_COMPARE(read.size(), 1);
        QCOMPARE(read.at(0).at(2).toByteArray(), QByteArray("abc"));
    }

    void openOnAnOpenPortDiscardsEverything()
    {
        ScriptedUnit pty;
        SerialPort port;
        QVERIFY(port.Open(pty.SlavePath(), ShortTimeouts()));
        QList<int> delivered;
        connect(&port, &SerialPort::readCompleted, this, [&](int message, int, const QByteArray&) {
            delivered.append(message);
            if (message == 1) {
                // Reopening while the second read's completion is
                // already posted: that completion must never arrive.
                QVERIFY(port.Open(pty.SlavePath(), ShortTimeouts()));
                QVERIFY(port.QueueRead(1, 2));
                pty.SendRaw("c");
            }
        });
        QVERIFY(port.QueueRead(1, 1));
        QVERIFY(port.QueueRead(1, 11));
        pty.SendRaw("ab");
        QTRY_VERIFY(delivered.contains(2));
        QTest::qWait(200);
        QCOMPARE(delivered, (QList<int>{1, 2}));
    }

    void closeDiscardsPendingRequestsSilently()
    {
        ScriptedUnit pty;
        SerialPort port;
        QVERIFY(port.Open(pty.SlavePath(), ShortTimeouts()));
        QSignalSpy read(&port, &SerialPort::readCompleted);
        QSignalSpy written(&port, &SerialPort::writeCompleted);
        QVERIFY(port.QueueRead(1, 1));
        QVERIFY(port.QueueWrite("abc", 3));
        QVERIFY(port.Close());
        QVERIFY(port.Close());
        QTest::qWait(300);
        QVERIFY(read.isEmpty());
        QVERIFY(written.isEmpty());
        QVERIFY(!port.IsOpen());
    }

    void vanishingDeviceClosesOnce()
    {
        ScriptedUnit pty;
        SerialPort port;
        QVERIFY(port.Open(pty.SlavePath(), ShortTimeouts()));
        QSignalSpy lost(&port, &SerialPort::deviceLost);
        QSignalSpy read(&port, &SerialPort::readCompleted);
        QVERIFY(port.QueueRead(1, 1));
        pty.Vanish();
        QTRY_COMPARE(lost.size(), 1);
        QTest::qWait(200);
        QCOMPARE(lost.size(), 1);
        QVERIFY(!port.IsOpen());
        QVERIFY(read.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestSerialPort)
#include "test_serial_port.moc"
