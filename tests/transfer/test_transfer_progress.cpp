#include "common/message_box.h"
#include "common/message_table.h"
#include "link/unit_link.h"
#include "model/model_facts.h"
#include "transfer/memory_transfer.h"
#include "transfer/transfer_presenter.h"
#include "transfer/transfer_progress_dlg.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QWidget>

using namespace Qt::Literals::StringLiterals;

namespace {

// A panel with the presenter hooked up as the control panel does it, and an
// engine whose link is closed: requests go nowhere, which suits a transfer
// that is only started and cancelled.
struct PanelRig
{
    PanelRig() : transfer(link, facts)
    {
        facts = {u"K230"_s, u"v2.05"_s, 67};
        panel.show();
    }
    int Bar() const { return dlg.findChild<QProgressBar*>(u"progressBar"_s)->value(); }
    QString Line() const { return dlg.findChild<QLabel*>(u"progressText"_s)->text(); }

    UnitLink link;
    ModelFacts facts;
    MemoryTransfer transfer;
    QWidget panel;
    TransferProgressDlg& dlg = (new TransferPresenter(transfer, &panel))->Dialog();
};

} // namespace

class TestTransferProgress : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The window shows the engine's text and percent (clipped to 0..100) and
    // stays usable while the panel is disabled. Cancel gives the panel back
    // at once (Escape and the whole window are the panel's own test); the
    // abort follows when the posted request is handled. A message comes as
    // a message box once the views have heard what ended the transfer.
    void followsTheEngine()
    {
        PanelRig rig;
        QSignalSpy finished(&rig.transfer, &MemoryTransfer::transferFinished);
        QVERIFY(rig.transfer.ReadCurrentSetup());
        QVERIFY(!rig.panel.isEnabled() && rig.dlg.IsShown() && rig.dlg.isEnabled());
        QCOMPARE(rig.Line(), MessageTable::Text(Message::ReadingCurrentSetup).arg(u"K230"_s));
        Q_EMIT rig.transfer.progressTextChanged(u"Transferring to EEPROM. (1/2 bytes)"_s);
        QCOMPARE(rig.Line(), u"Transferring to EEPROM. (1/2 bytes)"_s);
        Q_EMIT rig.transfer.progressChanged(42);
        QCOMPARE(rig.Bar(), 42);
        rig.dlg.SetPosition(135);
        QCOMPARE(rig.Bar(), 100);
        rig.dlg.SetPosition(-20);
        QCOMPARE(rig.Bar(), 0);
        QTest::mouseClick(rig.dlg.findChild<QPushButton*>(u"cancelButton"_s), Qt::LeftButton);
        QVERIFY(rig.panel.isEnabled() && !rig.dlg.IsShown() && finished.isEmpty());
        QTRY_COMPARE(finished.size(), 1);
        QCOMPARE(finished.first().first().value<MemoryTransfer::Outcome>(),
                 MemoryTransfer::Outcome::Aborted);

        const int shown = MessageBox::Shown();
        MessageBox::SetNextAnswer(QMessageBox::Ok);
        Q_EMIT rig.transfer.transferFailed(Message::SizeMismatch, u"mismatch"_s);
        QCOMPARE(MessageBox::Shown(), shown);
        QTRY_COMPARE(MessageBox::LastText(), u"mismatch"_s);
        QCOMPARE(MessageBox::Shown(), shown + 1);
    }
};

QTEST_MAIN(TestTransferProgress)
#include "test_transfer_progress.moc"
