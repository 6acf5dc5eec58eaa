#include "link/message_set.h"
#include "panel/unit_session.h"
#include "scripted_unit.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include "test_bytes.h"

#include <QTest>

namespace {

UnitSession::Timing FastTiming()
{
    UnitSession::Timing timing;
    timing.connectPeriod = 40;
    timing.refreshPause = 10;
    timing.port.readInterval = 20;
    timing.port.readTotal = 250;
    timing.port.writeTotal = 500;
    timing.transfer.retry = 60;
    timing.transfer.pace = 40;
    return timing;
}

// Answers like a healthy unit: identity, version, block size, a few
// variables on the query of all, and input names.
ScriptedUnit::Responder HealthyUnit(const QByteArray& model, int blockSizeByte,
                                    int ignoreBlockSizeReads = 0)
{
    auto identify = ScriptedUnit::Identifying(model, 2, 5);
    auto ignored = std::make_shared<int>(ignoreBlockSizeReads);
    return [=](const QByteArray& request) -> QList<QByteArray> {
        if (request.size() == 4 && request[0] == MessageType::Eeprom && request[1] == 0) {
            if ((*ignored)-- > 0)
                return {};
            return {Bytes({30, request[2], request[3], blockSizeByte})};
        }
        if (request == Bytes({20, 255}))
            return {Bytes({20, 21, 1}), Bytes({20, 52, 0}), Bytes({20, 53, 6})};
        if (request.size() == 3 && request.startsWith(Bytes({20, 55})))
            return {request + "NAME" + QByteArray::number(request[2])};
        return identify(request);
    };
}

qsizetype IndexOf(const QList<QByteArray>& list, const QByteArray& payload, qsizetype from = 0)
{
    return list.indexOf(payload, from);
}

} // namespace

class TestConnection : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void handshake_data()
    {
        QTest::addColumn<QByteArray>("model");
        QTest::addColumn<QByteArray>("blockSizeRead");
        QTest::addColumn<int>("blockSizeByte");
        QTest::addColumn<int>("blockSize");
        QTest::newRow("K230") << QByteArray("K230") << Bytes({30, 0, 0, 4}) << 0 << 67;
        QTest::newRow("K220") << QByteArray("K220") << Bytes({30, 0, 0, 3}) << 57 << 57;
        QTest::newRow("K110") << QByteArray("K110") << Bytes({30, 0, 0, 4}) << 66 << 66;
    }

    void handshake()
    {
        QFETCH(QByteArray, model);
        QFETCH(QByteArray, blockSizeRead);
        QFETCH(int, blockSizeByte);
        QFETCH(int, blockSize);

        ScriptedUnit unit;
        unit.SetResponder(HealthyUnit(model, blockSizeByte, 2));
        UnitSession session;
        session.SetTiming(FastTiming());
        session.SetPortSetting(unit.SlavePath());
        QSignalSpy names(&session, &UnitSession::inputNameReported);
        session.Start();

        QTRY_COMPARE(names.size(), InputCount);
        QTRY_COMPARE(session.Status().facts.blockSize, blockSize);
        const LiveStatus& status = session.Status();
        QVERIFY(status.connected);
        QVERIFY(!session.IsProbing());
        QCOMPARE(status.facts.modelText, QString::fromLatin1(model));
        QCOMPARE(status.facts.versionText, QStringLiteral("v2.05"));
        QVERIFY(status.mainPower);
        QCOMPARE(status.inputNames[9], QStringLiteral("NAME9"));

        const QList<QByteArray> sent = unit.Payloads();
        QCOMPARE(sent.first(), Bytes({20, 20}));
        QVERIFY(unit.RawReceived().startsWith(Bytes({0x01, 0x14, 0x14, 0x02, 0xD7})));
        const qsizetype sizeRead = IndexOf(sent, blockSizeRead);
        const qsizetype version = IndexOf(sent, Bytes({23}));
        const qsizetype all = IndexOf(sent, Bytes({20, 255}));
        const qsizetype firstName = IndexOf(sent, Bytes({20, 55, 0}));
        QVERIFY(sizeRead > 0);
        QVERIFY(version > sizeRead);
        QVERIFY(all > version);
        QVERIFY(firstName > all);
        for (int i = 1; i < InputCount; ++i)
            QVERIFY(IndexOf(sent, Bytes({20, 55, i})) > firstName);
        QCOMPARE(IndexOf(sent, Bytes({20, 55, 10})), -1);
        // The unanswered block-size reads were repeated until answered.
        QCOMPARE(sent.count(blockSizeRead), 3);
    }

    void unsupportedModelReadsNoBlockSize()
    {
        ScriptedUnit unit;
        unit.SetResponder(HealthyUnit("X999", 67));
        UnitSession session;
        session.SetTiming(FastTiming());
        session.SetPortSetting(unit.SlavePath());
        session.Start();
        QTRY_VERIFY(unit.Payloads().contains(Bytes({20, 55, 9})));
        QVERIFY(session.Status().connected);
        QVERIFY(!session.Status().facts.IsSupportedModel());
        for (const QByteArray& p : unit.Payloads())
            QVERIFY(p[0] != MessageType::Eeprom);
    }

    void probesAndFallsBackAfterTwoSilentPeriods()
    {
        ScriptedUnit unit;
        unit.SetResponder(HealthyUnit("K230", 67));
        UnitSession session;
        const UnitSession::Timing timing = FastTiming();
        session.SetTiming(timing);
        session.SetPortSetting(unit.SlavePath());
        QSignalSpy shown(&session, &UnitSession::connectionShown);
        session.Start();
        QTRY_VERIFY(unit.Payloads().contains(Bytes({20, 55, 9})));
        QTRY_VERIFY(!shown.isEmpty());
        QCOMPARE(shown.last().at(0).toBool(), true);

        // The unit falls silent: the first quiet period only probes.
        unit.SetResponder({});
        unit.Clear();
        QTRY_VERIFY(!session.Status().connected);
        QVERIFY(!session.IsProbing());
        QCOMPARE(unit.Payloads(), QList<QByteArray>{Bytes({20, 20})});
        // The second one shows the disconnected view and starts probing.
        QTRY_VERIFY(session.IsProbing());
        QCOMPARE(shown.last().at(0).toBool(), false);
        QTRY_VERIFY(unit.Payloads().count(Bytes({20, 20})) >= 4);
        // Probes come once per connection period.
        const QList<ScriptedUnit::Received>& probes = unit.Requests();
        const qint64 spacing = probes.last().atMs - probes.at(probes.size() - 2).atMs;
        QVERIFY2(spacing >= timing.connectPeriod - 10, qPrintable(QString::number(spacing)));

        // It answers again: connected, with a fresh handshake.
        unit.Clear();
        unit.SetResponder(HealthyUnit("K230", 67));
        QTRY_VERIFY(unit.Payloads().contains(Bytes({20, 55, 9})));
        QVERIFY(session.Status().connected);
        QVERIFY(!session.IsProbing());
        QVERIFY(unit.Payloads().contains(Bytes({23})));
        QCOMPARE(shown.last().at(0).toBool(), true);
    }

    void answerToTheProbeKeepsTheConnection()
    {
        ScriptedUnit unit;
        unit.SetResponder(HealthyUnit("K230", 67));
        UnitSession session;
        session.SetTiming(FastTiming());
        session.SetPortSetting(unit.SlavePath());
        QSignalSpy shown(&session, &UnitSession::connectionShown);
        session.Start();
        QTRY_VERIFY(unit.Payloads().contains(Bytes({20, 55, 9})));
        const qsizetype views = shown.size();
        // Quiet but answering the probe, as a unit with nothing to report.
        QTest::qWait(3 * FastTiming().port.readTotal);
        QVERIFY(session.Status().connected);
        QVERIFY(!session.IsProbing());
        QCOMPARE(shown.size(), views);
    }

    void vanishedDeviceGoesBackToProbing()
    {
        ScriptedUnit unit;
        unit.SetResponder(HealthyUnit("K230", 67));
        UnitSession session;
        session.SetTiming(FastTiming());
        session.SetPortSetting(unit.SlavePath());
        session.Start();
        QTRY_VERIFY(unit.Payloads().contains(Bytes({20, 55, 9})));
        unit.Vanish();
        QTRY_VERIFY(session.IsProbing());
        QVERIFY(!session.Status().connected);
        QVERIFY(!session.Link().IsOpen());
    }

    void hostileBytesNeverStopTheReceiveLoop()
    {
        ScriptedUnit unit;
        unit.SetResponder(HealthyUnit("K230", 67));
        UnitSession session;
        session.SetTiming(FastTiming());
        session.SetPortSetting(unit.SlavePath());
        session.Start();
        QTRY_VERIFY(unit.Payloads().contains(Bytes({20, 55, 9})));

        QByteArray garbage;
        for (int i = 0; i < 4000; ++i)
            garbage.append(static_cast<char>((i * 7919) & 0xFF));
        unit.SendRaw(garbage);
        unit.SendRaw(QByteArray(1, 0x01) + QByteArray(300, 'A') + Bytes({0x02, 0x00}));
        unit.SendRaw(Bytes({0x01, 0x14, 0x15, 0x02, 0x00})); // bad checksum
        unit.Send(Bytes({20, 55, 77}) + "EVIL");
        unit.Send(Bytes({28, 200, 'x', 'y'}));
        unit.Send(Bytes({20, 53, 42}));
        unit.Send(Bytes({20, 21, 0}));
        QTRY_VERIFY(!session.Status().mainPower);
        QVERIFY(session.Status().connected);
    }

    void autoDetectWalksEightPortsAndWraps()
    {
        UnitSession session;
        UnitSession::Timing timing = FastTiming();
        timing.connectPeriod = 15;
        session.SetTiming(timing);
        session.SetAutoDetectPattern(QStringLiteral("/nonexistent/port%1"));
        QList<int> seen;
        QTimer sampler;
        sampler.setTimerType(Qt::PreciseTimer);
        connect(&sampler, &QTimer::timeout, this, [&] {
            const int counter = session.AutoDetectCounter();
            if (counter != 0 && (seen.isEmpty() || seen.last() != counter))
                seen.append(counter);
        });
        sampler.start(1);
        session.Start();
        QTRY_VERIFY(seen.size() >= 11);
        QCOMPARE(seen.mid(0, 11), (QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 1, 2, 3}));
    }

    void autoDetectResumesAfterTheLastPortTried()
    {
        QTemporaryDir dir;
        ScriptedUnit unit;
        unit.SetResponder(HealthyUnit("K230", 67));
        QVERIFY(QFile::link(unit.SlavePath(), dir.filePath(QStringLiteral("port3"))));
        UnitSession session;
        UnitSession::Timing timing = FastTiming();
        timing.connectPeriod = 120;
        session.SetTiming(timing);
        session.SetAutoDetectPattern(dir.filePath(QStringLiteral("port%1")));
        session.Start();
        QTRY_VERIFY(unit.Payloads().contains(Bytes({20, 55, 9})));
        QCOMPARE(session.AutoDetectCounter(), 3);
        QCOMPARE(session.Link().PortName(), dir.filePath(QStringLiteral("port3")));

        unit.SetResponder({});
        QTRY_VERIFY(session.IsProbing());
        QTRY_COMPARE(session.AutoDetectCounter(), 4);
    }
};

QTEST_GUILESS_MAIN(TestConnection)
#include "test_connection.moc"
