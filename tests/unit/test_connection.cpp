#include "event_wait.h"
#include "link/message_set.h"
#include "scripted_unit.h"
#include "test_bytes.h"
#include "unit/unit_session.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

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

const QByteArray LastName = Bytes({20, 55, 9});

// Answers like a healthy unit: identity, version, block size (after ignoring
// the first few reads), a few variables on the query of all, input names.
ScriptedUnit::Responder HealthyUnit(const QByteArray& model, int blockSizeByte = 67,
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

// A session probing a scripted unit on a pseudo-terminal.
struct Connection
{
    ScriptedUnit unit;
    UnitSession session;

    explicit Connection(ScriptedUnit::Responder responder,
                        UnitSession::Timing timing = FastTiming())
    {
        unit.SetResponder(std::move(responder));
        session.SetTiming(timing);
        session.SetPortSetting(unit.SlavePath());
    }
    // Starts probing; true once the handshake has asked for the last name.
    bool StartAndHandshake()
    {
        session.Start();
        return QTest::qWaitFor([this] { return unit.Payloads().contains(LastName); }, 5000);
    }
};

} // namespace

class TestConnection : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void handshake_data()
    {
        QTest::addColumn<QByteArray>("model");
        QTest::addColumn<QByteArray>("blockSizeRead"); // empty: none expected
        QTest::addColumn<int>("blockSizeByte");
        QTest::addColumn<int>("blockSize");
        QTest::newRow("K230") << QByteArray("K230") << Bytes({30, 0, 0, 4}) << 0 << 67;
        QTest::newRow("K220") << QByteArray("K220") << Bytes({30, 0, 0, 3}) << 57 << 57;
        QTest::newRow("K110") << QByteArray("K110") << Bytes({30, 0, 0, 4}) << 66 << 66;
        QTest::newRow("unsupported") << QByteArray("X999") << QByteArray() << 67 << -1;
    }

    void handshake()
    {
        QFETCH(QByteArray, model);
        QFETCH(QByteArray, blockSizeRead);
        QFETCH(int, blockSizeByte);
        QFETCH(int, blockSize);

        Connection c(HealthyUnit(model, blockSizeByte, 2));
        QSignalSpy names(&c.session.Live(), &LiveStatus::inputNameReported);
        QVERIFY(c.StartAndHandshake());
        QTRY_COMPARE(names.size(), InputCount);
        QTRY_COMPARE(c.session.Status().facts.blockSize, blockSize);
        const LiveValues& status = c.session.Status();
        QVERIFY(status.connected);
        QVERIFY(!c.session.IsProbing());
        QCOMPARE(status.facts.modelText, QString::fromLatin1(model));
        QCOMPARE(status.facts.versionText, QStringLiteral("v2.05"));
        QVERIFY(status.mainPower);
        QCOMPARE(status.inputNames[9], QStringLiteral("NAME9"));

        // The order of the queries is the program end-to-end test's.
        const QList<QByteArray> sent = c.unit.Payloads();
        QVERIFY(c.unit.RawReceived().startsWith(Bytes({0x01, 0x14, 0x14, 0x02, 0xD7})));
        const qsizetype version = sent.indexOf(Bytes({23}));
        QCOMPARE(sent.indexOf(Bytes({20, 55, 10})), -1);
        if (blockSizeRead.isEmpty()) {
            for (const QByteArray& p : sent)
                QVERIFY(p[0] != MessageType::Eeprom);
        } else {
            // Read before the version query, repeated until answered.
            QVERIFY(sent.indexOf(blockSizeRead) < version);
            QCOMPARE(sent.count(blockSizeRead), 3);
        }
    }

    void lostHandshakeRepliesAreAskedAgain_data()
    {
        QTest::addColumn<QByteArray>("lost"); // the query whose replies are lost
        QTest::addColumn<int>("losses");
        QTest::addColumn<int>("unknown"); // input whose name the handshake leaves unknown
        QTest::newRow("version lost once") << Bytes({23}) << 1 << -1;
        QTest::newRow("name lost once") << Bytes({20, 55, 4}) << 1 << -1;
        QTest::newRow("name lost four times") << Bytes({20, 55, 4}) << 4 << 4;
    }
    // A lost version or name reply is asked again after the retry time, up
    // to HandshakeRetries times; then the chain goes on with the next name,
    // and FetchUnknownInputNames asks for the one left out.
    void lostHandshakeRepliesAreAskedAgain()
    {
        QFETCH(QByteArray, lost);
        QFETCH(int, losses);
        QFETCH(int, unknown);
        UnitSession::Timing timing = FastTiming();
        timing.handshakeRetry = 50;
        timing.port.readTotal = 1000; // the retries never meet a silent period
        auto healthy = HealthyUnit("K230");
        auto left = std::make_shared<int>(losses);
        Connection c(
            [=](const QByteArray& request) {
                return request == lost && (*left)-- > 0 ? QList<QByteArray>{} : healthy(request);
            },
            timing);
        QSignalSpy settled(&c.session, &UnitSession::inputNamesSettled);
        c.session.Start();
        QVERIFY(settled.wait());
        // Every try the handshake may make has had its time.
        Pause((UnitSession::HandshakeRetries + 2) * timing.handshakeRetry);
        QCOMPARE(c.session.Status().facts.versionText, QStringLiteral("v2.05"));

        QList<qint64> asked;
        for (const ScriptedUnit::Received& r : c.unit.Requests()) {
            if (r.payload == lost)
                asked.append(r.atMs);
        }
        QCOMPARE(asked.size(), std::min(losses, UnitSession::HandshakeRetries) + 1);
        // Asked again after the wait the line's round trips give: never
        // sooner than the floor, never much later than the fixed period.
        for (qsizetype i = 1; i < asked.size(); ++i) {
            const qint64 gap = asked[i] - asked[i - 1];
            QVERIFY2(gap >= timing.transfer.retryFloor - 5 && gap <= timing.handshakeRetry + 30,
                     qPrintable(QString::number(gap)));
        }
        const auto& known = c.session.Status().inputNameKnown;
        for (int i = 0; i < InputCount; ++i)
            QCOMPARE(known[i], i != unknown);

        c.unit.Clear();
        settled.clear();
        c.session.FetchUnknownInputNames();
        QVERIFY(settled.wait());
        QList<QByteArray> names;
        for (const QByteArray& p : c.unit.Payloads()) {
            if (p.startsWith(Bytes({20, 55})))
                names.append(p);
        }
        QCOMPARE(names,
                 unknown < 0 ? QList<QByteArray>{} : QList<QByteArray>{Bytes({20, 55, unknown})});
        QVERIFY(std::all_of(known.begin(), known.end(), [](bool k) { return k; }));
    }

    void probesAndFallsBackAfterTwoSilentPeriods()
    {
        Connection c(HealthyUnit("K230"));
        QSignalSpy shown(&c.session.Live(), &LiveStatus::connectionShown);
        QVERIFY(c.StartAndHandshake());
        QTRY_VERIFY(!shown.isEmpty());
        QCOMPARE(shown.last().at(0).toBool(), true);
        // Quiet but answering the probe, as a unit with nothing to report: still connected.
        const qsizetype views = shown.size();
        QTest::qWait(3 * FastTiming().port.readTotal);
        QVERIFY(c.session.Status().connected && !c.session.IsProbing());
        QCOMPARE(shown.size(), views);

        // The unit falls silent: the first quiet period only probes.
        c.unit.SetResponder({});
        c.unit.Clear();
        QTRY_VERIFY(!c.session.Status().connected);
        QVERIFY(!c.session.IsProbing());
        QCOMPARE(c.unit.Payloads(), QList<QByteArray>{Bytes({20, 20})});
        // The second one shows the disconnected view and starts probing,
        // once per connection period.
        QTRY_VERIFY(c.session.IsProbing());
        QCOMPARE(shown.last().at(0).toBool(), false);
        QTRY_VERIFY(c.unit.Payloads().count(Bytes({20, 20})) >= 4);
        const QList<ScriptedUnit::Received>& probes = c.unit.Requests();
        const qint64 spacing = probes.last().atMs - probes.at(probes.size() - 2).atMs;
        QVERIFY2(spacing >= FastTiming().connectPeriod - 10, qPrintable(QString::number(spacing)));

        // It answers again: connected, with a fresh handshake.
        c.unit.Clear();
        c.unit.SetResponder(HealthyUnit("K230"));
        QTRY_VERIFY(c.unit.Payloads().contains(LastName));
        QVERIFY(c.session.Status().connected);
        QVERIFY(!c.session.IsProbing());
        QVERIFY(c.unit.Payloads().contains(Bytes({23})));
        QCOMPARE(shown.last().at(0).toBool(), true);
    }

    void vanishedDeviceGoesBackToProbing()
    {
        Connection c(HealthyUnit("K230"));
        QVERIFY(c.StartAndHandshake());
        c.unit.Vanish();
        QTRY_VERIFY(c.session.IsProbing());
        QVERIFY(!c.session.Status().connected);
        // Whether the port is open by now is not asserted: the probe may
        // already have opened a new pseudo-terminal that took the same name.
    }

    void hostileBytesNeverStopTheReceiveLoop()
    {
        Connection c(HealthyUnit("K230"));
        QVERIFY(c.StartAndHandshake());
        QByteArray garbage;
        for (int i = 0; i < 4000; ++i)
            garbage.append(static_cast<char>((i * 7919) & 0xFF));
        c.unit.SendRaw(garbage);
        Pause(50);
        c.unit.SendRaw(QByteArray(1, 0x01) + QByteArray(300, 'A') + Bytes({0x02, 0x00}));
        c.unit.SendRaw(Bytes({0x01, 0x14, 0x15, 0x02, 0x00})); // bad checksum
        c.unit.Send(Bytes({20, 55, 77}) + "EVIL");
        c.unit.Send(Bytes({28, 200, 'x', 'y'}));
        c.unit.Send(Bytes({20, 53, 42}));
        c.unit.Send(Bytes({20, 21, 0}));
        QTRY_VERIFY(!c.session.Status().mainPower);
        QVERIFY(c.session.Status().connected);
    }

    void autoDetectResumesAfterTheLastPortTriedAndWraps()
    {
        QTemporaryDir dir;
        UnitSession::Timing timing = FastTiming();
        timing.connectPeriod = 120;
        Connection c(HealthyUnit("K230"), timing);
        QVERIFY(QFile::link(c.unit.SlavePath(), dir.filePath(QStringLiteral("port3"))));
        c.session.SetPortSetting(QString::fromLatin1(UnitSession::AutoDetect));
        c.session.SetAutoDetectPattern(dir.filePath(QStringLiteral("port%1")));
        c.session.SetAdapterLister([] { return QStringList(); });
        QVERIFY(c.StartAndHandshake());
        QCOMPARE(c.session.AutoDetectCounter(), 3);
        QCOMPARE(c.session.Link().PortName(), dir.filePath(QStringLiteral("port3")));

        // Silent: the walk goes on from port 4 through 8 and wraps to 1.
        QList<int> failed;
        connect(&c.session, &UnitSession::portOpenFailed, this,
                [&] { failed.append(c.session.AutoDetectCounter()); });
        c.unit.SetResponder({});
        QTRY_VERIFY_WITH_TIMEOUT(failed.size() >= 7, 10000);
        QCOMPARE(failed.mid(0, 7), (QList<int>{4, 5, 6, 7, 8, 1, 2}));
    }
};

QTEST_GUILESS_MAIN(TestConnection)
#include "test_connection.moc"
