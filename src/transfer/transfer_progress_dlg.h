#pragma once

#include <QDialog>
#include <QPointer>
#include <QString>

class QLabel;
class QProgressBar;
class QPushButton;

// The small modeless "Transferring..." window that every memory transfer
// shows while it runs: a line of text, a bar from 0 to 100 and Cancel.
//
// It has no parent widget, so disabling its owner (the control panel) during
// a transfer leaves Cancel usable; the owner is its transient parent for
// stacking. Cancel, Escape and the close box all count as Cancel: the owner
// is enabled at once, the window closes, and cancelRequested is emitted for
// the owner to abort the transfer (queued, as a posted command would be).
//
// While the window is closed, positions and texts are ignored, so a reply
// that arrives after Cancel does no harm to the display.
class TransferProgressDlg : public QDialog
{
    Q_OBJECT

public:
    explicit TransferProgressDlg(QWidget* owner = nullptr);

    // The text the next Show puts on the window.
    void SetProgressText(const QString& text) { progressText = text; }
    // Shows the window with the progress text and the bar at 0.
    void Show();
    // Sets the bar; values outside 0..100 are clipped to the nearest end.
    void SetPosition(int percent);
    // Replaces the text line of the open window.
    void SetText(const QString& text);
    // Closes the window without cancelling; nothing happens when closed.
    void Close();
    bool IsShown() const { return isVisible(); }

Q_SIGNALS:
    void cancelRequested();

public Q_SLOTS:
    void reject() override;

private:
    QPointer<QWidget> owner;
    QString progressText;
    QLabel* textLine = nullptr;
    QProgressBar* bar = nullptr;
    QPushButton* cancelButton = nullptr;
};
