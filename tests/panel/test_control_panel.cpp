#include "common/message_box.h"
#include "common/message_table.h"
#include "panel/report_check_box.h"
#include "panel/report_radio_button.h"
#include "setup/rename_input_dlg.h"
#include "sim_session.h"
#include "simulated_receiver.h"
#include "test_control_panel_fixture.h"
#include "transfer/transfer_presenter.h"
#include "transfer/transfer_progress_dlg.h"

#include <QAccessible>
#include <QApplication>
#include <QMenu>
#include <QSignalSpy>
#include <QTimer>

namespace {

const QByteArray MainOn = Report(Variable::MainPower, 1);
const QByteArray MainOff = Report(Variable::MainPower, 0);
const QByteArray ZoneOn = Report(Variable::ZonePower, 1);
const QByteArray MainTuner = Report(Variable::MainSource, SourceTuner);

// Every check mark and radio selection of the window, by object name.
QMap<QString, bool> CheckStates(const QWidget& window)
{
    QMap<QString, bool> states;
    for (const QAbstractButton* b : window.findChildren<QAbstractButton*>())
        states.insert(b->objectName(), b->isChecked());
    return states;
}

// Every control of a group but `except` and the rename hint is enabled, or
// disabled, unchecked and empty.
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

    static QByteArray Key(int code) { return Bytes({MessageType::Key, code}); }
    static QByteArray NameFrame(int input, const char* name13)
    {
        return Bytes({MessageType::Set, Variable::InputName, input}) + QByteArray(name13);
    }

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
        QTest::addColumn<int>("answer"); // to the store question, 0 = none asked
        QTest::addColumn<QList<QByteArray>>("expected");
        auto row = [](const QString& control, const QList<QByteArray>& setup,
                      const QList<QByteArray>& expected, const char* tag = "", int answer = 0) {
            QTest::addRow("%s%s", qPrintable(control), tag)
                << setup << control << answer << expected;
        };
        // Controls that send a key, with its code.
        for (const QString& c :
             Names("mainPower=128 zonePower=180 mainMute=148 speakersA=206 speakersB=207 "
                   "tapeMonitor=141 toneDefeat=220 mainVolumeSpin/up=136 mainVolumeSpin/down=140 "
                   "recall1=58 recall2=59 recall3=195 recall4=196 recall5=198 mainSource0=194 "
                   "mainSource1=192 mainSource2=193 mainSource3=48 mainSource4=49 mainSource5=30 "
                   "mainSource6=133 mainSource7=137 mainSource8=46 mainSource9=221 zoneMute=160 "
                   "zoneVolumeSpin/up=34 zoneVolumeSpin/down=35 zoneSource0=168 zoneSource1=169 "
                   "zoneSource2=170 zoneSource3=171 zoneSource4=172 zoneSource5=173 "
                   "zoneSource6=165 zoneSource7=166 zoneSource8=179 zoneSource9=175"))
            row(c.section(u'=', 0, 0), {MainOn, ZoneOn}, {Key(c.section(u'=', 1).toInt())});
        for (int mode : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 12, 13})
            row(u"surround%1"_s.arg(mode), {MainOn}, {Bytes({21, 40, mode})});
        row(u"bassSpin/up"_s, {MainOn, Report(Variable::Bass, -2)}, {Bytes({21, 33, 0})});
        row(u"bassSpin/down"_s, {MainOn, Report(Variable::Bass, 0)}, {Bytes({21, 33, 254})});
        row(u"trebleSpin/up"_s, {MainOn, Report(Variable::Treble, 3)}, {Bytes({21, 32, 5})});
        for (int n = 1; n <= AvPresetCount; ++n)
            row(u"store%1"_s.arg(n), {MainOn}, {Bytes({25, n})}, " yes", QMessageBox::Yes);
        row(u"store3"_s, {MainOn}, {}, " no", QMessageBox::No);
        // The tuner's keys with the main room on TUNER (which room gets them
        // is the commands' business).
        const QList<QByteArray> mainTuner = {MainOn, MainTuner};
        for (const QString& c : Names("bandAm=130 bandFm=129 seekUp=135 seekDown=134 "
                                      "frequencySpin/up=212 frequencySpin/down=211 "
                                      "presetSpin/up=210 presetSpin/down=209"))
            row(c.section(u'=', 0, 0), mainTuner, {Key(c.section(u'=', 1).toInt())});
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
        f->Feed(setup);
        const int boxes = MessageBox::Shown();
        if (answer)
            MessageBox::SetNextAnswer(static_cast<QMessageBox::StandardButton>(answer));
        const QMap<QString, bool> before = CheckStates(*f->panel);
        f->Click(control);
        QTEST(f->sent, "expected");
        QCOMPARE(CheckStates(*f->panel), before);
        QCOMPARE(MessageBox::Shown() - boxes, answer ? 1 : 0);
        if (answer)
            QCOMPARE(MessageBox::LastText(), MessageTable::Text(Message::StorePresetConfirm));
    }

    // Switched off by the unit, a room's controls are disabled and emptied;
    // the other room keeps its own.
    void powerOffClearsTheRoom()
    {
        f->Feed({MainOn, ZoneOn, Report(Variable::MainMute, 1), Report(Variable::SpeakersA, 1),
                 Report(Variable::SpeakersB, 1), Report(Variable::TapeMonitor, 1),
                 Report(Variable::ToneDefeat, 1), Report(Variable::SignalType, 1),
                 Report(Variable::MainVolume, -20), Report(Variable::Bass, 4),
                 Report(Variable::Treble, -2), Report(Variable::MainSource, 3),
                 Report(Variable::SurroundMode, 12), Report(Variable::ZoneMute, 1),
                 Report(Variable::ZoneVolume, -30), Report(Variable::ZoneSource, 1)});
        for (const QString& name :
             Names("mainMute speakersA speakersB tapeMonitor toneDefeat surround12"))
            QVERIFY2(f->Checked(name), qPrintable(name));
        QCOMPARE(f->Text(u"signalType"_s), u"Dolby Digital"_s);
        QCOMPARE(f->Text(u"bass"_s) + f->Text(u"treble"_s), u"4 dB-2 dB"_s);
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
        QTest::addColumn<int>("volume");    // the row's tag is the model
        QTest::addColumn<QString>("shape"); // both volumes, the unit's menu, what else shows
        QTest::newRow("K220") << 194 << u"-oo dB -oo dB &K220 setup speakersA speakersB"_s;
        QTest::newRow("K230") << 194 << u"-62 dB -62 dB &K230 setup speakersA speakersB"_s;
        QTest::newRow("K110") << 181 << u"-oo dB -oo dB &K110 setup"_s;
        QTest::newRow("X999") << 181 << u"-oo dB -oo dB Unit warning speakersA speakersB"_s;
    }

    // The volume's bottom code, the speaker switches and the unit's menu
    // with its six setup entries follow the model; a K220 afterwards shows
    // everything again.
    void modelShapesTheWindow()
    {
        QFETCH(int, volume);
        const auto shape = [&](const QByteArray& model) {
            f->Feed({Bytes({MessageType::Variable, Variable::Model}) + model, MainOn, ZoneOn,
                     Report(Variable::MainVolume, volume), Report(Variable::ZoneVolume, volume)});
            QStringList out{f->Text(u"mainVolume"_s), f->Text(u"zoneVolume"_s),
                            f->Find<QMenu>(u"unitMenu"_s)->title(), u"setup"_s};
            for (const QString& n :
                 Names("currentSetup avSetup1 avSetup2 avSetup3 avSetup4 avSetup5"))
                out.removeAll(f->Find<QAction>(n)->isEnabled() ? QString() : u"setup"_s);
            for (const QString& name : Names("warning speakersA speakersB"))
                out << (f->Find(name)->isHidden() ? QString() : name);
            return out.join(u' ').simplified();
        };
        QTEST(shape(QTest::currentDataTag()), "shape");
        QCOMPARE(shape("K220").section(u' ', 4), u"&K220 setup speakersA speakersB"_s);
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
        row("cancel", u"mainSource2"_s, true, std::nullopt, {Key(193)});
        row("empty name", u"mainSource2"_s, true, QString(), {Key(193)});
        row("padded", u"mainSource2"_s, true, u"VCR"_s, {Key(193), NameFrame(2, "VCR          ")});
        row("zone", u"zoneSource2"_s, true, u"DECK"_s, {Key(170), NameFrame(2, "DECK         ")});
        row("main tuner", u"mainSource9"_s, false, std::nullopt, {Key(221)});
        row("zone local", u"zoneSource8"_s, false, std::nullopt, {Key(179)});
    }

    // The first click sends the source's key, then the dialog opens on the
    // main button's caption; the caption waits for the unit's report.
    void renameByDoubleClick()
    {
        QFETCH(QString, button);
        QFETCH(bool, opens);
        QFETCH(std::optional<QString>, answer);
        f->Feed({MainOn, ZoneOn});
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
        // Through the window, which makes the whole sequence of a double click.
        QWidget* target = f->Button(button);
        QTest::mouseDClick(f->panel->windowHandle(), Qt::LeftButton, {},
                           target->mapTo(f->panel.get(), PanelFixture::Near(target)));
        QCoreApplication::processEvents(); // the dialog opens from a queued call
        QCOMPARE(RenameInputDlg::Shown() - dialogs, opens ? 1 : 0);
        QTEST(f->sent, "expected");
        if (opens)
            QCOMPARE(RenameInputDlg::LastOldName(), caption);
        QCOMPARE(mainButton->text(), caption);
    }

    // Once heard (where, is the live status's business), the tuner's group
    // shows the values reported meanwhile and sends typed ones; silent, it
    // is disabled and empty.
    void tunerFollowsWhereItIsHeard()
    {
        f->Feed({Report16(Variable::FmFrequency, 9400), Report(Variable::FmPreset, 5),
                 Report(Variable::TunerBand, Band::Fm), MainOn, MainTuner,
                 Report(Variable::FmMute, 1), Bytes({MessageType::PsName}) + "RADIO 1 ",
                 Bytes({MessageType::RadioText, 0}) + "NEWS"});
        VerifyGroup(f->Find(u"tunerGroup"_s), true);
        QVERIFY(f->Checked(u"bandFm"_s) && f->Checked(u"fmMute"_s));
        QCOMPARE(f->Text(u"frequency"_s) + f->Text(u"preset"_s), u"94.00 MHz5"_s);
        QCOMPARE(f->Text(u"psName"_s) + f->Text(u"radioText"_s), u"RADIO 1 NEWS"_s);
        f->Type(u"frequency"_s, u"99.9"_s);
        f->Type(u"preset"_s, u"4"_s);
        QCOMPARE(f->sent, (QList{Bytes({21, 45, 9990 & 0xFF, 9990 >> 8}), Bytes({21, 57, 4})}));
        f->Feed({MainOff});
        VerifyGroup(f->Find(u"tunerGroup"_s), false);
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
        row("fm thousandths cut", "frequency", Band::Fm, "88.125", 8812, "88.125");
        row("fm letters", "frequency", Band::Fm, "abc", 0, "87.50 MHz");
        row("fm beyond 16 bits", "frequency", Band::Fm, "700", 0, "87.50 MHz");
        row("am on focus loss", "frequency", Band::Am, "1000abc", 1000, "1000abc", "focus");
        row("preset letters refused", "preset", Band::Fm, "a1b2", 12, "12");
        row("preset beyond a byte", "preset", Band::Fm, "300", 0, "--");
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

    // The report-driven buttons as assistive technology sees them; each
    // way of operating one (the accessible press and toggle, the mouse,
    // Space) clicks it once, not at all while disabled, and leaves the mark
    // as it was: only setChecked(), on the unit's report, moves it.
    void inputOnlyClicks()
    {
        ReportCheckBox box(u"&Mute"_s);
        ReportRadioButton radio(u"R&&B"_s);
        for (QAbstractButton* button : std::initializer_list<QAbstractButton*>{&box, &radio}) {
            button->resize(120, 30);
            button->show();
            QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(button);
            QVERIFY(iface && iface->state().checkable);
            QCOMPARE(iface->role(),
                     button == &box ? QAccessible::CheckBox : QAccessible::RadioButton);
            QCOMPARE(iface->text(QAccessible::Name), button == &box ? u"Mute"_s : u"R&B"_s);
            QSignalSpy clicked(button, &QAbstractButton::clicked);
            for (const QString& input : {QAccessibleActionInterface::pressAction(),
                                         QAccessibleActionInterface::toggleAction(), u"mouse"_s,
                                         u"space"_s, u"disabled"_s}) {
                button->setEnabled(input != u"disabled"_s);
                for (bool checked : {false, true}) {
                    button->setChecked(checked);
                    QCOMPARE(bool(iface->state().checked), checked);
                    if (input == u"mouse"_s)
                        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(10, 15));
                    else if (input == u"space"_s)
                        QTest::keyClick(button, Qt::Key_Space);
                    else
                        iface->actionInterface()->doAction(
                            input == u"disabled"_s ? QAccessibleActionInterface::toggleAction()
                                                   : input);
                    QVERIFY2(button->isChecked() == checked, qPrintable(input));
                }
            }
            QCOMPARE(clicked.count(), 8); // twice by each input while enabled
        }
    }

    // Against the simulated receiver: the window follows what the unit
    // reports; a read the unit leaves hanging disables it until Escape; a
    // unit lost in the middle of a transfer (its adapter pulled out) already
    // shows "Not Connected" behind the alert.
    void againstTheSimulator()
    {
        auto sim = std::make_unique<SimulatedReceiver>(UnpacedUnit(u"K230"_s, u"v2.05"_s));
        QVERIFY(sim->Start());
        PanelFixture s(sim->SlavePath());
        QVERIFY(s.Ready());
        QCOMPARE(s.panel->ConnectionLine(), u"Connected to K230 v2.05 on "_s + sim->SlavePath());
        s.Click(u"mainPower"_s);
        WAIT_UNTIL(s.Checked(u"mainSource%1"_s.arg(sim->Unit().Value(Variable::MainSource))));

        ControlPanelDlg* panel = s.panel.get();
        TransferProgressDlg* progress = &panel->findChild<TransferPresenter*>()->Dialog();
        sim->SetSilent(true);
        s.sent.clear();
        QVERIFY(panel->Session().Transfer().ReadTunerPresets());
        WAIT_UNTIL(!s.sent.isEmpty()); // asked, and no answer comes
        QVERIFY(progress->IsShown() && !panel->isEnabled());
        QTest::keyClick(progress, Qt::Key_Escape);
        QVERIFY(panel->isEnabled());
        WAIT_UNTIL(!panel->Session().Transfer().IsBusy());
        QVERIFY(s.Enabled(u"saveSettings"_s) && s.Enabled(u"loadSettings"_s));

        QString behind;
        MessageBox::SetShowHook([&](const QString&) { behind = panel->ConnectionLine(); });
        MessageBox::SetUnqueuedAnswer(QMessageBox::Ok);
        s.sent.clear();
        QVERIFY(panel->Session().Transfer().ReadTunerPresets());
        WAIT_UNTIL(!s.sent.isEmpty());
        sim.reset();
        WAIT_UNTIL(!behind.isEmpty());
        MessageBox::SetShowHook({});
        QCOMPARE(behind, u"Not Connected"_s);
    }

    // Last: it loses the unit.
    void lostUnitShowsNotConnected()
    {
        f->Feed({MainOn, MainTuner, ZoneOn, Report(Variable::ZoneMute, 1)});
        unit.Vanish();
        WAIT_UNTIL(f->panel->ConnectionLine() == u"Not Connected"_s);
        for (const char* group : {"mainGroup", "zoneGroup", "tunerGroup"})
            VerifyGroup(f->Find(QLatin1String(group)), false);
        QVERIFY(!f->Enabled(u"saveSettings"_s) && f->Enabled(u"editPresets"_s));
        QCOMPARE(f->Find<QMenu>(u"unitMenu"_s)->title(), u"Unit"_s);
        for (const QString& entry : Names("refresh currentSetup avSetup5"))
            QVERIFY2(!f->Find<QAction>(entry)->isEnabled(), qPrintable(entry));
    }
};

QTEST_MAIN(TestControlPanel)
#include "test_control_panel.moc"
