#include "panel/control_panel_dlg.h"

#include "common/message_box.h"
#include "common/message_table.h"
#include "common/text.h"
#include "desktop/options_store.h"
#include "panel/focus_return.h"
#include "panel/panel_status_view.h"
#include "panel/report_check_box.h"
#include "panel/report_radio_button.h"
#include "panel/spin_arrows.h"
#include "panel/tuner_fields.h"
#include "setup/rename_input_dlg.h"
#include "unit/unit_session.h"

#include <QActionGroup>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScreen>

#include <algorithm>
#include <utility>

ControlPanelDlg::ControlPanelDlg(UnitSession& unitSession, const Options& opts, bool autostart,
                                 QWidget* parent)
    : QMainWindow(parent), session(unitSession), commands(unitSession.Commands()), options(opts),
      startedByAutostart(autostart)
{
    setWindowTitle(QStringLiteral("Veltrix PC Interface"));
    setObjectName(QStringLiteral("controlPanel"));
    SetupUi(this);
    ConnectMenus();
    ConnectMainCommands();
    ConnectZoneCommands();

    waitTimer.setTimerType(Qt::PreciseTimer);
    connect(&waitTimer, &QTimer::timeout, this, &ControlPanelDlg::EndWait);

    const ControlPanelForm& form = *this;
    new PanelStatusView(form, session, this);
    tunerFields = std::make_unique<TunerFields>(form, session);
    // The unit's power report ends the wait a click on Power started.
    connect(&session.Live(), &LiveStatus::mainPowerReported, this, &ControlPanelDlg::EndWait);
    connect(&session.Live(), &LiveStatus::zonePowerReported, this, &ControlPanelDlg::EndWait);
    // When a memory transfer ends (done, failed or cancelled) a connected
    // unit can be saved and loaded again.
    connect(&session.Transfer(), &MemoryTransfer::transferFinished, this, [this] {
        saveSettings->setEnabled(session.Status().connected);
        loadSettings->setEnabled(session.Status().connected);
    });
    focusReturn = std::make_unique<FocusReturn>(
        this,
        std::vector<FocusReturn::Group>{mainSources, surroundButtons, zoneSources, bandButtons});
}

ControlPanelDlg::~ControlPanelDlg() = default;

// ---------------------------------------------------------------------------
// Commands

void ControlPanelDlg::ConnectMenus()
{
    connect(exitAction, &QAction::triggered, this, &ControlPanelDlg::close);
    connect(refreshAction, &QAction::triggered, this, [this] { session.Refresh(); });
    // The setup entries start a read; the sheet opens when it completes.
    for (int k = 0; k <= AvPresetCount; ++k)
        connect(setupActions[static_cast<std::size_t>(k)], &QAction::triggered, this,
                [this, k] { Q_EMIT setupClicked(k); });
    connect(editPresets, &QPushButton::clicked, this, &ControlPanelDlg::editPresetsClicked);
    connect(saveSettings, &QPushButton::clicked, this, &ControlPanelDlg::saveSettingsClicked);
    connect(loadSettings, &QPushButton::clicked, this, &ControlPanelDlg::loadSettingsClicked);
}

void ControlPanelDlg::ConnectMainCommands()
{
    using Room = UnitCommands::Room;
    using Switch = UnitCommands::Switch;
    connect(mainPower, &QCheckBox::clicked, this, [this] {
        StartWait(MainPowerWait);
        commands.TogglePower(Room::Main);
    });
    const std::pair<ReportCheckBox*, Switch> toggles[] = {
        {mainMute, Switch::MainMute},     {speakersA, Switch::SpeakersA},
        {speakersB, Switch::SpeakersB},   {tapeMonitor, Switch::TapeMonitor},
        {toneDefeat, Switch::ToneDefeat}, {zoneMute, Switch::ZoneMute}};
    for (const auto& [box, which] : toggles)
        connect(box, &QCheckBox::clicked, this, [this, which = which] { commands.Toggle(which); });

    connect(mainVolumeSpin, &SpinArrows::stepped, this,
            [this](int delta) { commands.StepVolume(Room::Main, delta); });
    connect(bassSpin, &SpinArrows::stepped, this, [this](int delta) { commands.StepBass(delta); });
    connect(trebleSpin, &SpinArrows::stepped, this,
            [this](int delta) { commands.StepTreble(delta); });

    for (int i = 0; i < InputCount; ++i) {
        const auto at = static_cast<std::size_t>(i);
        connect(mainSources[at], &QRadioButton::clicked, this,
                [this, i] { commands.SelectSource(Room::Main, i); });
        // The dialog opens after the double click's mouse events are done.
        if (i != SourceTuner)
            connect(
                mainSources[at], &ReportRadioButton::doubleClicked, this,
                [this, i] { RenameInput(i); }, Qt::QueuedConnection);
    }
    for (std::size_t mode = 0; mode < surroundModes.size(); ++mode) {
        if (surroundModes[mode])
            connect(surroundModes[mode], &QRadioButton::clicked, this,
                    [this, mode] { commands.SelectSurroundMode(static_cast<int>(mode)); });
    }
    for (int n = 1; n <= AvPresetCount; ++n) {
        const auto at = static_cast<std::size_t>(n - 1);
        connect(recallButtons[at], &QPushButton::clicked, this,
                [this, n] { commands.RecallPreset(n); });
        connect(storeButtons[at], &QPushButton::clicked, this, [this, n] { StorePreset(n); });
    }
}

void ControlPanelDlg::ConnectZoneCommands()
{
    using Room = UnitCommands::Room;
    connect(zonePower, &QCheckBox::clicked, this, [this] {
        StartWait(ZonePowerWait);
        commands.TogglePower(Room::Zone);
    });
    connect(zoneVolumeSpin, &SpinArrows::stepped, this,
            [this](int delta) { commands.StepVolume(Room::Zone, delta); });
    for (int i = 0; i < InputCount; ++i) {
        const auto at = static_cast<std::size_t>(i);
        connect(zoneSources[at], &QRadioButton::clicked, this,
                [this, i] { commands.SelectSource(Room::Zone, i); });
        if (i != SourceTuner && i != SourceExternal)
            connect(
                zoneSources[at], &ReportRadioButton::doubleClicked, this,
                [this, i] { RenameInput(i); }, Qt::QueuedConnection);
    }
}

void ControlPanelDlg::StorePreset(int number)
{
    if (MessageBox::Confirm(this, MessageTable::Text(Message::StorePresetConfirm)))
        commands.StorePreset(number);
}

void ControlPanelDlg::RenameInput(int index)
{
    if (index < 0 || index >= SourceTuner)
        return;
    const QString current =
        Text::TrimmedRight(mainSources[static_cast<std::size_t>(index)]->text());
    RenameInputDlg dialog(this);
    dialog.SetNames(current, current);
    // The caption follows when the unit reports the new name.
    if (dialog.Run())
        commands.RequestRename(index, dialog.NewName());
}

// ---------------------------------------------------------------------------
// Life cycle

QString ControlPanelDlg::ConnectionLine() const
{
    return connectionLine->text();
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

void ControlPanelDlg::ShowWindow(bool trayIconShown)
{
    if (startedByAutostart && options.autostartMinimized) {
        // Hidden only when the tray icon is really there to bring it back.
        if (!(options.minimizeToTray && options.enableTrayIcon && trayIconShown))
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
    EndWait();
    const QRect frame = frameGeometry();
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QPoint origin = screen ? screen->availableGeometry().topLeft() : QPoint();
    OptionsStore::SavePosition(frame.left() - origin.x(), frame.top() - origin.y());
    Q_EMIT shutDownFinished();
}

void ControlPanelDlg::StartWait(int milliseconds)
{
    waitTimer.start(milliseconds);
    waiting = true;
    setCursor(Qt::WaitCursor);
}

void ControlPanelDlg::EndWait()
{
    if (!waiting)
        return;
    waitTimer.stop();
    waiting = false;
    unsetCursor();
}

// ---------------------------------------------------------------------------
// Events

// While a modal window (a sheet, a dialog, a message) blocks the panel, none
// of its menu entries can open another, whatever the input path (a screen
// reader's action reaches a blocked window). The group's switch leaves each
// entry's own enabled state as it was. The features add their entries after
// the window is built, so the group takes them in when it first blocks.
void ControlPanelDlg::BlockMenus(bool blocked)
{
    if (!blockable) {
        blockable = new QActionGroup(this);
        blockable->setExclusionPolicy(QActionGroup::ExclusionPolicy::None);
        for (QMenu* menu : {fileMenu, unitMenu}) {
            for (QAction* action : menu->actions()) {
                if (action != exitAction && !action->isSeparator())
                    blockable->addAction(action);
            }
        }
    }
    blockable->setEnabled(!blocked);
}

bool ControlPanelDlg::event(QEvent* event)
{
    switch (event->type()) {
    case QEvent::WindowBlocked:
    case QEvent::WindowUnblocked: {
        const bool blocked = event->type() == QEvent::WindowBlocked;
        BlockMenus(blocked);
        if (centralWidget())
            centralWidget()->setEnabled(!blocked);
        break;
    }
    case QEvent::WindowDeactivate:
        if (focusReturn)
            focusReturn->Remember();
        break;
    case QEvent::WindowActivate: {
        const bool handled = QMainWindow::event(event);
        if (focusReturn)
            focusReturn->Restore();
        return handled;
    }
    default:
        break;
    }
    return QMainWindow::event(event);
}
