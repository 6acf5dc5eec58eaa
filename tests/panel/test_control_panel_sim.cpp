#include "common/message_box.h"
#include "setup/setup_sheet.h"
#include "simulated_receiver.h"
#include "test_control_panel_fixture.h"
#include "transfer/transfer_presenter.h"
#include "transfer/transfer_progress_dlg.h"

#include <QAction>

// The control panel against the simulated receiver over a pseudo-terminal: the
// panel changes only through what the unit reports back.
class TestControlPanelSim : public QObject
{
    Q_OBJECT

    std::unique_ptr<SimulatedReceiver> sim;
    std::unique_ptr<PanelFixture> f;

private Q_SLOTS:
    void initTestCase()
    {
        SimOptions options;
        options.model = u"K230"_s;
        options.lineRate = 0;
        sim = std::make_unique<SimulatedReceiver>(options);
        QString error;
        QVERIFY2(sim->Start(&error), qPrintable(error));
        f = std::make_unique<PanelFixture>(sim->SlavePath());
        QVERIFY(f->Ready());
    }

    void cleanupTestCase() { f.reset(); } // the panel goes before the unit

    void panelFollowsTheUnit()
    {
        QCOMPARE(f->panel->ConnectionLine(), u"Connected to K230 v2.05 on "_s + sim->SlavePath());
        f->Click(u"mainPower"_s);
        WAIT_UNTIL(f->Checked(u"mainPower"_s));
        WAIT_UNTIL(f->Checked(u"mainSource%1"_s.arg(sim->Unit().Value(Variable::MainSource))));
        // The unit names input 8, but in the zone it stays LOCAL.
        QCOMPARE(f->Button(u"zoneSource8"_s)->text(), u"LOCAL"_s);
        f->Click(u"surround12"_s);
        WAIT_UNTIL(f->Checked(u"surround12"_s));
        f->Click(u"mainSource9"_s);
        WAIT_UNTIL(f->Enabled(u"bandFm"_s));
        f->Click(u"bandFm"_s);
        WAIT_UNTIL(f->Checked(u"bandFm"_s));
        f->Type(u"frequency"_s, u"101.7"_s);
        WAIT_UNTIL(f->Text(u"frequency"_s) == u"101.70 MHz"_s);
    }

    // A memory transfer disables the window and shows its progress; Cancel
    // gives the window back with Save and Load enabled.
    void transfersTakeOverTheWindow()
    {
        ControlPanelDlg* panel = f->panel.get();
        bool sheetShown = false; // the read ends in the Receiver Setup sheet
        SetupSheet::SetNextAnswer([&](SetupSheet&) { return !(sheetShown = true); });
        panel->findChild<QAction*>(u"currentSetup"_s)->trigger();
        TransferProgressDlg* progress = &panel->findChild<TransferPresenter*>()->Dialog();
        QVERIFY(progress->IsShown());
        QVERIFY(!panel->isEnabled());
        WAIT_UNTIL(panel->isEnabled());
        QVERIFY(!progress->IsShown());
        WAIT_UNTIL(sheetShown);

        // A unit that stops answering leaves the read hanging until Cancel.
        sim->SetSilent(true);
        f->sent.clear();
        QVERIFY(panel->Session().Transfer().ReadTunerPresets());
        WAIT_UNTIL(!f->sent.isEmpty()); // asked, and no answer comes
        QVERIFY(progress->IsShown());
        QTest::keyClick(progress, Qt::Key_Escape);
        QVERIFY(panel->isEnabled());
        WAIT_UNTIL(!panel->Session().Transfer().IsBusy());
        QVERIFY(f->Enabled(u"saveSettings"_s) && f->Enabled(u"loadSettings"_s));
    }

    // A unit lost in the middle of a transfer (its adapter pulled out): the
    // window behind the alert already says "Not Connected".
    void lossShowsBehindItsAlert()
    {
        ControlPanelDlg* panel = f->panel.get();
        sim->SetSilent(false);
        WAIT_UNTIL(!panel->Session().Transfer().IsBusy());
        QString behind;
        MessageBox::SetShowHook([&](const QString&) { behind = panel->ConnectionLine(); });
        MessageBox::SetUnqueuedAnswer(QMessageBox::Ok);
        sim->SetSilent(true); // the read waits for the unit, which then goes
        f->sent.clear();
        QVERIFY(panel->Session().Transfer().ReadTunerPresets());
        WAIT_UNTIL(!f->sent.isEmpty());
        sim.reset();
        WAIT_UNTIL(!behind.isEmpty());
        MessageBox::SetShowHook({});
        QCOMPARE(behind, u"Not Connected"_s);
    }
};

QTEST_MAIN(TestControlPanelSim)
#include "test_control_panel_sim.moc"
