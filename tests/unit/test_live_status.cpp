#include "test_bytes.h"
#include "unit/unit_session.h"

#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

// Payloads are written with the unit's own numbers, never the program's
// names for them: the simulator shares the program's table, so a wrong
// number there would pass every end-to-end test. These tables are the check.
namespace {

QByteArray Report(int variable, int value)
{
    return Bytes({20, variable, value});
}

template <typename Arg>
void Hear(LiveStatus& live, void (LiveStatus::*changed)(Arg), const char* name, QStringList& heard)
{
    QObject::connect(&live, changed, &live, [&heard, name](Arg value) {
        heard << QStringLiteral("%1 %2").arg(QLatin1String(name)).arg(static_cast<int>(value));
    });
}

void Hear(LiveStatus& live, void (LiveStatus::*changed)(), const char* name, QStringList& heard)
{
    QObject::connect(&live, changed, &live, [&heard, name] { heard << QLatin1String(name); });
}

// A session without a port: payloads are fed straight to the dispatch.
// `heard` collects what the views hear, in order, as "signal value".
struct Fixture
{
    Fixture()
    {
        LiveStatus& live = session.Live();
        Hear(live, &LiveStatus::mainPowerShown, "mainPowerShown", heard);
        Hear(live, &LiveStatus::zonePowerShown, "zonePowerShown", heard);
        Hear(live, &LiveStatus::tunerSectionUpdated, "tunerSection", heard);
        Hear(live, &LiveStatus::mainPowerReported, "mainPower", heard);
        Hear(live, &LiveStatus::zonePowerReported, "zonePower", heard);
        Hear(live, &LiveStatus::mainMuteChanged, "mainMute", heard);
        Hear(live, &LiveStatus::zoneMuteChanged, "zoneMute", heard);
        Hear(live, &LiveStatus::speakersAChanged, "speakersA", heard);
        Hear(live, &LiveStatus::speakersBChanged, "speakersB", heard);
        Hear(live, &LiveStatus::tapeMonitorChanged, "tapeMonitor", heard);
        Hear(live, &LiveStatus::toneDefeatChanged, "toneDefeat", heard);
        Hear(live, &LiveStatus::fmMuteChanged, "fmMute", heard);
        Hear(live, &LiveStatus::mainVolumeChanged, "mainVolume", heard);
        Hear(live, &LiveStatus::zoneVolumeChanged, "zoneVolume", heard);
        Hear(live, &LiveStatus::bassChanged, "bass", heard);
        Hear(live, &LiveStatus::trebleChanged, "treble", heard);
        Hear(live, &LiveStatus::signalTypeChanged, "signalType", heard);
        Hear(live, &LiveStatus::surroundModeChanged, "surroundMode", heard);
        Hear(live, &LiveStatus::mainSourceChanged, "mainSource", heard);
        Hear(live, &LiveStatus::zoneSourceChanged, "zoneSource", heard);
        Hear(live, &LiveStatus::tunerBandChanged, "tunerBand", heard);
        Hear(live, &LiveStatus::tunerFrequencyChanged, "tunerFrequency", heard);
        Hear(live, &LiveStatus::tunerPresetChanged, "tunerPreset", heard);
        Hear(live, &LiveStatus::soundReported, "sound", heard);
    }

    UnitSession session;
    QStringList heard;
    void Feed(const QByteArray& payload) { session.Dispatch(payload); }
    void Feed(std::initializer_list<QByteArray> payloads)
    {
        for (const QByteArray& p : payloads)
            Feed(p);
    }
    void TunerOnFm() { Feed({Report(21, 1), Report(53, 9), Report(43, 1)}); }
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

    void viewsHearTypedChanges_data()
    {
        QTest::addColumn<QList<QByteArray>>("before");
        QTest::addColumn<QByteArray>("report");
        QTest::addColumn<QString>("heard"); // the signals, in order, with their values
        const QByteArray mainOn = Report(21, 1);
        const QByteArray zoneOn = Report(52, 1);
        const QList<QByteArray> off;
        const QList<QByteArray> main = {mainOn};
        const QList<QByteArray> fmLive = {mainOn, Report(53, 9), Report(43, 1)};
        auto row = [](const char* tag, const QList<QByteArray>& before, const QByteArray& report,
                      const char* heard) {
            QTest::newRow(tag) << before << report << QString::fromLatin1(heard);
        };
        // Power: the room's controls first, then the tuner, then the check mark.
        row("main power on", off, mainOn, "mainPowerShown 1, tunerSection 0, mainPower 1");
        row("zone power off", off, Report(52, 0), "zonePowerShown 0, tunerSection 0, zonePower 0");
        // Volumes and mutes reach the popup always, the panel while the room is on.
        row("main volume, main off", off, Report(23, 226), "sound 0");
        row("main volume, main on", main, Report(23, 226), "sound 0, mainVolume -30");
        row("zone volume, zone off", main, Report(27, 236), "sound 1");
        row("zone volume, zone on", {zoneOn}, Report(27, 236), "sound 1, zoneVolume -20");
        row("main mute, main on", main, Report(24, 1), "sound 0, mainMute 1");
        row("zone mute, zone off", main, Report(28, 1), "sound 1");
        // The main room's values are heard only while it is on, in range.
        row("bass, main on", main, Report(33, 252), "bass -4");
        row("treble, main off", off, Report(32, 2), "");
        row("speakers B, main on", main, Report(59, 1), "speakersB 1");
        row("tape monitor, main off", off, Report(31, 1), "");
        row("tone defeat, main on", main, Report(60, 1), "toneDefeat 1");
        row("signal type 4", main, Report(39, 4), "signalType 4");
        row("signal type 5", main, Report(39, 5), "");
        row("signal type -1", main, Report(39, 255), "");
        row("surround 13", main, Report(40, 13), "surroundMode 13");
        row("surround none", main, Report(40, 11), "");
        row("main source, main on", main, Report(53, 3), "mainSource 3, tunerSection 0");
        row("zone source, zone off", main, Report(54, 3), "tunerSection 0");
        // The tuner's values are heard while it is, on the band shown.
        row("FM frequency, tuner not heard", main, Bytes({20, 45, 0x2E, 0x22}), "");
        row("FM frequency, FM heard", fmLive, Bytes({20, 45, 0xB8, 0x27}), "tunerFrequency");
        row("AM frequency, FM heard", fmLive, Bytes({20, 44, 0xE8, 0x03}), "");
        row("FM preset 200, FM heard", fmLive, Report(57, 200), "tunerPreset");
        row("band AM, FM heard", fmLive, Report(43, 0), "tunerBand 0");
        row("FM mute, tuner not heard", main, Report(47, 1), "");
        row("FM mute, FM heard", fmLive, Report(47, 1), "fmMute 1");
        row("speakers A, main on", main, Report(58, 1), "speakersA 1");
        row("zone mute, zone on", {zoneOn}, Report(28, 1), "sound 1, zoneMute 1");
        row("zone source, zone on", {zoneOn}, Report(54, 9), "zoneSource 9, tunerSection 1");
        row("AM preset, AM heard", {mainOn, Report(53, 9), Report(43, 0)}, Report(56, 3),
            "tunerPreset");
        row("AM frequency, AM heard", {mainOn, Report(53, 9), Report(43, 0)},
            Bytes({20, 44, 0xE7, 0x03}), "tunerFrequency");
    }

    // The view contract: what each report tells the views, and nothing more.
    void viewsHearTypedChanges()
    {
        QFETCH(QList<QByteArray>, before);
        QFETCH(QByteArray, report);
        Fixture f;
        for (const QByteArray& r : before)
            f.Feed(r);
        f.heard.clear();
        f.Feed(report);
        QTEST(f.heard.join(u", "), "heard");
    }

    // Volumes, tone and speakers are kept only while their room is on; the
    // popup's sound and the tuner's values always.
    void valuesKeptWhileShown()
    {
        for (const bool on : {false, true}) {
            Fixture f;
            f.Feed({Report(21, on), Report(52, on), Report(23, 226), Report(27, 236),
                    Report(33, 252), Report(28, 1), Report(58, 1), Bytes({20, 45, 0xB8, 0x27}),
                    Report(56, 7)});
            const LiveValues& v = f.session.Status();
            QCOMPARE(v.mainVolume, on ? -30 : 0);
            QCOMPARE(v.zoneVolume, on ? -20 : 0);
            QCOMPARE(v.bass, on ? -4 : 0);
            QCOMPARE(v.speakersA, on);
            QCOMPARE(v.ReportedSound(LiveRoom::Main).volume, -30);
            QCOMPARE(v.ReportedSound(LiveRoom::Zone).volume, -20);
            QVERIFY(v.ReportedSound(LiveRoom::Zone).mute && !v.ReportedSound(LiveRoom::Main).mute);
            QCOMPARE(v.fmFrequency, 10168);
            QCOMPARE(v.amPreset, 7);
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
        f.Feed(Bytes({28, 10}) + "AB");
        QCOMPARE(f.session.Status().radioText, QStringLiteral("          AB"));
        f.Feed(Bytes({28, 0}) + "Hello");
        QCOMPARE(f.session.Status().radioText, QStringLiteral("Hello     AB"));
        f.Feed(Bytes({28, 0}) + "Hello"); // unchanged: no signal
        QCOMPARE(changed.size(), 2);
        f.Feed(Bytes({28, -5 & 0xFF}) + "XY"); // before the start: ignored
        QCOMPARE(f.session.Status().radioText, QStringLiteral("Hello     AB"));
        f.Feed(Bytes({28, 127}) + "YZ"); // far out, but bounded
        QCOMPARE(f.session.Status().radioText.size(), 129);
        f.Feed(Bytes({28, 0, 'A'})); // short payload empties it
        QCOMPARE(f.session.Status().radioText, QString());
    }

    void rdsOnlyWhileTheTunerIsHeard()
    {
        Fixture f;
        f.Feed(Bytes({27}) + "RADIO 1 ");
        f.Feed(Bytes({28, 0}) + "Text");
        QCOMPARE(f.session.Status().psName, QString());
        QCOMPARE(f.session.Status().radioText, QString());

        f.TunerOnFm();
        QSignalSpy ps(&f.session.Live(), &LiveStatus::psNameChanged);
        f.Feed(Bytes({27}) + "RADIO 1 ");
        f.Feed(Report(53, 6));
        QCOMPARE(f.session.Status().psName, QString());
        // Heard again: the same name is news again.
        f.Feed(Report(53, 9));
        f.Feed(Bytes({27}) + "RADIO 1 ");
        QCOMPARE(ps.size(), 2);
        QCOMPARE(f.session.Status().psName, QStringLiteral("RADIO 1 "));
        f.Feed(Bytes({27}) + "RADIO 1"); // a name needs all eight characters
        QCOMPARE(f.session.Status().psName, QString());
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
        // The numbers the unit reports that the program has no use for.
        for (int variable :
             {19, 22, 25, 26, 29, 30, 34, 35, 36, 37, 38, 41, 42, 46, 48, 49, 50, 51, 61}) {
            QTest::addRow("variable %d", variable) << Report(variable, 1);
        }
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
        f.heard.clear();
        f.Feed(payload);
        f.heard.removeAll(u"tunerSection 0"_s);
        QCOMPARE(f.heard, QStringList());
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
    void mainRoomClearedWhenOff()
    {
        for (const bool reconnect : {false, true}) {
            Fixture f;
            f.Feed({Report(21, 1), Report(53, 9), Report(40, 13), Report(58, 1), Report(59, 1)});
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
    }
};

QTEST_GUILESS_MAIN(TestLiveStatus)
#include "test_live_status.moc"
