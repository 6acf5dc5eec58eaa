#include "transfer/transfer_presenter.h"

#include "common/message_box.h"
#include "common/message_table.h"
#include "transfer/transfer_progress_dlg.h"

#include <QTimer>
#include <QWidget>

TransferPresenter::TransferPresenter(MemoryTransfer& memoryTransfer, QWidget* panelWidget)
    : QObject(panelWidget), transfer(memoryTransfer), panel(panelWidget),
      dialog(std::make_unique<TransferProgressDlg>(panelWidget))
{
    connect(&transfer, &MemoryTransfer::transferStarted, this, &TransferPresenter::OnStarted);
    connect(&transfer, &MemoryTransfer::progressChanged, dialog.get(),
            &TransferProgressDlg::SetPosition);
    connect(&transfer, &MemoryTransfer::progressTextChanged, dialog.get(),
            &TransferProgressDlg::SetText);
    connect(&transfer, &MemoryTransfer::transferFinished, this, &TransferPresenter::OnFinished);
    connect(&transfer, &MemoryTransfer::transferFailed, this, &TransferPresenter::OnFailed);
    // Posted, like a command to the window: the abort runs after Cancel has
    // returned, with the panel already enabled.
    connect(dialog.get(), &TransferProgressDlg::cancelRequested, &transfer, &MemoryTransfer::Abort,
            Qt::QueuedConnection);
}

TransferPresenter::~TransferPresenter() = default;

void TransferPresenter::OnStarted(const QString& text)
{
    if (panel)
        panel->setEnabled(false);
    dialog->SetProgressText(text);
    dialog->Show();
}

void TransferPresenter::OnFinished()
{
    dialog->Close();
    if (panel)
        panel->setEnabled(true);
}

void TransferPresenter::OnFailed(int, const QString& text)
{
    // Posted: what ended the transfer (a lost unit) reaches every view
    // first, so the window behind the alert already says so.
    QTimer::singleShot(0, this, [this, text] { MessageBox::Error(panel, text); });
}
