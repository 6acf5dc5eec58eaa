#pragma once

#include <QObject>
#include <QPoint>
#include <QSystemTrayIcon>
#include <QTimer>

#include <optional>

class QMenu;
class QWidget;

// The notification-area icon of the control panel window, with its menu,
// the tip "Veltrix PC Interface" and the window's icon. A single left click
// asks for the volume popup once the double-click time has passed without a
// second click (never with the left-click action Off); a double click
// restores the window instead. While the icon is shown and the option says
// so, minimising the window hides it, leaving only the icon.
//
// Where the desktop has no system tray the icon is never added and the
// window behaves as with the tray option off.
class TrayIcon : public QObject
{
    Q_OBJECT

public:
    TrayIcon(QWidget* window, QMenu* menu, QObject* parent = nullptr);
    ~TrayIcon() override;

    // Whether the desktop has a system tray.
    bool Available() const;
    // Adds the icon; true when it is shown (false without a tray).
    bool Add();
    void Remove();
    bool IsShown() const { return icon != nullptr; }

    void SetLeftClick(int action) { leftClick = action; }
    void SetMinimizeToTray(bool hide) { minimizeToTray = hide; }

    // Shows the window normally and brings it to the front.
    void RestoreWindow();

    // The icon's notifications; public so tests click without a tray.
    void OnActivated(QSystemTrayIcon::ActivationReason reason);
    bool IsClickPending() const { return clickTimer.isActive(); }

    // Test hook: pretend the desktop has (or has not) a system tray; nullopt
    // asks the desktop again.
    static void SetAvailabilityForTests(std::optional<bool> available);

Q_SIGNALS:
    // A single click: the popup opens with its lower-left corner at `cursor`.
    void popupRequested(QPoint cursor);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* window;
    QMenu* menu;
    QSystemTrayIcon* icon = nullptr;
    QTimer clickTimer;
    int leftClick = 0;
    bool minimizeToTray = true;
};
