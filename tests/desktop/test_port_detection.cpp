#include "link/message_set.h"
#include "scripted_unit.h"
#include "unit/unit_session.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

UnitSession::Timing Fast(int period)
{
    UnitSession::Timing timing;
    timing.connectPeriod = period;
    timing.refreshPause = 10;
    timing.port.readTotal = 60000;
    return timing;
}

// The device paths the session failed to open, in order.
QStringList FailedPaths(const QSignalSpy& spy)
{
    QStringList paths;
    for (const QList<QVariant>& call : spy)
        paths.append(call.at(0).toString());
    return paths;
}

} // namespace

class TestPortDetection : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // COM1..COM8 first, then the adapters present when the walk passes
    // the eighth, then round again; a missing device is a Missing failure.
    void autoDetectTriesAdaptersAfterTheEighthPort()
    {
        UnitSession session;
        session.SetTiming(Fast(5));
        session.SetAutoDetectPattern(QStringLiteral("/nonexistent/com%1"));
        int listed = 0;
        session.SetAdapterLister([&listed] {
            ++listed;
            return QStringList{QStringLiteral("/nonexistent/ttyUSB0"),
                               QStringLiteral("/nonexistent/ttyACM1")};
        });
        QSignalSpy failed(&session, &UnitSession::portOpenFailed);
        session.Start();
        QTRY_VERIFY(failed.size() >= 12);
        session.Stop();
        QStringList expected;
        for (int n = 1; n <= 8; ++n)
            expected.append(QStringLiteral("/nonexistent/com%1").arg(n));
        expected << QStringLiteral("/nonexistent/ttyUSB0") << QStringLiteral("/nonexistent/ttyACM1")
                 << QStringLiteral("/nonexistent/com1") << QStringLiteral("/nonexistent/com2");
        QCOMPARE(FailedPaths(failed).mid(0, 12), expected);
        QCOMPARE(listed, 1);
        QCOMPARE(failed.first().at(1).value<SerialPort::OpenFailure>(),
                 SerialPort::OpenFailure::Missing);
    }

    // A newly named port drops the unit at once and is probed next; the
    // same port, or Auto Detect, changes nothing on the line.
    void changedNamedPortReconnects()
    {
        ScriptedUnit unit;
        unit.SetResponder(ScriptedUnit::Identifying("K220", 2, 5));
        UnitSession session;
        session.SetTiming(Fast(40));
        session.SetPortSetting(unit.SlavePath());
        session.Start();
        QTRY_VERIFY(session.Status().connected && !session.IsProbing());

        QSignalSpy shown(&session.Live(), &LiveStatus::connectionShown);
        session.ChangePortSetting(QString::fromLatin1(UnitSession::AutoDetect));
        session.ChangePortSetting(unit.SlavePath());
        QVERIFY(session.Status().connected);
        QVERIFY(shown.isEmpty());

        QSignalSpy failed(&session, &UnitSession::portOpenFailed);
        session.ChangePortSetting(QStringLiteral("/nonexistent/ttyUSB7"));
        QVERIFY(!session.Status().connected);
        QVERIFY(!session.Link().IsOpen());
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown.first().at(0).toBool(), false);
        QVERIFY(session.IsProbing());
        QTRY_VERIFY(!failed.isEmpty());
        QCOMPARE(failed.first().at(0).toString(), QStringLiteral("/nonexistent/ttyUSB7"));
        QCOMPARE(session.PortSetting(), QStringLiteral("/nonexistent/ttyUSB7"));
        session.Stop();
    }
};

QTEST_GUILESS_MAIN(TestPortDetection)
#include "test_port_detection.moc"
