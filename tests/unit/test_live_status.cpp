#include "link/message_set.h"
#include "test_bytes.h"
#include "unit/unit_session.h"

#include <QSignalSpy>
#include <QTest>

namespace {

QByteArray Report(int variable, int value)
{
    return Bytes({MessageType::Variable, variable, value});
}

QByteArray Text(int type, int lead, const char* text)
{
    return Bytes({type, lead}) + QByteArray(text);
}

// A session without a port: payloads are fed straight to the dispatch.
struct Fixture
{
    UnitSession session;
    void Feed(const QByteArray& payload) { session.Dispatch(payload); }
    void Feed(std::initializer_list<QByteArray> payloads)
    {
        for (const QByteArray& p : payloads)
            Feed(p);
    }
    void TunerOnFm()
    {
        Feed({Report(Variable::MainPower, 1), Report(Variable::MainSource, SourceTuner),
              Report(Variable::TunerBand, Band::Fm)});
    }
};

} // namespace

class TestLiveStatus : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void identificationNeedsText()
    {
        Fixture f;
        f.Feed(Bytes({20, 20}));
        QVERIFY(!f.session.Status().connected);
        f.Feed(Bytes({20, 20}) + "K230");
        QVERIFY(f.session.Status().connected);
        QCOMPARE(f.session.Status().facts.modelText, QStringLiteral("K230"));
        f.Feed(Bytes({23, 2, 5}));
        QCOMPARE(f.session.Status().facts.versionText, QStringLiteral("v2.05"));
        f.Feed(Bytes({23, 2})); // short: ignored
        QCOMPARE(f.session.Status().facts.versionText, QStringLiteral("v2.05"));
        // A text ends at a 0 byte, as the unit terminates it.
        f.Feed(Bytes({20, 20, 'K', '2', '2', '0', 0, 'x'}));
        QCOMPARE(f.session.Status().facts.modelText, QStringLiteral("K220"));
        QCOMPARE(f.session.Status().modelIndex, 1);
    }

    void reportsShownAndStored_data()
    {
        QTest::addColumn<QList<QByteArray>>("before");
        QTest::addColumn<QByteArray>("report");
        QTest::addColumn<bool>("shown");
        QTest::addColumn<int>("value");
        const QByteArray mainOn = Report(Variable::MainPower, 1);
        const QByteArray zoneOn = Report(Variable::ZonePower, 1);
        const QList<QByteArray> fmLive = {mainOn, Report(53, SourceTuner), Report(43, Band::Fm)};
        QTest::newRow("main volume, main off")
            << QList<QByteArray>{} << Report(23, 226) << false << -30;
        QTest::newRow("main volume, main on")
            << QList<QByteArray>{mainOn} << Report(23, 226) << true << -30;
        QTest::newRow("zone volume, zone off")
            << QList<QByteArray>{mainOn} << Report(27, 236) << false << -20;
        QTest::newRow("zone volume, zone on")
            << QList<QByteArray>{zoneOn} << Report(27, 236) << true << -20;
        QTest::newRow("zone mute, zone off")
            << QList<QByteArray>{mainOn} << Report(28, 1) << false << 1;
        QTest::newRow("bass, main on")
            << QList<QByteArray>{mainOn} << Report(33, 252) << true << -4;
        QTest::newRow("signal type 4") << QList<QByteArray>{mainOn} << Report(39, 4) << true << 4;
        QTest::newRow("signal type 5") << QList<QByteArray>{mainOn} << Report(39, 5) << false << 5;
        QTest::newRow("signal type -1")
            << QList<QByteArray>{mainOn} << Report(39, 255) << false << -1;
        QTest::newRow("FM frequency, tuner not heard")
            << QList<QByteArray>{mainOn} << Bytes({20, 45, 0x2E, 0x22}) << false << 8750;
        QTest::newRow("FM frequency, FM heard")
            << fmLive << Bytes({20, 45, 0xB8, 0x27}) << true << 10168;
        QTest::newRow("AM frequency, FM heard")
            << fmLive << Bytes({20, 44, 0xE8, 0x03}) << false << 1000;
        QTest::newRow("FM preset 200, FM heard") << fmLive << Report(57, 200) << true << 200;
        QTest::newRow("FM mute, tuner not heard")
            << QList<QByteArray>{mainOn} << Report(47, 1) << false << 1;
    }

    void reportsShownAndStored()
    {
        QFETCH(QList<QByteArray>, before);
        QFETCH(QByteArray, report);
        QFETCH(bool, shown);
        QFETCH(int, value);
        Fixture f;
        for (const QByteArray& r : before)
            f.Feed(r);
        QSignalSpy applied(&f.session.Live(), &LiveStatus::reportApplied);
        f.Feed(report);
        QCOMPARE(applied.size(), 1);
        QCOMPARE(applied.at(0).at(1).toInt(), value);
        QCOMPARE(applied.at(0).at(2).toBool(), shown);

        // Volumes and tone are kept only while shown; tuner values always.
        const LiveValues& status = f.session.Status();
        switch (static_cast<int>(report[1])) {
        case Variable::MainVolume:
            QCOMPARE(status.mainVolume, shown ? value : 0);
            break;
        case Variable::ZoneVolume:
            QCOMPARE(status.zoneVolume, shown ? value : 0);
            break;
        case Variable::Bass:
            QCOMPARE(status.bass, value);
            break;
        case Variable::FmFrequency:
            QCOMPARE(status.fmFrequency, value);
            break;
        case Variable::AmFrequency:
            QCOMPARE(status.amFrequency, value);
            break;
        case Variable::FmPreset:
            QCOMPARE(status.fmPreset, value);
            break;
        default:
            break;
        }
    }

    void tunerLiveRules_data()
    {
        QTest::addColumn<QList<QByteArray>>("reports");
        QTest::addColumn<bool>("live");
        QTest::newRow("main on TUNER") << QList<QByteArray>{Report(21, 1), Report(53, 9)} << true;
        QTest::newRow("main on CD") << QList<QByteArray>{Report(21, 1), Report(53, 6)} << false;
        QTest::newRow("zone on TUNER") << QList<QByteArray>{Report(52, 1), Report(54, 9)} << true;
        // The main room is off: its source is known but not selected.
        QTest::newRow("zone LOCAL, main source TUNER")
            << QList<QByteArray>{Report(53, 9), Report(52, 1), Report(54, 8)} << true;
        QTest::newRow("zone LOCAL, main source DVD")
            << QList<QByteArray>{Report(53, 0), Report(52, 1), Report(54, 8)} << false;
        QTest::newRow("main TUNER then main off")
            << QList<QByteArray>{Report(21, 1), Report(53, 9), Report(21, 0)} << false;
        QTest::newRow("zone TUNER then zone off")
            << QList<QByteArray>{Report(52, 1), Report(54, 9), Report(52, 0)} << false;
    }

    void tunerLiveRules()
    {
        QFETCH(QList<QByteArray>, reports);
        QFETCH(bool, live);
        Fixture f;
        for (const QByteArray& r : reports)
            f.Feed(r);
        QCOMPARE(f.session.Status().tunerLive, live);
    }

    void radioTextAssembly()
    {
        Fixture f;
        f.TunerOnFm();
        QSignalSpy changed(&f.session.Live(), &LiveStatus::radioTextChanged);
        f.Feed(Text(MessageType::RadioText, 10, "AB"));
        QCOMPARE(f.session.Status().radioText, QStringLiteral("          AB"));
        f.Feed(Text(MessageType::RadioText, 0, "Hello"));
        QCOMPARE(f.session.Status().radioText, QStringLiteral("Hello     AB"));
        f.Feed(Text(MessageType::RadioText, 0, "Hello")); // unchanged: no signal
        QCOMPARE(changed.size(), 2);
        f.Feed(Text(MessageType::RadioText, -5 & 0xFF, "XY")); // before the start: ignored
        QCOMPARE(f.session.Status().radioText, QStringLiteral("Hello     AB"));
        f.Feed(Text(MessageType::RadioText, 127, "YZ")); // far out, but bounded
        QCOMPARE(f.session.Status().radioText.size(), 129);
        f.Feed(Bytes({MessageType::RadioText, 0, 'A'})); // short payload empties it
        QCOMPARE(f.session.Status().radioText, QString());
    }

    void psNameNeedsEightCharacters()
    {
        Fixture f;
        f.TunerOnFm();
        f.Feed(Bytes({MessageType::PsName}) + "RADIO 1 ");
        QCOMPARE(f.session.Status().psName, QStringLiteral("RADIO 1 "));
        f.Feed(Bytes({MessageType::PsName}) + "RADIO 1");
        QCOMPARE(f.session.Status().psName, QString());
    }

    void rdsIgnoredAndClearedWhenTunerNotHeard()
    {
        Fixture f;
        f.Feed(Bytes({MessageType::PsName}) + "RADIO 1 ");
        f.Feed(Text(MessageType::RadioText, 0, "Text"));
        QCOMPARE(f.session.Status().psName, QString());
        QCOMPARE(f.session.Status().radioText, QString());

        f.TunerOnFm();
        QSignalSpy ps(&f.session.Live(), &LiveStatus::psNameChanged);
        f.Feed(Bytes({MessageType::PsName}) + "RADIO 1 ");
        f.Feed(Report(Variable::MainSource, 6));
        QCOMPARE(f.session.Status().psName, QString());
        // Heard again: the same name is news again.
        f.Feed(Report(Variable::MainSource, SourceTuner));
        f.Feed(Bytes({MessageType::PsName}) + "RADIO 1 ");
        QCOMPARE(ps.size(), 2);
        QCOMPARE(f.session.Status().psName, QStringLiteral("RADIO 1 "));
    }

    void hostileReportsIgnored_data()
    {
        QTest::addColumn<QByteArray>("payload");
        QTest::newRow("input name index 10") << Bytes({20, 55, 10}) + "X";
        QTest::newRow("input name index -1") << Bytes({20, 55, 255}) + "X";
        QTest::newRow("input name without index") << Bytes({20, 55});
        QTest::newRow("main source 10") << Report(53, 10);
        QTest::newRow("main source -1") << Report(53, 255);
        QTest::newRow("zone source 12") << Report(54, 12);
        QTest::newRow("surround 11") << Report(40, 11);
        QTest::newRow("surround 14") << Report(40, 14);
        QTest::newRow("surround -1") << Report(40, 255);
        QTest::newRow("band 7") << Report(43, 7);
        QTest::newRow("variable 200") << Report(200, 1);
        QTest::newRow("variable 22") << Report(22, 1);
        QTest::newRow("report without value") << Bytes({20, 21});
        QTest::newRow("frequency without high byte") << Bytes({20, 45, 0x2E});
        QTest::newRow("lone type") << Bytes({20});
        QTest::newRow("unknown type") << Bytes({99, 1, 2, 3});
        QTest::newRow("live setup short") << Bytes({29});
        QTest::newRow("eeprom short") << Bytes({30, 1});
        QTest::newRow("radio text short") << Bytes({28});
        QTest::newRow("ps empty") << Bytes({27});
    }

    void hostileReportsIgnored()
    {
        QFETCH(QByteArray, payload);
        Fixture f;
        f.Feed({Report(21, 1), Report(52, 1), Report(53, 2), Report(54, 3), Report(40, 4)});
        const LiveValues before = f.session.Status();
        f.Feed(payload);
        const LiveValues& after = f.session.Status();
        QCOMPARE(after.mainSource, before.mainSource);
        QCOMPARE(after.zoneSource, before.zoneSource);
        QCOMPARE(after.surroundMode, before.surroundMode);
        QCOMPARE(after.tunerBand, before.tunerBand);
        QCOMPARE(after.fmFrequency, before.fmFrequency);
        QCOMPARE(after.mainPower, before.mainPower);
        QCOMPARE(after.inputNames, before.inputNames);
        QCOMPARE(after.connected, before.connected);
    }

    // What is kept only while the main room is on goes when it is switched
    // off, and when the unit answers again after a silence (its rooms start
    // off until it reports them): a save must not write the old speakers.
    void mainRoomClearedWhenOff_data()
    {
        QTest::addColumn<bool>("reconnect");
        QTest::newRow("power off") << false;
        QTest::newRow("new connection") << true;
    }
    void mainRoomClearedWhenOff()
    {
        QFETCH(bool, reconnect);
        Fixture f;
        f.Feed({Report(21, 1), Report(53, 9), Report(40, 13), Report(Variable::SpeakersA, 1),
                Report(Variable::SpeakersB, 1)});
        QCOMPARE(f.session.Status().surroundMode, 13);
        QVERIFY(f.session.Status().speakersA && f.session.Status().speakersB);
        if (reconnect)
            f.session.Live().BeginConnection();
        else
            f.Feed(Report(21, 0));
        const LiveValues& v = f.session.Status();
        QVERIFY(!v.mainPower);
        QCOMPARE(v.mainSource, -1);
        QCOMPARE(v.surroundMode, -1);
        QVERIFY(!v.speakersA && !v.speakersB);
        QVERIFY(v.mainSourceIsTuner);
    }
};

QTEST_GUILESS_MAIN(TestLiveStatus)
#include "test_live_status.moc"
