#include "transfer/transfer_progress_dlg.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWindow>

namespace {

constexpr int BarMinimum = 0;
constexpr int BarMaximum = 100;

} // namespace

TransferProgressDlg::TransferProgressDlg(QWidget* ownerWidget) : owner(ownerWidget)
{
    setWindowTitle(tr("Transferring..."));
    setModal(false);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    textLine = new QLabel(this);
    textLine->setObjectName(QStringLiteral("progressText"));
    textLine->setMinimumWidth(300);
    bar = new QProgressBar(this);
    bar->setObjectName(QStringLiteral("progressBar"));
    bar->setRange(BarMinimum, BarMaximum);
    bar->setTextVisible(false);
    cancelButton = new QPushButton(tr("Cancel"), this);
    cancelButton->setObjectName(QStringLiteral("cancelButton"));
    cancelButton->setAutoDefault(false);
    connect(cancelButton, &QPushButton::clicked, this, &TransferProgressDlg::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cancelButton);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(textLine);
    layout->addWidget(bar);
    layout->addLayout(buttons);
    setFixedSize(sizeHint());
}

void TransferProgressDlg::Show()
{
    textLine->setText(progressText);
    bar->setValue(BarMinimum);
    if (owner) {
        winId(); // creates the native window so it can get its transient parent
        QWidget* top = owner->window();
        if (windowHandle() && top->windowHandle())
            windowHandle()->setTransientParent(top->windowHandle());
    }
    show();
    raise();
}

void TransferProgressDlg::SetPosition(int percent)
{
    if (!isVisible())
        return;
    // QProgressBar ignores values outside its range; the window clips them.
    bar->setValue(qBound(BarMinimum, percent, BarMaximum));
}

void TransferProgressDlg::SetText(const QString& text)
{
    if (isVisible())
        textLine->setText(text);
}

void TransferProgressDlg::Close()
{
    hide();
}

void TransferProgressDlg::reject()
{
    if (!isVisible())
        return;
    if (owner)
        owner->setEnabled(true);
    hide();
    Q_EMIT cancelRequested();
}
