#include "model/tuner_preset_list.h"
#include "panel/control_panel_dlg.h"
#include "panel/spin_arrows.h"
#include "setup/rename_input_dlg.h"
#include "simulated_receiver.h"
#include "transfer/transfer_presenter.h"
#include "transfer/transfer_progress_dlg.h"

#include <QAbstractButton>
#include <QDeadlineTimer>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <QToolButton>

#include <algorithm>
#include <memory>

using namespace Qt::StringLiterals;

// The control panel against the simulated receiver in this process: every
// command goes over a pseudo-terminal to the simulated unit, and the panel
// changes only through what the unit reports back.
class TestControlPanelSim : public QObject
{
    Q_OBJECT

    std::unique_ptr<SimulatedReceiver> sim;
    std::unique_ptr<ControlPanelDlg> panel;

    template <typename T = QWidget> T* Find(const QString& name) const
    {
        return panel->findChild<T*>(name);
    }
    QString Text(const QString& name) const { return Find<QLineEdit>(name)->text(); }
    bool Checked(const QString& name) const { return Find<QAbstractButton>(name)->isChecked(); }
    int Value(std::uint8_t variable) const { return sim->Unit().Value(variable); }

    void Click(const QString& name) const
    {
        auto* button = Find<QAbstractButton>(name);
        QVERIFY2(button && button->isEnabled(), qPrintable(name));
        QTest::mouseClick(button, Qt::LeftButton, {},
                          {std::min(8, button->width() / 2), button->height() / 2});
    }
    void Step(const QString& spin, bool up) const
    {
        auto* arrows = Find<SpinArrows>(spin);
        QTest::mouseClick(up ? arrows->UpArrow() : arrows->DownArrow(), Qt::LeftButton);
    }
    void Type(const QString& field, const QString& text) const
    {
        auto* edit = Find<QLineEdit>(field);
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, text);
        QTest::keyClick(edit, Qt::Key_Return);
    }

private Q_SLOTS:
    void initTestCase()
    {
        SimOptions options;
        options.model = u"K230"_s;
        options.lineRate = 0;
        options.rdsPeriodMs = 100;
        sim = std::make_unique<SimulatedReceiver>(options);
        QString error;
        QVERIFY2(sim->Start(&error), qPrintable(error));

        Options settings;
        settings.port = sim->SlavePath();
        panel = std::make_unique<ControlPanelDlg>(settings, false);
        UnitSession::Timing timing;
        timing.connectPeriod = 100;
        timing.refreshPause = 10;
        timing.port.readInterval = 20;
        timing.port.readTotal = 60000;
        timing.port.writeTotal = 500;
        timing.transfer.retry = 200;
        panel->Session().SetTiming(timing);
        panel->Initialise();
        const LiveStatus& status = panel->Session().Status();
        QDeadlineTimer deadline(10000);
        while (!(status.facts.blockSize > 0 && !status.inputNames[InputCount - 1].isEmpty()) &&
               !deadline.hasExpired())
            QTest::qWait(20);
        QVERIFY(status.facts.blockSize > 0);
    }

    void cleanupTestCase()
    {
        panel.reset();
        sim.reset();
    }

    void showsTheUnit()
    {
        QCOMPARE(panel->ConnectionLine(), u"Connected to K230 v2.05 on "_s + sim->SlavePath());
        QCOMPARE(Find<QMenu>(u"unitMenu"_s)->title(), u"&K230"_s);
        QCOMPARE(Find<QAbstractButton>(u"mainSource8"_s)->text(), u"EXTERNAL 7.1"_s);
        QVERIFY(!Checked(u"mainPower"_s));
        QVERIFY(Find(u"mainPower"_s)->isEnabled());
        QVERIFY(!Find(u"mainMute"_s)->isEnabled());
    }

    void mainRoomFollowsTheUnit()
    {
        Click(u"mainPower"_s);
        QVERIFY(panel->IsWaiting());
        QTRY_VERIFY(Checked(u"mainPower"_s));
        QVERIFY(!panel->IsWaiting());
        QTRY_VERIFY(Checked(u"surround3"_s));
        QTRY_COMPARE(Checked(u"speakersA"_s), Value(Variable::SpeakersA) != 0);
        QVERIFY(Checked(u"mainSource%1"_s.arg(Value(Variable::MainSource))));

        Click(u"mainMute"_s);
        QTRY_VERIFY(Checked(u"mainMute"_s));
        Click(u"mainMute"_s);
        QTRY_VERIFY(!Checked(u"mainMute"_s));

        const int volume = Value(Variable::MainVolume);
        Step(u"mainVolumeSpin"_s, true);
        QTRY_COMPARE(Value(Variable::MainVolume), volume + 1);
        QTRY_COMPARE(Text(u"mainVolume"_s), u"%1 dB"_s.arg(volume + 1));

        const int bass = Value(Variable::Bass);
        Step(u"bassSpin"_s, false);
        QTRY_COMPARE(Text(u"bass"_s), u"%1 dB"_s.arg(bass - 2));

        Click(u"surround12"_s);
        QTRY_VERIFY(Checked(u"surround12"_s));
        QVERIFY(!Checked(u"surround3"_s));
        Click(u"mainSource6"_s);
        QTRY_VERIFY(Checked(u"mainSource6"_s));
        QCOMPARE(Text(u"signalType"_s), u"Digital PCM"_s);
    }

    void tunerFollowsTheUnit()
    {
        Click(u"mainSource9"_s);
        QTRY_VERIFY(Find(u"bandFm"_s)->isEnabled());
        Click(u"bandFm"_s);
        QTRY_VERIFY(Checked(u"bandFm"_s));
        QTRY_COMPARE(Text(u"frequency"_s),
                     TunerPresetList::FmFrequencyText(Value(Variable::FmFrequency)));
        QTRY_VERIFY(!Text(u"psName"_s).isEmpty());

        Type(u"frequency"_s, u"101.7"_s);
        QTRY_COMPARE(Text(u"frequency"_s), u"101.70 MHz"_s);
        QCOMPARE(Value(Variable::FmFrequency), 10170);

        const int before = Value(Variable::FmFrequency);
        Step(u"frequencySpin"_s, true);
        QTRY_VERIFY(Value(Variable::FmFrequency) > before);
        QTRY_COMPARE(Text(u"frequency"_s),
                     TunerPresetList::FmFrequencyText(Value(Variable::FmFrequency)));

        // A preset recalled: the unit reports the preset's frequency.
        QCOMPARE(Text(u"preset"_s), u"--"_s);
        Type(u"preset"_s, u"1"_s);
        QTRY_COMPARE(Value(Variable::FmPreset), 1);
        QTRY_COMPARE(Text(u"frequency"_s),
                     TunerPresetList::FmFrequencyText(Value(Variable::FmFrequency)));
        QCOMPARE(Text(u"preset"_s), u"1"_s);
    }

    // The zone on LOCAL hears the main room's tuner even with the main room
    // off; its keys then have nowhere to go.
    void zoneHearsTheTunerThroughLocal()
    {
        Click(u"zonePower"_s);
        QTRY_VERIFY(Checked(u"zonePower"_s));
        QTRY_VERIFY(Checked(u"zoneSource8"_s));
        Click(u"mainPower"_s);
        QTRY_VERIFY(!Checked(u"mainPower"_s));
        QVERIFY(Find(u"bandFm"_s)->isEnabled());
        const int frequency = Value(Variable::FmFrequency);
        Click(u"seekUp"_s);
        QTest::qWait(100);
        QCOMPARE(Value(Variable::FmFrequency), frequency);
        Click(u"zonePower"_s);
        QTRY_VERIFY(!Find(u"bandFm"_s)->isEnabled());
        QVERIFY(Text(u"frequency"_s).isEmpty());
    }

    void renameGoesThroughTheUnit()
    {
        Click(u"mainPower"_s);
        QTRY_VERIFY(Checked(u"mainPower"_s));
        auto* button = Find<QAbstractButton>(u"mainSource2"_s);
        RenameInputDlg::SetNextAnswer(u"TAPE DECK"_s);
        const QPoint at(std::min(8, button->width() / 2), button->height() / 2);
        QTest::mouseClick(button, Qt::LeftButton, {}, at);
        QTest::mouseDClick(button, Qt::LeftButton, {}, at);
        QTRY_COMPARE(sim->Unit().InputName(2).trimmed(), QByteArray("TAPE DECK"));
        QTRY_COMPARE(button->text().trimmed(), u"TAPE DECK"_s);
        QCOMPARE(Find<QAbstractButton>(u"zoneSource2"_s)->text().trimmed(), u"TAPE DECK"_s);
        QTRY_VERIFY(Checked(u"mainSource2"_s));
    }

    // A memory transfer disables the window and shows its progress; Cancel
    // gives the window back with Save and Load enabled.
    void transfersTakeOverTheWindow()
    {
        auto* save = Find<QAbstractButton>(u"saveSettings"_s);
        QVERIFY(panel->Session().Transfer().ReadCurrentSetup());
        auto* presenter = panel->findChild<TransferPresenter*>();
        QVERIFY(presenter);
        TransferProgressDlg* progress = &presenter->Dialog();
        QVERIFY(progress->IsShown());
        QVERIFY(!panel->isEnabled());
        QTRY_VERIFY(panel->isEnabled());
        QVERIFY(!progress->IsShown());
        QCOMPARE(panel->Session().Transfer().Image().BlockBytes(), sim->LiveSetup());

        // A unit that stops answering leaves the read hanging until Cancel.
        sim->SetSilent(true);
        QVERIFY(panel->Session().Transfer().ReadTunerPresets());
        QTest::qWait(100);
        QVERIFY(progress->IsShown());
        QTest::keyClick(progress, Qt::Key_Escape);
        QVERIFY(panel->isEnabled());
        QTRY_VERIFY(!panel->Session().Transfer().IsBusy());
        QVERIFY(save->isEnabled());
        sim->SetSilent(false);
    }
};

QTEST_MAIN(TestControlPanelSim)
#include "test_control_panel_sim.moc"
