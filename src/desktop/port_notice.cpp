#include "desktop/port_notice.h"

#include "common/message_table.h"
#include "unit/unit_session.h"

#include <QFileInfo>
#include <QLabel>
#include <QMainWindow>
#include <QStatusBar>

PortNotice::PortNotice(UnitSession& unitSession, QMainWindow* mainWindow)
    : QObject(mainWindow), session(unitSession), window(mainWindow)
{
    connect(&session, &UnitSession::portOpenFailed, this, &PortNotice::OnOpenFailed);
    connect(&session.Live(), &LiveStatus::identified, this, &PortNotice::Clear);
}

QString PortNotice::PermissionText(const QString& path, const QString& group)
{
    return group.isEmpty() ? MessageTable::Text(Message::PortPermissionDeniedNoGroup).arg(path)
                           : MessageTable::Text(Message::PortPermissionDenied).arg(path, group);
}

QString PortNotice::Text() const
{
    return line && !shownPath.isEmpty() ? line->text() : QString();
}

void PortNotice::OnOpenFailed(const QString& path, SerialPort::OpenFailure reason)
{
    const bool named = session.PortSetting() != QLatin1String(UnitSession::AutoDetect);
    if (!named || reason != SerialPort::OpenFailure::PermissionDenied) {
        // The advice no longer fits what happens on the line.
        if (!shownPath.isEmpty() && (path != shownPath || !named))
            Clear();
        return;
    }
    if (path == shownPath)
        return;
    if (!line) {
        line = new QLabel(window);
        line->setObjectName(QStringLiteral("portNotice"));
        line->setWordWrap(true);
        line->setTextInteractionFlags(Qt::TextSelectableByMouse);
        QStatusBar* bar = window->statusBar();
        bar->setSizeGripEnabled(false);
        bar->addWidget(line, 1);
    }
    shownPath = path;
    line->setText(PermissionText(path, QFileInfo(path).group()));
    window->statusBar()->show();
}

void PortNotice::Clear()
{
    shownPath.clear();
    if (!line)
        return;
    line->clear();
    window->statusBar()->hide();
}
