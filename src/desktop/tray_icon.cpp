#include "desktop/tray_icon.h"

#include "desktop/options.h"

#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QMenu>
#include <QWidget>

namespace {

std::optional<bool> availabilityForTests;

} // namespace

TrayIcon::TrayIcon(QWidget* trayWindow, QMenu* trayMenu, QObject* parent)
    : QObject(parent), window(trayWindow), menu(trayMenu)
{
    clickTimer.setSingleShot(true);
    connect(&clickTimer, &QTimer::timeout, this, [this] { Q_EMIT popupRequested(QCursor::pos()); });
    window->installEventFilter(this);
}

TrayIcon::~TrayIcon()
{
    Remove();
}

void TrayIcon::SetAvailabilityForTests(std::optional<bool> available)
{
    availabilityForTests = available;
}

bool TrayIcon::Available() const
{
    return availabilityForTests.value_or(QSystemTrayIcon::isSystemTrayAvailable());
}

bool TrayIcon::Add()
{
    if (icon)
        return true;
    if (!Available())
        return false;
    icon = new QSystemTrayIcon(window->windowIcon(), this);
    icon->setToolTip(QStringLiteral("Veltrix PC Interface"));
    icon->setContextMenu(menu);
    connect(icon, &QSystemTrayIcon::activated, this, &TrayIcon::OnActivated);
    icon->show();
    return true;
}

void TrayIcon::Remove()
{
    clickTimer.stop();
    if (!icon)
        return;
    icon->hide();
    delete icon;
    icon = nullptr;
}

void TrayIcon::RestoreWindow()
{
    window->showNormal();
    window->raise();
    window->activateWindow();
}

void TrayIcon::OnActivated(QSystemTrayIcon::ActivationReason reason)
{
    switch (reason) {
    case QSystemTrayIcon::Trigger:
        if (leftClick != Options::Off)
            clickTimer.start(QApplication::doubleClickInterval());
        return;
    case QSystemTrayIcon::DoubleClick:
        clickTimer.stop();
        RestoreWindow();
        return;
    default:
        // The context menu shows by itself on the right button.
        return;
    }
}

bool TrayIcon::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == window && event->type() == QEvent::WindowStateChange && window->isMinimized() &&
        icon && minimizeToTray) {
        // Hidden once the minimise is through, so the window manager's state
        // and the window's agree.
        QTimer::singleShot(0, this, [this] {
            if (window->isMinimized() && icon && minimizeToTray)
                window->hide();
        });
    }
    return QObject::eventFilter(watched, event);
}
