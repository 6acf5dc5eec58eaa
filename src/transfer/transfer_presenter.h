#pragma once

#include "transfer/memory_transfer.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <memory>

class QWidget;
class TransferProgressDlg;

// Shows a memory transfer to the user: the panel is disabled and the
// progress window open while a transfer runs; messages appear as message
// boxes after the transfer has ended; Cancel aborts it. One line hooks a
// window up:
//
//     new TransferPresenter(session.Transfer(), this);
//
// The presenter is a child of the panel and owns the progress window. It
// does not open the setup sheet or the tuner presets dialog, nor say that an
// A/V preset is empty: the requesters hear their own results.
class TransferPresenter : public QObject
{
    Q_OBJECT

public:
    TransferPresenter(MemoryTransfer& transfer, QWidget* panel);
    ~TransferPresenter() override;

    TransferProgressDlg& Dialog() { return *dialog; }

private:
    void OnStarted(const QString& text);
    void OnFinished();
    void OnFailed(int message, const QString& text);

    MemoryTransfer& transfer;
    QPointer<QWidget> panel;
    std::unique_ptr<TransferProgressDlg> dialog;
};
