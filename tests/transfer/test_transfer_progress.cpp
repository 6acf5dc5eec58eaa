#include "desktop/message_box.h"
#include "desktop/message_table.h"
#include "link/unit_link.h"
#include "model/live_status.h"
#include "transfer/memory_transfer.h"
#include "transfer/transfer_presenter.h"
#include "transfer/transfer_progress_dlg.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QWidget>

namespace {

QProgressBar* Bar(TransferProgressDlg& dlg)
{
    return dlg.findChild<QProgressBar*>(QStringLiteral("progressBar"));
}

QString Line(TransferProgressDlg& dlg)
{
    return dlg.findChild<QLabel*>(QStringLiteral("progressText"))->text();
}

// A panel with the presenter hooked up as the control panel would, and an
// engine whose link is closed (requests go nowhere, which suits a transfer
// that is only started and cancelled).
struct PanelRig
{
    PanelRig() : transfer(link, status), presenter(new TransferPresenter(transfer, &panel))
    {
        status.facts.modelText = QStringLiteral("K230");
        status.facts.blockSize = 67;
        panel.show();
    }

    TransferProgressDlg& Dialog() { return presenter->Dialog(); }

    UnitLink link;
    LiveStatus status;
    MemoryTransfer transfer;
    QWidget panel;
    TransferPresenter* presenter; // owned by the panel
};

} // namespace

class TestTransferProgress : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The bar is clipped to 0..100.
    void position_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("shown");
        QTest::newRow("135 is full") << 135 << 100;
        QTest::newRow("negative is empty") << -20 << 0;
        QTest::newRow("100") << 100 << 100;
        QTest::newRow("57") << 57 << 57;
    }
    void position()
    {
        QFETCH(int, position);
        QFETCH(int, shown);
        TransferProgressDlg dlg;
        dlg.Show();
        dlg.SetPosition(50);
        dlg.SetPosition(position);
        QCOMPARE(Bar(dlg)->value(), shown);
    }

    // While closed, positions and texts are ignored; Show starts afresh.
    void closedIgnoresUpdates()
    {
        TransferProgressDlg dlg;
        dlg.SetProgressText(QStringLiteral("Transferring tuner presets from K230"));
        dlg.SetPosition(70);
        dlg.SetText(QStringLiteral("late"));
        QVERIFY(!dlg.IsShown());
        dlg.Show();
        QVERIFY(dlg.IsShown());
        QCOMPARE(Bar(dlg)->value(), 0);
        QCOMPARE(Line(dlg), QStringLiteral("Transferring tuner presets from K230"));
        dlg.SetText(QStringLiteral("Transferring to EEPROM. (3/350 bytes)"));
        QCOMPARE(Line(dlg), QStringLiteral("Transferring to EEPROM. (3/350 bytes)"));
        dlg.Close();
        dlg.Close();
        QVERIFY(!dlg.IsShown());
        dlg.SetPosition(90);
        dlg.Show();
        QCOMPARE(Bar(dlg)->value(), 0);
    }

    // Cancel, Escape and the close box enable the panel at once; the abort
    // follows when the posted request is handled.
    void cancelEnablesPanelBeforeAbort_data()
    {
        QTest::addColumn<int>("how");
        QTest::newRow("Cancel button") << 0;
        QTest::newRow("Escape") << 1;
        QTest::newRow("close box") << 2;
    }
    void cancelEnablesPanelBeforeAbort()
    {
        QFETCH(int, how);
        PanelRig rig;
        QSignalSpy finished(&rig.transfer, &MemoryTransfer::transferFinished);
        QVERIFY(rig.transfer.ReadCurrentSetup());
        TransferProgressDlg& dlg = rig.Dialog();
        QVERIFY(!rig.panel.isEnabled());
        QVERIFY(dlg.IsShown());
        // The panel's disabling must not reach the progress window.
        QVERIFY(dlg.isEnabled());
        QCOMPARE(Line(dlg),
                 MessageTable::Text(Message::ReadingCurrentSetup).arg(QStringLiteral("K230")));

        if (how == 0)
            QTest::mouseClick(dlg.findChild<QPushButton*>(QStringLiteral("cancelButton")),
                              Qt::LeftButton);
        else if (how == 1)
            QTest::keyClick(&dlg, Qt::Key_Escape);
        else
            dlg.close();
        QVERIFY(rig.panel.isEnabled());
        QVERIFY(!dlg.IsShown());
        QVERIFY(rig.transfer.IsBusy());
        QVERIFY(finished.isEmpty());

        QTRY_VERIFY(!rig.transfer.IsBusy());
        QCOMPARE(finished.size(), 1);
        QCOMPARE(finished.first().first().value<MemoryTransfer::Outcome>(),
                 MemoryTransfer::Outcome::Aborted);
        QVERIFY(rig.panel.isEnabled());
    }

    // The presenter follows the engine: panel, window, bar, text, messages.
    void presenterFollowsEngine()
    {
        PanelRig rig;
        TransferProgressDlg& dlg = rig.Dialog();
        Q_EMIT rig.transfer.transferStarted(QStringLiteral("Transferring settings to K230"));
        QVERIFY(!rig.panel.isEnabled());
        QVERIFY(dlg.IsShown());
        Q_EMIT rig.transfer.progressChanged(42);
        Q_EMIT rig.transfer.progressTextChanged(
            QStringLiteral("Transferring to EEPROM. (1/2 bytes)"));
        QCOMPARE(Bar(dlg)->value(), 42);
        QCOMPARE(Line(dlg), QStringLiteral("Transferring to EEPROM. (1/2 bytes)"));
        Q_EMIT rig.transfer.transferFinished(MemoryTransfer::Outcome::Completed);
        QVERIFY(rig.panel.isEnabled());
        QVERIFY(!dlg.IsShown());

        const int shown = MessageBox::Shown();
        MessageBox::SetNextAnswer(QMessageBox::Ok);
        Q_EMIT rig.transfer.presetEmpty(2);
        QCOMPARE(MessageBox::Shown(), shown + 1);
        QCOMPARE(MessageBox::LastText(), MessageTable::Text(Message::PresetEmpty));

        MessageBox::SetNextAnswer(QMessageBox::Ok);
        const QString mismatch = MessageTable::Text(Message::SizeMismatch);
        Q_EMIT rig.transfer.transferFailed(Message::SizeMismatch, mismatch);
        QCOMPARE(MessageBox::Shown(), shown + 2);
        QCOMPARE(MessageBox::LastText(), mismatch);

        // A save skips an empty preset without a word.
        rig.transfer.SetSavingToFile(true);
        Q_EMIT rig.transfer.presetEmpty(3);
        QCOMPARE(MessageBox::Shown(), shown + 2);
    }
};

QTEST_MAIN(TestTransferProgress)
#include "test_transfer_progress.moc"
