#include "panel/control_panel_dlg.h"

#include "desktop/options_store.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QScreen>
#include <QVBoxLayout>

ControlPanelDlg::ControlPanelDlg(const Options& opts, bool autostart, QWidget* parent)
    : QMainWindow(parent), options(opts), startedByAutostart(autostart)
{
    setWindowTitle(QStringLiteral("Veltrix PC Interface"));
    setObjectName(QStringLiteral("controlPanel"));

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->addStretch(1);
    BuildBottomRow(central);
    setCentralWidget(central);
    BuildMenus();

    session.SetPortSetting(options.port);
    connect(&session, &UnitSession::connectionLineRefreshed, this,
            &ControlPanelDlg::RefreshConnectionLine);
    connect(&session, &UnitSession::connectionShown, this, &ControlPanelDlg::ShowConnection);
    connect(&session, &UnitSession::mainPowerShown, this, &ControlPanelDlg::ShowMainPower);
    connect(&session, &UnitSession::zonePowerShown, this, &ControlPanelDlg::ShowZonePower);
    connect(&session, &UnitSession::tunerSectionUpdated, this,
            &ControlPanelDlg::UpdateTunerSection);
}

ControlPanelDlg::~ControlPanelDlg() = default;

void ControlPanelDlg::BuildMenus()
{
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->addAction(QStringLiteral("E&xit"), this, &ControlPanelDlg::close);

    unitMenu = menuBar()->addMenu(QStringLiteral("Unit"));
    refreshAction = unitMenu->addAction(QStringLiteral("&Refresh"), this,
                                        [this] { session.Refresh(); });
    refreshAction->setEnabled(false);
}

void ControlPanelDlg::BuildBottomRow(QWidget* central)
{
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(QStringLiteral("Status:"), central));
    connectionLine = new QLabel(central);
    connectionLine->setObjectName(QStringLiteral("connectionLine"));
    row->addWidget(connectionLine, 1);
    static_cast<QVBoxLayout*>(central->layout())->addLayout(row);

    warning = new QLabel(QStringLiteral("WARNING: Incorrect unit attached."), central);
    warning->setObjectName(QStringLiteral("warning"));
    warning->setStyleSheet(QStringLiteral("color: #b00000; font-weight: bold;"));
    warning->hide();
    central->layout()->addWidget(warning);
}

QString ControlPanelDlg::ConnectionLine() const
{
    return connectionLine->text();
}

void ControlPanelDlg::Initialise()
{
    PlaceWindow();
    session.Start();
    ShowWindow();
}

void ControlPanelDlg::PlaceWindow()
{
    adjustSize();
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect desktop = screen->availableGeometry();
    const int maxX = desktop.width() - frameGeometry().width();
    const int maxY = desktop.height() - frameGeometry().height();
    int x = std::min(options.x, maxX);
    int y = std::min(options.y, maxY);
    if (x < 0)
        x = maxX / 2;
    if (y < 0)
        y = maxY / 2;
    move(desktop.left() + x, desktop.top() + y);
}

void ControlPanelDlg::ShowWindow()
{
    if (startedByAutostart && options.autostartMinimized) {
        // Hidden only when the tray icon is really there to bring it back.
        if (!(options.minimizeToTray && options.enableTrayIcon && trayIconAdded))
            showMinimized();
        return;
    }
    show();
}

void ControlPanelDlg::closeEvent(QCloseEvent* event)
{
    Shutdown();
    event->accept();
}

void ControlPanelDlg::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

void ControlPanelDlg::Shutdown()
{
    if (shutDown)
        return;
    shutDown = true;
    const QRect frame = frameGeometry();
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QPoint origin = screen ? screen->availableGeometry().topLeft() : QPoint();
    OptionsStore::SavePosition(frame.left() - origin.x(), frame.top() - origin.y());
    session.Stop();
    Q_EMIT shutDownFinished();
}

void ControlPanelDlg::ShowConnection(bool connected)
{
    refreshAction->setEnabled(connected);
}

void ControlPanelDlg::ShowMainPower(bool)
{
}

void ControlPanelDlg::ShowZonePower(bool)
{
}

void ControlPanelDlg::UpdateTunerSection(bool)
{
}

void ControlPanelDlg::RefreshConnectionLine()
{
    const LiveStatus& status = session.Status();
    const bool supported = status.connected && status.facts.IsSupportedModel();
    if (status.connected) {
        connectionLine->setText(QStringLiteral("Connected to %1 %2 on %3")
                                    .arg(status.facts.modelText, status.facts.versionText,
                                         session.Link().PortName()));
    } else {
        connectionLine->setText(QStringLiteral("Not Connected"));
    }
    unitMenu->setTitle(supported ? QStringLiteral("&") + status.facts.modelText
                                 : QStringLiteral("Unit"));
    warning->setVisible(status.connected && !supported);
}
