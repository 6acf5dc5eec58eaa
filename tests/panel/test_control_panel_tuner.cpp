#include "test_control_panel_fixture.h"

#include <QCheckBox>
#include <QRadioButton>

namespace {

QByteArray SetFrequency(int variable, int value)
{
    return Bytes({MessageType::Set, variable, value & 0xFF, value >> 8});
}

QByteArray PsName(const char* name)
{
    return Bytes({MessageType::PsName}) + QByteArray(name);
}

QByteArray RadioText(int offset, const char* text)
{
    return Bytes({MessageType::RadioText, offset}) + QByteArray(text);
}

// The tuner's controls that follow the tuner being heard.
const char* const TunerControls[] = {
    "bandAm",         "bandFm",      "frequency",   "frequencySpin", "preset",    "presetSpin",
    "seekDown",       "seekUp",      "fmMute",      "psName",        "radioText", "bandLabel",
    "frequencyLabel", "presetLabel", "searchLabel", "psLabel",       "rtLabel"};

} // namespace

class TestControlPanelTuner : public QObject
{
    Q_OBJECT

    std::unique_ptr<PanelFixture> f;

    // Main room on TUNER, showing the FM band at 87.50 MHz without a preset
    // and the AM band at 530 kHz on preset 2.
    void TunerLive()
    {
        f->Feed({Report(Variable::MainPower, 1), Report(Variable::MainSource, SourceTuner),
                 Report16(Variable::FmFrequency, 8750), Report16(Variable::AmFrequency, 530),
                 Report(Variable::FmPreset, 0), Report(Variable::AmPreset, 2),
                 Report(Variable::TunerBand, Band::Fm)});
        f->ClearSent();
    }

    // The zone on LOCAL hears the main room's tuner while the main room is
    // off: live, but neither TUNER button is selected.
    void TunerThroughLocal()
    {
        f->Feed({Report(Variable::MainPower, 1), Report(Variable::MainSource, SourceTuner),
                 Report(Variable::MainPower, 0), Report(Variable::ZonePower, 1),
                 Report(Variable::ZoneSource, SourceExternal),
                 Report16(Variable::FmFrequency, 8750), Report(Variable::TunerBand, Band::Fm)});
        f->ClearSent();
    }

    QLineEdit* Frequency() const { return f->Field(u"frequency"_s); }
    QLineEdit* Preset() const { return f->Field(u"preset"_s); }

    void Focus(QWidget* widget)
    {
        widget->setFocus();
        QTRY_VERIFY(widget->hasFocus());
    }

private Q_SLOTS:
    void initTestCase()
    {
        f = std::make_unique<PanelFixture>();
        QVERIFY(f->Ready());
        f->panel->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f->panel.get()));
    }

    void init()
    {
        // Out of the tuner fields first, so nothing typed is committed later.
        Focus(f->Button(u"editPresets"_s));
        f->Reset();
    }

    void cleanupTestCase() { f.reset(); }

    void tunerIsLiveWhenHeard_data()
    {
        QTest::addColumn<QList<QByteArray>>("reports");
        QTest::addColumn<bool>("live");
        const QByteArray mainOn = Report(Variable::MainPower, 1);
        const QByteArray mainOff = Report(Variable::MainPower, 0);
        const QByteArray zoneOn = Report(Variable::ZonePower, 1);
        QTest::newRow("main tuner")
            << QList{mainOn, Report(Variable::MainSource, SourceTuner)} << true;
        QTest::newRow("zone tuner")
            << QList{zoneOn, Report(Variable::ZoneSource, SourceTuner)} << true;
        QTest::newRow("zone local, main on tuner, main off")
            << QList{mainOn, Report(Variable::MainSource, SourceTuner), mainOff, zoneOn,
                     Report(Variable::ZoneSource, SourceExternal)}
            << true;
        QTest::newRow("tuner reported while main off, zone local")
            << QList{Report(Variable::MainSource, SourceTuner), zoneOn,
                     Report(Variable::ZoneSource, SourceExternal)}
            << true;
        QTest::newRow("zone local, main on CD")
            << QList{mainOn, Report(Variable::MainSource, 6), zoneOn,
                     Report(Variable::ZoneSource, SourceExternal)}
            << false;
        QTest::newRow("main tuner then off")
            << QList{mainOn, Report(Variable::MainSource, SourceTuner), mainOff} << false;
        QTest::newRow("main tuner then CD")
            << QList{mainOn, Report(Variable::MainSource, SourceTuner),
                     Report(Variable::MainSource, 6)}
            << false;
        QTest::newRow("zone tuner then zone off")
            << QList{zoneOn, Report(Variable::ZoneSource, SourceTuner),
                     Report(Variable::ZonePower, 0)}
            << false;
    }

    void tunerIsLiveWhenHeard()
    {
        QFETCH(QList<QByteArray>, reports);
        QFETCH(bool, live);
        for (const QByteArray& report : reports)
            f->Feed(report);
        QCOMPARE(f->panel->Session().Status().tunerLive, live);
        for (const char* name : TunerControls)
            QVERIFY2(f->Find(QLatin1String(name))->isEnabled() == live, name);
        // The bottom row does not depend on the tuner.
        QVERIFY(f->Button(u"editPresets"_s)->isEnabled());
    }

    // Live through LOCAL: the keys have no room to go to, typed values do.
    void localSendsNoKeysButTypedValues()
    {
        TunerThroughLocal();
        QVERIFY(f->panel->Session().Status().tunerLive);
        for (const char* control : {"bandAm", "bandFm", "seekUp", "seekDown", "frequencySpin/up",
                                    "frequencySpin/down", "presetSpin/up", "presetSpin/down"})
            f->Click(QLatin1String(control));
        QVERIFY(f->Sent().isEmpty());

        Focus(Frequency());
        Frequency()->selectAll();
        QTest::keyClicks(Frequency(), u"99.9"_s);
        QTest::keyClick(Frequency(), Qt::Key_Return);
        Focus(Preset());
        Preset()->selectAll();
        QTest::keyClicks(Preset(), u"4"_s);
        QTest::keyClick(Preset(), Qt::Key_Enter);
        QCOMPARE(f->Sent(), (QList<QByteArray>{SetFrequency(Variable::FmFrequency, 9990),
                                               Bytes({21, 57, 4})}));
    }

    void frequencyEntry_data()
    {
        QTest::addColumn<int>("band");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("byEnter"); // else by focus loss
        QTest::addColumn<int>("sent");     // 0: nothing sent
        QTest::addColumn<QString>("after");

        const QString fmShown = u"87.50 MHz"_s;
        const QString amShown = u"530 kHz"_s;
        QTest::newRow("fm tenths") << Band::Fm << u"101.7"_s << true << 10170 << u"101.7"_s;
        QTest::newRow("fm whole MHz") << Band::Fm << u"101"_s << true << 10100 << u"101"_s;
        QTest::newRow("fm thousandths cut")
            << Band::Fm << u"88.125"_s << true << 8812 << u"88.125"_s;
        QTest::newRow("fm on focus loss") << Band::Fm << u"88.1"_s << false << 8810 << u"88.1"_s;
        QTest::newRow("fm with unit")
            << Band::Fm << u"  98.5 MHz"_s << true << 9850 << u"  98.5 MHz"_s;
        QTest::newRow("fm trailing dot") << Band::Fm << u"90."_s << true << 9000 << u"90."_s;
        QTest::newRow("fm out of band is still sent")
            << Band::Fm << u"120"_s << true << 12000 << u"120"_s;
        QTest::newRow("fm letters") << Band::Fm << u"abc"_s << true << 0 << fmShown;
        QTest::newRow("fm empty") << Band::Fm << QString() << false << 0 << fmShown;
        QTest::newRow("fm zero") << Band::Fm << u"0.00"_s << true << 0 << fmShown;
        QTest::newRow("fm unchanged") << Band::Fm << u"87.5"_s << true << 0 << fmShown;
        QTest::newRow("fm beyond 16 bits") << Band::Fm << u"700"_s << true << 0 << fmShown;
        QTest::newRow("fm endless digits")
            << Band::Fm << u"99999999999999999999999"_s << true << 0 << fmShown;
        QTest::newRow("am") << Band::Am << u"1000"_s << true << 1000 << u"1000"_s;
        QTest::newRow("am letters after")
            << Band::Am << u"1000abc"_s << false << 1000 << u"1000abc"_s;
        QTest::newRow("am decimal") << Band::Am << u"999.9"_s << true << 999 << u"999.9"_s;
        QTest::newRow("am letters") << Band::Am << u"kHz"_s << true << 0 << amShown;
        QTest::newRow("am unchanged") << Band::Am << u"530"_s << false << 0 << amShown;
    }

    void frequencyEntry()
    {
        QFETCH(int, band);
        QFETCH(QString, typed);
        QFETCH(bool, byEnter);
        QFETCH(int, sent);
        QFETCH(QString, after);
        TunerLive();
        f->Feed(Report(Variable::TunerBand, band));
        Focus(Frequency());
        Frequency()->selectAll();
        QTest::keyClick(Frequency(), Qt::Key_Backspace);
        QTest::keyClicks(Frequency(), typed);
        if (byEnter)
            QTest::keyClick(Frequency(), Qt::Key_Return);
        else
            Focus(f->Button(u"seekUp"_s));

        const int variable = band == Band::Fm ? Variable::FmFrequency : Variable::AmFrequency;
        QCOMPARE(f->Sent(),
                 sent ? QList<QByteArray>{SetFrequency(variable, sent)} : QList<QByteArray>{});
        QCOMPARE(Frequency()->text(), after);
        if (byEnter && !sent)
            QCOMPARE(Frequency()->selectedText(), after);
        QVERIFY(f->panel->isVisible()); // Enter does not close the window

        // The same text again is the value now current: nothing more is sent.
        if (sent) {
            f->ClearSent();
            Focus(Frequency());
            QTest::keyClick(Frequency(), Qt::Key_Return);
            QVERIFY(f->Sent().isEmpty());
        }
    }

    void presetEntry_data()
    {
        QTest::addColumn<int>("band");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QByteArray>("sent"); // empty: nothing sent
        QTest::addColumn<QString>("after");
        QTest::newRow("fm") << Band::Fm << u"7"_s << Bytes({21, 57, 7}) << u"7"_s;
        QTest::newRow("fm two digits") << Band::Fm << u"30"_s << Bytes({21, 57, 30}) << u"30"_s;
        QTest::newRow("fm zero restores none") << Band::Fm << u"0"_s << QByteArray() << u"--"_s;
        QTest::newRow("fm empty") << Band::Fm << QString() << QByteArray() << u"--"_s;
        QTest::newRow("letters are refused")
            << Band::Fm << u"a1b2"_s << Bytes({21, 57, 12}) << u"12"_s;
        QTest::newRow("beyond a byte") << Band::Fm << u"300"_s << QByteArray() << u"--"_s;
        QTest::newRow("am") << Band::Am << u"3"_s << Bytes({21, 56, 3}) << u"3"_s;
        QTest::newRow("am unchanged") << Band::Am << u"2"_s << QByteArray() << u"2"_s;
    }

    void presetEntry()
    {
        QFETCH(int, band);
        QFETCH(QString, typed);
        QFETCH(QByteArray, sent);
        QFETCH(QString, after);
        TunerLive();
        f->Feed(Report(Variable::TunerBand, band));
        Focus(Preset());
        Preset()->selectAll();
        QTest::keyClick(Preset(), Qt::Key_Backspace);
        QTest::keyClicks(Preset(), typed);
        QTest::keyClick(Preset(), Qt::Key_Return);
        QCOMPARE(f->Sent(), sent.isEmpty() ? QList<QByteArray>{} : QList<QByteArray>{sent});
        QCOMPARE(Preset()->text(), after);
        if (sent.isEmpty())
            QCOMPARE(Preset()->selectedText(), after);
    }

    void tunerReportsFillTheGroup()
    {
        TunerLive();
        QVERIFY(f->Checked(u"bandFm"_s));
        QVERIFY(!f->Checked(u"bandAm"_s));
        QCOMPARE(Frequency()->text(), u"87.50 MHz"_s);
        QCOMPARE(Preset()->text(), u"--"_s);

        f->Feed({Report16(Variable::FmFrequency, 10110), Report(Variable::FmPreset, 12)});
        QCOMPARE(Frequency()->text(), u"101.10 MHz"_s);
        QCOMPARE(Preset()->text(), u"12"_s);
        // The other band's values are kept but not shown ...
        f->Feed({Report16(Variable::AmFrequency, 1000), Report(Variable::AmPreset, 4)});
        QCOMPARE(Frequency()->text(), u"101.10 MHz"_s);
        QCOMPARE(Preset()->text(), u"12"_s);
        // ... until the band changes.
        f->Feed(Report(Variable::TunerBand, Band::Am));
        QVERIFY(f->Checked(u"bandAm"_s));
        QVERIFY(!f->Checked(u"bandFm"_s));
        QCOMPARE(Frequency()->text(), u"1000 kHz"_s);
        QCOMPARE(Preset()->text(), u"4"_s);
        f->Feed(Report16(Variable::AmFrequency, 1710));
        QCOMPARE(Frequency()->text(), u"1710 kHz"_s);
        // A band value outside AM/FM changes nothing.
        f->Feed(Report(Variable::TunerBand, 2));
        QVERIFY(f->Checked(u"bandAm"_s));

        f->Feed(Report(Variable::FmMute, 1));
        QVERIFY(f->Checked(u"fmMute"_s));
        f->Feed(Report(Variable::FmMute, 0));
        QVERIFY(!f->Checked(u"fmMute"_s));
    }

    void valuesReportedWhileSilentAreShownLater()
    {
        f->Feed({Report16(Variable::FmFrequency, 9400), Report(Variable::FmPreset, 5),
                 Report(Variable::TunerBand, Band::Fm)});
        QVERIFY(Frequency()->text().isEmpty());
        f->Feed({Report(Variable::MainPower, 1), Report(Variable::MainSource, SourceTuner)});
        // Heard again: the values the unit reported meanwhile are shown at
        // once, as a unit that reports its tuner before its source expects.
        QVERIFY(f->Checked(u"bandFm"_s));
        QCOMPARE(Frequency()->text(), u"94.00 MHz"_s);
        QCOMPARE(Preset()->text(), u"5"_s);
        f->Feed(Report16(Variable::FmFrequency, 9410));
        QCOMPARE(Frequency()->text(), u"94.10 MHz"_s);
    }

    void reportSelectsTheFocusedField()
    {
        TunerLive();
        Focus(Frequency());
        Frequency()->deselect();
        f->Feed(Report16(Variable::FmFrequency, 9000));
        QCOMPARE(Frequency()->selectedText(), u"90.00 MHz"_s);
        Focus(Preset());
        Preset()->deselect();
        f->Feed(Report(Variable::FmPreset, 9));
        QCOMPARE(Preset()->selectedText(), u"9"_s);
        // An unfocused field is only rewritten.
        f->Feed(Report16(Variable::FmFrequency, 9100));
        QCOMPARE(Frequency()->text(), u"91.00 MHz"_s);
        QVERIFY(Frequency()->selectedText().isEmpty());
    }

    void silentTunerEmptiesTheGroup()
    {
        TunerLive();
        f->Feed({Report(Variable::FmMute, 1), PsName("RADIO 1 "), RadioText(0, "NEWS AT TEN")});
        QCOMPARE(f->Text(u"psName"_s), u"RADIO 1 "_s);
        QCOMPARE(f->Text(u"radioText"_s), u"NEWS AT TEN"_s);
        f->Feed(RadioText(5, "ON"));
        QCOMPARE(f->Text(u"radioText"_s), u"NEWS ON TEN"_s);

        f->Feed(Report(Variable::MainSource, 6));
        for (const char* name : {"frequency", "preset", "psName", "radioText"})
            QVERIFY2(f->Text(QLatin1String(name)).isEmpty(), name);
        for (const char* name : {"fmMute", "bandAm", "bandFm"})
            QVERIFY2(!f->Checked(QLatin1String(name)), name);
        // Texts arriving while silent are not shown.
        f->Feed(PsName("OTHER   "));
        QVERIFY(f->Text(u"psName"_s).isEmpty());

        // Heard again: the same name as before is shown again.
        f->Feed({Report(Variable::MainSource, SourceTuner), PsName("RADIO 1 ")});
        QCOMPARE(f->Text(u"psName"_s), u"RADIO 1 "_s);
    }

    // A field that loses the focus because the tuner falls silent keeps
    // nothing and sends nothing.
    void silencedFieldDoesNotCommit()
    {
        TunerLive();
        Focus(Frequency());
        Frequency()->selectAll();
        QTest::keyClicks(Frequency(), u"95"_s);
        f->Feed(Report(Variable::MainPower, 0));
        QVERIFY(Frequency()->text().isEmpty());
        Focus(f->Button(u"editPresets"_s));
        QVERIFY(f->Sent().isEmpty());
        QVERIFY(Frequency()->text().isEmpty());
    }
};

QTEST_MAIN(TestControlPanelTuner)
#include "test_control_panel_tuner.moc"
