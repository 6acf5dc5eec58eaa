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

class TestTransferProgress : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The window, hooked up as the control panel does it, shows the engine's
    // text and percent (clipped to 0..100) and stays usable while the panel
    // is disabled. Cancel gives the panel back at once (Escape and the whole
    // window are the panel's own test); the abort follows when the posted
    // request is handled. A message comes as a message box once the views
    // have heard what ended the transfer. The engine's link is closed:
    // requests go nowhere, which suits a transfer only started and cancelled.
    void followsTheEngine()
    {
        UnitLink link;
        ModelFacts facts{u"K230"_s, u"v2.05"_s, 67};
        MemoryTransfer transfer(link, facts);
        QWidget panel;
        panel.show();
        TransferProgressDlg& dlg = (new TransferPresenter(transfer, &panel))->Dialog();
        auto* bar = dlg.findChild<QProgressBar*>(u"progressBar"_s);
        QSignalSpy finished(&transfer, &MemoryTransfer::transferFinished);
        QVERIFY(transfer.ReadCurrentSetup());
        QVERIFY(!panel.isEnabled() && dlg.IsShown() && dlg.isEnabled());
        Q_EMIT transfer.progressTextChanged(u"Transferring to EEPROM. (1/2 bytes)"_s);
        QCOMPARE(dlg.findChild<QLabel*>(u"progressText"_s)->text(),
                 u"Transferring to EEPROM. (1/2 bytes)"_s);
        for (const auto& [percent, shown] : {std::pair{42, 42}, {135, 100}, {-20, 0}}) {
            Q_EMIT transfer.progressChanged(percent);
            QCOMPARE(bar->value(), shown);
        }
        QTest::mouseClick(dlg.findChild<QPushButton*>(u"cancelButton"_s), Qt::LeftButton);
        QVERIFY(panel.isEnabled() && !dlg.IsShown() && finished.isEmpty());
        QTRY_COMPARE(finished.size(), 1);
        QCOMPARE(finished.first().first().value<MemoryTransfer::Outcome>(),
                 MemoryTransfer::Outcome::Aborted);

        const int shown = MessageBox::Shown();
        MessageBox::SetNextAnswer(QMessageBox::Ok);
        Q_EMIT transfer.transferFailed(Message::SizeMismatch, u"mismatch"_s);
        QCOMPARE(MessageBox::Shown(), shown);
        QTRY_COMPARE(MessageBox::LastText(), u"mismatch"_s);
        QCOMPARE(MessageBox::Shown(), shown + 1);
    }
};

QTEST_MAIN(TestTransferProgress)
#include "test_transfer_progress.moc"
