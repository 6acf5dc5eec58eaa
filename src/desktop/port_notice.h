#pragma once

#include "link/serial_port.h"

#include <QObject>
#include <QString>

class QLabel;
class QMainWindow;
class UnitSession;

// An unobtrusive line at the bottom of the window that says, once, why a
// port chosen by name cannot be opened for lack of permission and how to
// fix it. The connection line goes on saying "Not Connected" and probing
// goes on; a missing device and every failure while auto-detecting stay
// silent. The line goes when a unit answers or the port setting changes.
class PortNotice : public QObject
{
    Q_OBJECT

public:
    PortNotice(UnitSession& session, QMainWindow* window);

    // The shown text; empty while hidden.
    QString Text() const;
    void Clear();

    // The advice for a device the user may not open; `group` is the group
    // that owns it, empty when unknown.
    static QString PermissionText(const QString& path, const QString& group);

private:
    void OnOpenFailed(const QString& path, SerialPort::OpenFailure reason);

    UnitSession& session;
    QMainWindow* window;
    QLabel* line = nullptr;
    QString shownPath;
};
