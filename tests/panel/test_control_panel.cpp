#include "desktop/message_box.h"
#include "desktop/message_table.h"
#include "setup/rename_input_dlg.h"
#include "test_control_panel_fixture.h"

#include <QApplication>
#include <QMenu>
#include <QTimer>

namespace {

const QByteArray MainOn = Report(Variable::MainPower, 1);
const QByteArray MainOff = Report(Variable::MainPower, 0);
const QByteArray ZoneOn = Report(Variable::ZonePower, 1);
const QByteArray MainTuner = Report(Variable::MainSource, SourceTuner);

QList<QByteArray> Keys(std::initializer_list<int> codes)
{
    QList<QByteArray> out;
    for (int code : codes)
        out.append(Bytes({MessageType::Key, code}));
    return out;
}

QByteArray NameFrame(int input, const char* name13)
{
    return Bytes({MessageType::Set, Variable::InputName, input}) + QByteArray(name13);
}

// Every check mark and radio selection of the window, by object name.
QMap<QString, bool> CheckStates(const QWidget& window)
{
    QMap<QString, bool> states;
    for (const QAbstractButton* b : window.findChildren<QAbstractButton*>()) {
        if (b->isCheckable())
            states.insert(b->objectName(), b->isChecked());
    }
    return states;
}

// Every control of a group is enabled, or disabled, unchecked and empty;
// `except` (a room's power switch) and the rename hint are left out.
void VerifyGroup(const QWidget* group, bool on, const QString& except = {})
{
    for (const QWidget* w : group->findChildren<QWidget*>()) {
        const auto* button = qobject_cast<const QAbstractButton*>(w);
        const auto* field = qobject_cast<const QLineEdit*>(w);
        if (w->objectName() == except || w->objectName() == u"renameNote"_s)
            continue;
        QVERIFY2(w->isEnabled() == on, qPrintable(w->objectName()));
        QVERIFY2(on || !((button && button->isChecked()) || (field && !field->text().isEmpty())),
                 qPrintable(w->objectName()));
    }
}

} // namespace

class TestControlPanel : public QObject
{
    Q_OBJECT

    ScriptedUnit unit;
    std::unique_ptr<PanelFixture> f;

private Q_SLOTS:
    void initTestCase()
    {
        unit.SetResponder(HandshakeOnly("K220"));
        f = std::make_unique<PanelFixture>(unit.SlavePath());
        QVERIFY(f->Ready());
    }
    void init() { f->Reset(); }
    void cleanupTestCase() { f.reset(); }

    void controlSendsItsFrame_data()
    {
        QTest::addColumn<QList<QByteArray>>("setup");
        QTest::addColumn<QString>("control");
        QTest::addColumn<int>("answer"); // of the store confirmation, 0 = none
        QTest::addColumn<QList<QByteArray>>("expected");
        auto row = [](const QString& control, const QList<QByteArray>& setup,
                      const QList<QByteArray>& expected, const char* tag = "", int answer = 0) {
            QTest::addRow("%s%s", qPrintable(control), tag)
                << setup << control << answer << expected;
        };
        const QList<QByteArray> main = {MainOn};

        // Controls that send a key, and their codes in the same order.
        const QStringList keyControls =
            Names("mainPower zonePower mainMute speakersA speakersB tapeMonitor toneDefeat "
                  "mainVolumeSpin/up mainVolumeSpin/down recall1 recall2 recall3 recall4 recall5 "
                  "mainSource0 mainSource1 mainSource2 mainSource3 mainSource4 mainSource5 "
                  "mainSource6 mainSource7 mainSource8 mainSource9 zoneMute zoneVolumeSpin/up "
                  "zoneVolumeSpin/down zoneSource0 zoneSource1 zoneSource2 zoneSource3 "
                  "zoneSource4 zoneSource5 zoneSource6 zoneSource7 zoneSource8 zoneSource9");
        const QList<int> keys = {128, 180, 148, 206, 207, 141, 220, 136, 140, 58,  59,  195, 196,
                                 198, 194, 192, 193, 48,  49,  30,  133, 137, 46,  221, 160, 34,
                                 35,  168, 169, 170, 171, 172, 173, 165, 166, 179, 175};
        for (qsizetype i = 0; i < keyControls.size(); ++i)
            row(keyControls[i], {MainOn, ZoneOn}, Keys({keys.value(i)}));
        for (int mode : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 12, 13})
            row(u"surround%1"_s.arg(mode), main, {Bytes({21, 40, mode})});
        row(u"bassSpin/up"_s, main + QList{Report(Variable::Bass, -2)}, {Bytes({21, 33, 0})});
        row(u"bassSpin/down"_s, main + QList{Report(Variable::Bass, 0)}, {Bytes({21, 33, 254})});
        row(u"trebleSpin/up"_s, main + QList{Report(Variable::Treble, 3)}, {Bytes({21, 32, 5})});
        row(u"trebleSpin/down"_s, main + QList{Report(Variable::Treble, -5)},
            {Bytes({21, 32, 249})});
        for (int n = 1; n <= AvPresetCount; ++n) {
            row(u"store%1"_s.arg(n), main, {Bytes({25, n})}, " yes", QMessageBox::Yes);
            row(u"store%1"_s.arg(n), main, {}, " no", QMessageBox::No);
        }

        // Tuner keys: the main room's while main TUNER is selected, else the
        // zone's while zone TUNER is; none while the zone hears it through LOCAL.
        const QList<QByteArray> mainTuner = {MainOn, MainTuner};
        const QList<QByteArray> zoneTuner = {MainOn, ZoneOn, Report(Variable::MainSource, 6),
                                             Report(Variable::ZoneSource, SourceTuner)};
        const QList<QByteArray> localTuner = {MainOn, MainTuner, MainOff, ZoneOn,
                                              Report(Variable::ZoneSource, SourceExternal)};
        const QStringList tunerControls =
            Names("bandAm bandFm seekUp seekDown frequencySpin/up frequencySpin/down "
                  "presetSpin/up presetSpin/down");
        const QList<int> mainTunerKeys = {130, 129, 135, 134, 212, 211, 210, 209};
        const QList<int> zoneTunerKeys = {161, 162, 183, 184, 181, 182, 163, 164};
        for (qsizetype i = 0; i < tunerControls.size(); ++i) {
            row(tunerControls[i], mainTuner, Keys({mainTunerKeys.value(i)}), " main");
            row(tunerControls[i], zoneTuner, Keys({zoneTunerKeys.value(i)}), " zone");
            row(tunerControls[i], localTuner, {}, " local");
        }
        row(u"fmMute"_s, mainTuner, {Bytes({21, 47, 1})}, " unchecked");
        row(u"fmMute"_s, mainTuner + QList{Report(Variable::FmMute, 1)}, {Bytes({21, 47, 0})},
            " checked");
    }

    // Each control sends exactly its message, and no click changes a check
    // mark or a radio selection anywhere in the window.
    void controlSendsItsFrame()
    {
        QFETCH(QList<QByteArray>, setup);
        QFETCH(QString, control);
        QFETCH(int, answer);
        QFETCH(QList<QByteArray>, expected);
        f->Feed(setup);
        f->sent.clear();
        const int boxes = MessageBox::Shown();
        if (answer)
            MessageBox::SetNextAnswer(static_cast<QMessageBox::StandardButton>(answer));
        const QMap<QString, bool> before = CheckStates(*f->panel);

        f->Click(control);

        QCOMPARE(f->sent, expected);
        QCOMPARE(CheckStates(*f->panel), before);
        QCOMPARE(MessageBox::Shown() - boxes, answer ? 1 : 0);
        if (answer)
            QCOMPARE(MessageBox::LastText(), MessageTable::Text(Message::StorePresetConfirm));
    }

    void powerOffClearsTheRoom_data()
    {
        QTest::addColumn<int>("surround");
        QTest::newRow("direct") << 0;
        QTest::newRow("pro logic IIx movie") << 12;
        QTest::newRow("pro logic IIx music") << 13;
    }

    // Switched off by the unit, a room's controls are disabled and emptied;
    // the other room keeps its own.
    void powerOffClearsTheRoom()
    {
        QFETCH(int, surround);
        f->Feed({MainOn, ZoneOn, Report(Variable::MainMute, 1), Report(Variable::SpeakersA, 1),
                 Report(Variable::SpeakersB, 1), Report(Variable::TapeMonitor, 1),
                 Report(Variable::ToneDefeat, 1), Report(Variable::SignalType, 1),
                 Report(Variable::MainVolume, -20), Report(Variable::Bass, 4),
                 Report(Variable::Treble, -2), Report(Variable::MainSource, 3),
                 Report(Variable::SurroundMode, surround), Report(Variable::ZoneMute, 1),
                 Report(Variable::ZoneVolume, -30), Report(Variable::ZoneSource, 1)});
        for (const QString& name : Names("mainMute speakersA speakersB tapeMonitor toneDefeat"))
            QVERIFY2(f->Checked(name), qPrintable(name));
        QVERIFY(f->Checked(u"surround%1"_s.arg(surround)));
        QCOMPARE(f->Text(u"signalType"_s), u"Dolby Digital"_s);
        QCOMPARE(f->Text(u"bass"_s) + f->Text(u"treble"_s), u"4 dB-2 dB"_s);

        // The wait cursor stays until the unit reports.
        f->Click(u"mainPower"_s);
        QVERIFY(f->panel->IsWaiting());
        f->Feed({MainOff});
        QVERIFY(!f->panel->IsWaiting());
        QVERIFY(f->Enabled(u"mainPower"_s) && !f->Checked(u"mainPower"_s));
        VerifyGroup(f->Find(u"mainGroup"_s), false, u"mainPower"_s);
        QVERIFY(f->Checked(u"zoneMute"_s) && f->Checked(u"zoneSource1"_s));

        f->Feed({Report(Variable::ZonePower, 0)});
        VerifyGroup(f->Find(u"zoneGroup"_s), false, u"zonePower"_s);
    }

    void modelShapesTheWindow_data()
    {
        QTest::addColumn<QByteArray>("model");
        QTest::addColumn<int>("volume");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("speakers");
        QTest::addColumn<QString>("menu");
        QTest::newRow("K220 194") << QByteArray("K220") << 194 << u"-oo dB"_s << true << u"&K220"_s;
        QTest::newRow("K230 194") << QByteArray("K230") << 194 << u"-62 dB"_s << true << u"&K230"_s;
        QTest::newRow("K110") << QByteArray("K110") << 181 << u"-oo dB"_s << false << u"&K110"_s;
        QTest::newRow("unsupported")
            << QByteArray("X999") << 181 << u"-oo dB"_s << true << u"Unit"_s;
    }

    // The volume's bottom code, the speaker switches and the unit's menu
    // follow the model; a K220 afterwards shows everything again.
    void modelShapesTheWindow()
    {
        QFETCH(QByteArray, model);
        QFETCH(int, volume);
        QFETCH(QString, text);
        QFETCH(bool, speakers);
        QFETCH(QString, menu);
        f->Feed({Bytes({MessageType::Variable, Variable::Model}) + model, MainOn, ZoneOn,
                 Report(Variable::MainVolume, volume), Report(Variable::ZoneVolume, volume)});
        QCOMPARE(f->Text(u"mainVolume"_s), text);
        QCOMPARE(f->Text(u"zoneVolume"_s), text);
        for (const QByteArray& m : {model, QByteArray("K220")}) {
            const bool k220 = m == "K220";
            f->Feed({Bytes({MessageType::Variable, Variable::Model}) + m});
            QCOMPARE(f->Find<QMenu>(u"unitMenu"_s)->title(), k220 ? u"&K220"_s : menu);
            QCOMPARE(f->Find(u"warning"_s)->isHidden(), k220 || menu != u"Unit"_s);
            QCOMPARE(f->Find(u"speakersA"_s)->isHidden(), !k220 && !speakers);
            QCOMPARE(f->Find(u"speakersB"_s)->isHidden(), !k220 && !speakers);
        }
    }

    void focusReturnsToTheUnitsSelection()
    {
        f->Feed(
            {MainOn, ZoneOn, Report(Variable::MainSource, 2), Report(Variable::SurroundMode, 1)});
        QWidget* window = f->panel.get();
        auto focusAfterReactivation = [&](const QString& focused, const QString& meanwhile,
                                          const QList<QByteArray>& reports) {
            f->Button(focused)->setFocus();
            QEvent deactivate(QEvent::WindowDeactivate);
            QCoreApplication::sendEvent(window, &deactivate);
            f->Button(meanwhile)->setFocus();
            f->Feed(reports);
            QEvent activate(QEvent::WindowActivate);
            QCoreApplication::sendEvent(window, &activate);
            return window->focusWidget()->objectName();
        };
        // The focus follows the unit's new source.
        QCOMPARE(focusAfterReactivation(u"mainSource2"_s, u"recall1"_s,
                                        {Report(Variable::MainSource, 7)}),
                 u"mainSource7"_s);
        // The walk through a group wraps around.
        QCOMPARE(focusAfterReactivation(u"surround12"_s, u"recall1"_s, {}), u"surround1"_s);
        // Not a radio button: it gets the focus back.
        QCOMPARE(focusAfterReactivation(u"toneDefeat"_s, u"recall3"_s, {}), u"toneDefeat"_s);
        // A group without a selection leaves the focus where it is.
        QCOMPARE(focusAfterReactivation(u"zoneSource4"_s, u"recall2"_s, {}), u"recall2"_s);
    }

    void renameByDoubleClick_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("opens");
        QTest::addColumn<std::optional<QString>>("answer");
        QTest::addColumn<QList<QByteArray>>("expected");
        auto row = [](const char* tag, const QString& button, bool opens,
                      std::optional<QString> answer, const QList<QByteArray>& expected) {
            QTest::newRow(tag) << button << opens << answer << expected;
        };
        row("cancel", u"mainSource2"_s, true, std::nullopt, Keys({193}));
        row("empty name", u"mainSource2"_s, true, QString(), Keys({193}));
        row("padded", u"mainSource2"_s, true, u"VCR"_s,
            Keys({193}) << NameFrame(2, "VCR          "));
        row("twenty characters cut", u"mainSource2"_s, true, u"ABCDEFGHIJKLMNOPQRST"_s,
            Keys({193}) << NameFrame(2, "ABCDEFGHIJKLM"));
        row("from the zone", u"zoneSource2"_s, true, u"DECK"_s,
            Keys({170}) << NameFrame(2, "DECK         "));
        row("main tuner", u"mainSource9"_s, false, std::nullopt, Keys({221}));
        row("zone local", u"zoneSource8"_s, false, std::nullopt, Keys({179}));
    }

    // The first click sends the source's key, then the dialog opens on the
    // main button's caption; the caption waits for the unit's report.
    void renameByDoubleClick()
    {
        QFETCH(QString, button);
        QFETCH(bool, opens);
        QFETCH(std::optional<QString>, answer);
        QFETCH(QList<QByteArray>, expected);
        f->Feed({MainOn, ZoneOn});
        f->sent.clear();
        if (opens)
            RenameInputDlg::SetNextAnswer(answer);
        const int dialogs = RenameInputDlg::Shown();
        QAbstractButton* mainButton = f->Button(u"mainSource"_s + button.back());
        const QString caption = mainButton->text();

        // A dialog opened by mistake is closed rather than left blocking.
        QTimer::singleShot(2000, f->panel.get(), [] {
            if (QWidget* modal = QApplication::activeModalWidget())
                modal->close();
        });
        // What a button sees of a double click: a click, the second press, the
        // double click and the second release.
        QWidget* target = f->Button(button);
        const QPoint at = PanelFixture::Near(target);
        QTest::mouseClick(target, Qt::LeftButton, {}, at);
        QTest::mousePress(target, Qt::LeftButton, {}, at);
        QTest::mouseDClick(target, Qt::LeftButton, {}, at);
        QTest::mouseRelease(target, Qt::LeftButton, {}, at);
        Pause(20);

        QCOMPARE(RenameInputDlg::Shown() - dialogs, opens ? 1 : 0);
        QCOMPARE(f->sent, expected);
        if (opens)
            QCOMPARE(RenameInputDlg::LastOldName(), caption);
        QCOMPARE(mainButton->text(), caption);
    }

    // A name sent from here shows at once; the zone's button follows the
    // unit's report.
    void sendInputName()
    {
        f->panel->SendInputName(4, u"ABCDEFGHIJKLMNOP  "_s);
        f->panel->SendInputName(1, u"   "_s);
        f->panel->SendInputName(10, u"X"_s);
        QCOMPARE(f->sent, QList{NameFrame(4, "ABCDEFGHIJKLM")});
        QCOMPARE(f->Button(u"mainSource4"_s)->text(), u"ABCDEFGHIJKLMNOP"_s);
        f->Feed({Bytes({20, 55, 4}) + "ABCDEFGHIJKLM"});
        QCOMPARE(f->Button(u"zoneSource4"_s)->text(), u"ABCDEFGHIJKLM"_s);
    }

    void tunerFollowsWhereItIsHeard_data()
    {
        QTest::addColumn<QList<QByteArray>>("reports");
        QTest::addColumn<bool>("live");
        const QList<QByteArray> rds = {Report(Variable::FmMute, 1),
                                       Bytes({MessageType::PsName}) + "RADIO 1 ",
                                       Bytes({MessageType::RadioText, 0}) + "NEWS"};
        const QByteArray zoneLocal = Report(Variable::ZoneSource, SourceExternal);
        QTest::newRow("main tuner") << QList{MainOn, MainTuner} + rds << true;
        QTest::newRow("zone tuner")
            << QList{ZoneOn, Report(Variable::ZoneSource, SourceTuner)} + rds << true;
        QTest::newRow("zone local, main on tuner but off")
            << QList{MainOn, MainTuner, MainOff, ZoneOn, zoneLocal} + rds << true;
        QTest::newRow("main tuner, then off")
            << QList{MainOn, MainTuner} + rds + QList{MainOff} << false;
    }

    // The unit reports the tuner also while it is not heard. Once heard, the group
    // shows the values known and sends typed ones, through LOCAL too (where its
    // keys have no room to go to); silent, it is disabled and empty.
    void tunerFollowsWhereItIsHeard()
    {
        QFETCH(QList<QByteArray>, reports);
        QFETCH(bool, live);
        f->Feed({Report16(Variable::FmFrequency, 9400), Report(Variable::FmPreset, 5),
                 Report(Variable::TunerBand, Band::Fm)});
        f->Feed(reports);
        VerifyGroup(f->Find(u"tunerGroup"_s), live);
        if (live) {
            QVERIFY(f->Checked(u"bandFm"_s) && f->Checked(u"fmMute"_s));
            QCOMPARE(f->Text(u"frequency"_s), u"94.00 MHz"_s);
            QCOMPARE(f->Text(u"preset"_s), u"5"_s);
            QCOMPARE(f->Text(u"psName"_s) + f->Text(u"radioText"_s), u"RADIO 1 NEWS"_s);
            f->sent.clear();
            f->Type(u"frequency"_s, u"99.9"_s);
            f->Type(u"preset"_s, u"4"_s);
            QCOMPARE(f->sent, (QList{Bytes({21, 45, 9990 & 0xFF, 9990 >> 8}), Bytes({21, 57, 4})}));
        }
    }

    void tunerEntry_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<int>("band");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("commit"); // by Enter, focus loss, or the tuner falling silent
        QTest::addColumn<int>("sent");       // 0: nothing sent
        QTest::addColumn<QString>("after");
        auto row = [](const char* tag, const char* field, int band, const char* typed, int sent,
                      const char* after, const char* commit = "enter") {
            QTest::newRow(tag) << QString::fromLatin1(field) << band << QString::fromLatin1(typed)
                               << QString::fromLatin1(commit) << sent << QString::fromLatin1(after);
        };
        row("fm tenths", "frequency", Band::Fm, "101.7", 10170, "101.7");
        row("fm whole MHz", "frequency", Band::Fm, "101", 10100, "101");
        row("fm thousandths cut", "frequency", Band::Fm, "88.125", 8812, "88.125");
        row("fm letters", "frequency", Band::Fm, "abc", 0, "87.50 MHz");
        row("fm unchanged", "frequency", Band::Fm, "87.5", 0, "87.50 MHz");
        row("fm beyond 16 bits", "frequency", Band::Fm, "700", 0, "87.50 MHz");
        row("am", "frequency", Band::Am, "1000", 1000, "1000");
        row("am on focus loss", "frequency", Band::Am, "1000abc", 1000, "1000abc", "focus");
        row("preset letters refused", "preset", Band::Fm, "a1b2", 12, "12");
        row("preset beyond a byte", "preset", Band::Fm, "300", 0, "--");
        row("am preset", "preset", Band::Am, "3", 3, "3");
        row("silenced before its commit", "frequency", Band::Fm, "95", 0, "", "silence");
    }

    // A refused entry restores the current value, selected for the next try;
    // a sent one counts as current, so Enter again sends nothing. A field the
    // tuner's silence takes the focus from sends nothing.
    void tunerEntry()
    {
        QFETCH(QString, field);
        QFETCH(int, band);
        QFETCH(QString, typed);
        QFETCH(QString, commit);
        QFETCH(int, sent);
        QFETCH(QString, after);
        f->Feed({MainOn, MainTuner, Report16(Variable::FmFrequency, 8750),
                 Report16(Variable::AmFrequency, 530), Report(Variable::FmPreset, 0),
                 Report(Variable::AmPreset, 2), Report(Variable::TunerBand, band)});
        f->sent.clear();
        f->Type(field, typed, commit == u"enter"_s);
        if (commit == u"silence"_s)
            f->Feed({MainOff});
        if (commit != u"enter"_s)
            f->Button(u"editPresets"_s)->setFocus();
        const bool fm = band == Band::Fm;
        const QByteArray frame = field == u"preset"_s
                                     ? Bytes({21, fm ? 57 : 56, sent})
                                     : Bytes({21, fm ? 45 : 44, sent & 0xFF, sent >> 8});
        QCOMPARE(f->sent, sent ? QList{frame} : QList<QByteArray>{});
        QCOMPARE(f->Text(field), after);
        if (!sent)
            QCOMPARE(f->Field(field)->selectedText(), after);
        f->sent.clear();
        QTest::keyClick(f->Field(field), Qt::Key_Return);
        QVERIFY(f->sent.isEmpty());
    }

    void lostUnitShowsNotConnected()
    {
        ScriptedUnit lostUnit;
        lostUnit.SetResponder(HandshakeOnly("K230"));
        PanelFixture lost(lostUnit.SlavePath());
        QVERIFY(lost.Ready());
        lost.Feed({MainOn, MainTuner, ZoneOn, Report(Variable::ZoneMute, 1)});
        lostUnit.Vanish();
        QTRY_COMPARE(lost.panel->ConnectionLine(), u"Not Connected"_s);
        for (const char* group : {"mainGroup", "zoneGroup", "tunerGroup"})
            VerifyGroup(lost.Find(QLatin1String(group)), false);
        QVERIFY(!lost.Enabled(u"saveSettings"_s) && lost.Enabled(u"editPresets"_s));
        QCOMPARE(lost.Find<QMenu>(u"unitMenu"_s)->title(), u"Unit"_s);
        QVERIFY(!lost.Find<QAction>(u"refresh"_s)->isEnabled());
    }
};

QTEST_MAIN(TestControlPanel)
#include "test_control_panel.moc"
