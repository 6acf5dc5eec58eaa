#include "panel/control_panel_dlg.h"

#include "common/message_box.h"
#include "common/message_table.h"
#include "common/text.h"
#include "desktop/desktop_integration.h"
#include "desktop/options_store.h"
#include "files/settings_file_commands.h"
#include "model/tuner_preset_list.h"
#include "panel/report_check_box.h"
#include "panel/report_radio_button.h"
#include "panel/spin_arrows.h"
#include "setup/rename_input_dlg.h"
#include "setup/setup_flow.h"
#include "setup/setup_sheet.h"
#include "transfer/transfer_presenter.h"
#include "tuner/tuner_entry.h"
#include "tuner/tuner_presets_dlg.h"
#include "tuner/tuner_presets_flow.h"

#include <QActionGroup>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>

#include <algorithm>
#include <utility>

namespace {

QString Latin(const char* text)
{
    return QString::fromLatin1(text);
}

// Selects the button at `index` and clears the others; an index outside the
// group clears them all. Null entries (values without a button) are skipped.
template <std::size_t N> void SelectOnly(const std::array<ReportRadioButton*, N>& group, int index)
{
    for (std::size_t i = 0; i < N; ++i) {
        if (group[i])
            group[i]->setChecked(static_cast<int>(i) == index);
    }
}

template <std::size_t N> bool InRange(const std::array<ReportRadioButton*, N>&, int index)
{
    return index >= 0 && index < static_cast<int>(N);
}

// A rewritten field is selected while it has the focus, so typing replaces
// it.
void SetTextSelected(QLineEdit* field, const QString& text)
{
    field->setText(text);
    if (field->hasFocus())
        field->selectAll();
}

bool IsEnterKey(const QKeyEvent* key)
{
    return key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
}

// The preset field takes digits only, as typed; editing and navigation keys
// pass.
bool IsRefusedInPresetField(const QKeyEvent* key)
{
    const QString text = key->text();
    if (text.isEmpty() || (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
        return false;
    return std::any_of(text.cbegin(), text.cend(),
                       [](QChar c) { return c.isPrint() && !(c >= u'0' && c <= u'9'); });
}

QString FrequencyText(const LiveValues& live)
{
    return live.tunerBand == Band::Fm ? TunerPresetList::FmFrequencyText(live.fmFrequency)
                                      : TunerPresetList::AmFrequencyText(live.amFrequency);
}

QString PresetText(const LiveValues& live)
{
    return TunerPresetList::PresetText(live.tunerBand == Band::Fm ? live.fmPreset : live.amPreset);
}

} // namespace

ControlPanelDlg::ControlPanelDlg(const Options& opts, bool autostart, QWidget* parent)
    : QMainWindow(parent), options(opts), startedByAutostart(autostart)
{
    setWindowTitle(QStringLiteral("Veltrix PC Interface"));
    setObjectName(QStringLiteral("controlPanel"));
    SetupUi(this);
    frequency->installEventFilter(this);
    preset->installEventFilter(this);
    BuildMenus();
    ConnectMainCommands();
    ConnectZoneAndTunerCommands();

    waitTimer.setTimerType(Qt::PreciseTimer);
    connect(&waitTimer, &QTimer::timeout, this, &ControlPanelDlg::EndWait);

    // Every control of the three groups starts disabled and empty, as
    // without a unit.
    ShowConnection(false);
    ShowMainPower(false);
    ShowZonePower(false);
    UpdateTunerSection(false);
    RefreshConnectionLine();

    session.SetPortSetting(options.port);
    ConnectViews();
    desktopParts = new DesktopIntegration(this, session, options, fileMenu, exitAction, helpMenu);
    // While a modal window (a sheet, a dialog, a message) blocks the panel,
    // none of its menu entries can open another, whatever the input path (a
    // screen reader's action reaches a blocked window). The group's switch
    // leaves each entry's own enabled state as it was.
    blockable = new QActionGroup(this);
    blockable->setExclusionPolicy(QActionGroup::ExclusionPolicy::None);
    for (QMenu* menu : {fileMenu, unitMenu}) {
        for (QAction* action : menu->actions()) {
            if (action != exitAction && !action->isSeparator())
                blockable->addAction(action);
        }
    }

    // Memory transfers disable the window and show their progress; when one
    // ends (done, failed or cancelled) a connected unit can be saved and
    // loaded again.
    new TransferPresenter(session.Transfer(), this);
    connect(&session.Transfer(), &MemoryTransfer::transferFinished, this, [this] {
        saveSettings->setEnabled(live.connected);
        loadSettings->setEnabled(live.connected);
    });
}

ControlPanelDlg::~ControlPanelDlg()
{
    // The fields must not commit typed values while the window goes away.
    frequency->removeEventFilter(this);
    preset->removeEventFilter(this);
}

// ---------------------------------------------------------------------------
// Building the window

void ControlPanelDlg::BuildMenus()
{
    fileMenu = menuBar()->addMenu(QStringLiteral("&File"));
    exitAction = fileMenu->addAction(QStringLiteral("E&xit"), this, &ControlPanelDlg::close);

    unitMenu = menuBar()->addMenu(QStringLiteral("Unit"));
    unitMenu->setObjectName(QStringLiteral("unitMenu"));
    refreshAction =
        unitMenu->addAction(QStringLiteral("&Refresh"), this, [this] { session.Refresh(); });
    refreshAction->setObjectName(QStringLiteral("refresh"));

    // The setup entries start a read; the sheet opens when it completes.
    setupFlow = new SetupFlow(session, this);
    setupFlow->SetEditor(SetupSheet::Editor(this));
    // "Edit Presets" reads the tuner presets; their dialog opens when it completes.
    auto* presetsFlow = new TunerPresetsFlow(session, this);
    presetsFlow->SetEditor(TunerPresetsDlg::Editor(this));
    connect(this, &ControlPanelDlg::editPresetsClicked, presetsFlow, &TunerPresetsFlow::Open);
    // "Save Settings" and "Load Settings" feed on the setup flow's reads.
    auto* settingsFiles = new SettingsFileCommands(*this);
    connect(this, &ControlPanelDlg::saveSettingsClicked, settingsFiles,
            &SettingsFileCommands::Save);
    connect(this, &ControlPanelDlg::loadSettingsClicked, settingsFiles,
            &SettingsFileCommands::Load);
    settingsFiles->AddMenuEntry(fileMenu, exitAction);
    for (int k = 0; k <= AvPresetCount; ++k) {
        const QString text =
            k == 0 ? QStringLiteral("Current &Setup...") : QStringLiteral("A/V Setup %1...").arg(k);
        QAction* action = unitMenu->addAction(text, this, [this, k] { setupFlow->Open(k); });
        action->setObjectName(k == 0 ? QStringLiteral("currentSetup")
                                     : QStringLiteral("avSetup%1").arg(k));
        setupActions[static_cast<std::size_t>(k)] = action;
    }

    helpMenu = menuBar()->addMenu(QStringLiteral("&Help"));
}

void ControlPanelDlg::ConnectViews()
{
    LiveStatus& status = session.Live();
    connect(&status, &LiveStatus::connectionLineRefreshed, this,
            &ControlPanelDlg::RefreshConnectionLine);
    connect(&status, &LiveStatus::connectionShown, this, &ControlPanelDlg::ShowConnection);
    connect(&status, &LiveStatus::mainPowerShown, this, &ControlPanelDlg::ShowMainPower);
    connect(&status, &LiveStatus::zonePowerShown, this, &ControlPanelDlg::ShowZonePower);
    connect(&status, &LiveStatus::tunerSectionUpdated, this, &ControlPanelDlg::UpdateTunerSection);
    connect(&status, &LiveStatus::reportApplied, this, &ControlPanelDlg::ApplyReport);
    connect(&status, &LiveStatus::inputNameReported, this, &ControlPanelDlg::ShowInputName);
    // A name the program sends shows on the main room's button at once; the
    // zone's follows the unit's report.
    connect(&status, &LiveStatus::inputNameAssumed, this, [this](int index, const QString& name) {
        if (index >= 0 && index < InputCount)
            mainSources[static_cast<std::size_t>(index)]->setText(name);
    });
    // A text longer than its field shows its start.
    connect(&status, &LiveStatus::psNameChanged, this, [this](const QString& name) {
        psName->setText(name);
        psName->setCursorPosition(0);
    });
    connect(&status, &LiveStatus::radioTextChanged, this, [this](const QString& text) {
        radioText->setText(text);
        radioText->setCursorPosition(0);
    });
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

void ControlPanelDlg::ConnectZoneAndTunerCommands()
{
    using Room = UnitCommands::Room;
    using Action = UnitCommands::TunerAction;
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

    const std::pair<QAbstractButton*, Action> actions[] = {{bandButtons[Band::Am], Action::BandAm},
                                                           {bandButtons[Band::Fm], Action::BandFm},
                                                           {seekUp, Action::SeekUp},
                                                           {seekDown, Action::SeekDown}};
    for (const auto& [button, action] : actions)
        connect(button, &QAbstractButton::clicked, this,
                [this, action = action] { commands.Tuner(action); });
    connect(frequencySpin, &SpinArrows::stepped, this,
            [this](int delta) { commands.StepFrequency(delta); });
    connect(presetSpin, &SpinArrows::stepped, this,
            [this](int delta) { commands.StepTunerPreset(delta); });
    connect(fmMute, &QCheckBox::clicked, this, [this] { commands.ToggleFmMute(); });
    connect(editPresets, &QPushButton::clicked, this, &ControlPanelDlg::editPresetsClicked);
    connect(saveSettings, &QPushButton::clicked, this, &ControlPanelDlg::saveSettingsClicked);
    connect(loadSettings, &QPushButton::clicked, this, &ControlPanelDlg::loadSettingsClicked);
}

// ---------------------------------------------------------------------------
// Life cycle

QString ControlPanelDlg::ConnectionLine() const
{
    return connectionLine->text();
}

void ControlPanelDlg::Initialise()
{
    PlaceWindow();
    trayIconAdded = desktopParts->AddTrayIcon();
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
    EndWait();
    const QRect frame = frameGeometry();
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QPoint origin = screen ? screen->availableGeometry().topLeft() : QPoint();
    OptionsStore::SavePosition(frame.left() - origin.x(), frame.top() - origin.y());
    desktopParts->RemoveTrayIcon();
    session.Stop();
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
// Views

void ControlPanelDlg::ShowConnection(bool connected)
{
    for (ReportCheckBox* power : {mainPower, zonePower}) {
        power->setEnabled(connected);
        if (!connected)
            power->setChecked(false);
    }
    refreshAction->setEnabled(connected);
    setupActions[0]->setEnabled(connected);
}

void ControlPanelDlg::ShowMainPower(bool on)
{
    for (QLabel* label : std::as_const(mainLabels))
        label->setEnabled(on);
    for (ReportRadioButton* button : mainSources)
        button->setEnabled(on);
    for (ReportRadioButton* button : surroundButtons)
        button->setEnabled(on);
    for (std::size_t i = 0; i < AvPresetCount; ++i) {
        recallButtons[i]->setEnabled(on);
        storeButtons[i]->setEnabled(on);
    }
    for (ReportCheckBox* box : {mainMute, speakersA, speakersB, tapeMonitor, toneDefeat}) {
        box->setEnabled(on);
        if (!on)
            box->setChecked(false);
    }
    for (QLineEdit* field : {mainVolume, signalType, bass, treble}) {
        field->setEnabled(on);
        if (!on)
            field->clear();
    }
    for (SpinArrows* spin : {mainVolumeSpin, bassSpin, trebleSpin})
        spin->setEnabled(on);
    if (!on) {
        SelectOnly(mainSources, -1);
        SelectOnly(surroundButtons, -1);
    }
}

void ControlPanelDlg::ShowZonePower(bool on)
{
    zoneVolumeLabel->setEnabled(on);
    for (ReportRadioButton* button : zoneSources)
        button->setEnabled(on);
    zoneMute->setEnabled(on);
    zoneVolume->setEnabled(on);
    zoneVolumeSpin->setEnabled(on);
    if (!on) {
        zoneMute->setChecked(false);
        zoneVolume->clear();
        SelectOnly(zoneSources, -1);
    }
}

void ControlPanelDlg::UpdateTunerSection(bool heard)
{
    const bool wasLive = frequency->isEnabled();
    for (ReportRadioButton* band : bandButtons)
        band->setEnabled(heard);
    for (QLabel* label : std::as_const(tunerLabels))
        label->setEnabled(heard);
    seekDown->setEnabled(heard);
    seekUp->setEnabled(heard);
    fmMute->setEnabled(heard);
    // Disabled before they are emptied: a field losing the focus this way
    // must not commit what it holds.
    for (QLineEdit* field : {frequency, preset, psName, radioText})
        field->setEnabled(heard);
    frequencySpin->setEnabled(heard);
    presetSpin->setEnabled(heard);
    if (!heard) {
        fmMute->setChecked(false);
        for (QLineEdit* field : {frequency, preset, psName, radioText})
            field->clear();
        SelectOnly(bandButtons, -1);
    } else if (!wasLive && (live.tunerBand == Band::Fm ? live.fmFrequency : live.amFrequency)) {
        // The unit reports the tuner's values whether or not it is heard, and
        // often before the source that makes it heard: show what is known
        // rather than empty fields until the next tuner report.
        ShowTunerBand();
    }
}

void ControlPanelDlg::RefreshConnectionLine()
{
    const LiveValues& status = live;
    const bool supported = status.connected && status.facts.IsSupportedModel();
    if (status.connected) {
        connectionLine->setText(
            QStringLiteral("Connected to %1 %2 on %3")
                .arg(status.facts.modelText, status.facts.versionText, session.Link().PortName()));
        // Only the refresh of a new connection enables them; a transfer may
        // have disabled them since.
        if (status.firstConnectionPending) {
            saveSettings->setEnabled(true);
            loadSettings->setEnabled(true);
        }
        const bool speakers = status.facts.HasSpeakerSwitching();
        speakersA->setVisible(speakers);
        speakersB->setVisible(speakers);
    } else {
        connectionLine->setText(QStringLiteral("Not Connected"));
        saveSettings->setEnabled(false);
        loadSettings->setEnabled(false);
    }
    unitMenu->setTitle(supported ? QStringLiteral("&") + status.facts.modelText
                                 : QStringLiteral("Unit"));
    warning->setVisible(status.connected && !supported);
    for (QAction* action : setupActions)
        action->setEnabled(supported);
}

// ---------------------------------------------------------------------------
// Reports

ReportCheckBox* ControlPanelDlg::CheckBoxOf(int variable) const
{
    switch (variable) {
    case Variable::MainPower:
        return mainPower;
    case Variable::ZonePower:
        return zonePower;
    case Variable::MainMute:
        return mainMute;
    case Variable::ZoneMute:
        return zoneMute;
    case Variable::TapeMonitor:
        return tapeMonitor;
    case Variable::SpeakersA:
        return speakersA;
    case Variable::SpeakersB:
        return speakersB;
    case Variable::ToneDefeat:
        return toneDefeat;
    case Variable::FmMute:
        return fmMute;
    default:
        return nullptr;
    }
}

void ControlPanelDlg::ApplyReport(int variable, int value, bool shown)
{
    if (!shown)
        return;
    if (ReportCheckBox* box = CheckBoxOf(variable)) {
        box->setChecked(value != 0);
        if (box == mainPower || box == zonePower)
            EndWait();
        return;
    }
    switch (variable) {
    case Variable::MainVolume:
        mainVolume->setText(session.Live().VolumeText(value));
        return;
    case Variable::ZoneVolume:
        zoneVolume->setText(session.Live().VolumeText(value));
        return;
    case Variable::Treble:
        treble->setText(QStringLiteral("%1 dB").arg(value));
        return;
    case Variable::Bass:
        bass->setText(QStringLiteral("%1 dB").arg(value));
        return;
    case Variable::SignalType:
        if (value >= 0 && value < SignalTypeCount)
            signalType->setText(Latin(SignalTypeNames[static_cast<std::size_t>(value)]));
        return;
    case Variable::SurroundMode:
        if (InRange(surroundModes, value) && surroundModes[static_cast<std::size_t>(value)])
            SelectOnly(surroundModes, value);
        return;
    case Variable::MainSource:
        if (InRange(mainSources, value))
            SelectOnly(mainSources, value);
        return;
    case Variable::ZoneSource:
        if (InRange(zoneSources, value))
            SelectOnly(zoneSources, value);
        return;
    case Variable::TunerBand:
        return ShowTunerBand();
    case Variable::AmFrequency:
    case Variable::FmFrequency:
        return ShowFrequency();
    case Variable::AmPreset:
    case Variable::FmPreset:
        return ShowPreset();
    default:
        return;
    }
}

void ControlPanelDlg::ShowInputName(int index, const QString& name)
{
    if (index < 0 || index >= InputCount)
        return;
    mainSources[static_cast<std::size_t>(index)]->setText(name);
    // The zone's button of input 8 is LOCAL and keeps its caption.
    if (index != SourceExternal)
        zoneSources[static_cast<std::size_t>(index)]->setText(name);
}

void ControlPanelDlg::ShowTunerBand()
{
    if (InRange(bandButtons, live.tunerBand))
        SelectOnly(bandButtons, live.tunerBand);
    ShowFrequency();
    ShowPreset();
}

void ControlPanelDlg::ShowFrequency()
{
    SetTextSelected(frequency, FrequencyText(live));
}

void ControlPanelDlg::ShowPreset()
{
    SetTextSelected(preset, PresetText(live));
}

// ---------------------------------------------------------------------------
// Commands

void ControlPanelDlg::StorePreset(int number)
{
    if (MessageBox::Confirm(this, MessageTable::Text(Message::StorePresetConfirm)))
        commands.StorePreset(number);
}

void ControlPanelDlg::CommitFrequency()
{
    if (!frequency->isEnabled())
        return;
    const bool fm = live.tunerBand == Band::Fm;
    const QString text = frequency->text();
    if (commands.SetFrequency(fm ? TunerEntry::ParseFm(text) : TunerEntry::ParseAm(text)))
        return;
    // Nothing usable, or what the unit has already: show the current value.
    frequency->setText(FrequencyText(live));
    frequency->selectAll();
}

void ControlPanelDlg::CommitPreset()
{
    if (!preset->isEnabled())
        return;
    if (commands.SetTunerPreset(TunerEntry::ParsePreset(preset->text())))
        return;
    preset->setText(PresetText(live));
    preset->selectAll();
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
// Events

bool ControlPanelDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != frequency && watched != preset)
        return QMainWindow::eventFilter(watched, event);
    const bool isFrequency = watched == frequency;
    switch (event->type()) {
    case QEvent::KeyPress: {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (IsEnterKey(key)) {
            isFrequency ? CommitFrequency() : CommitPreset();
            return true;
        }
        if (!isFrequency && IsRefusedInPresetField(key))
            return true;
        break;
    }
    case QEvent::FocusOut:
        // A context menu takes the focus only for a moment.
        if (static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason)
            isFrequency ? CommitFrequency() : CommitPreset();
        break;
    default:
        break;
    }
    return QMainWindow::eventFilter(watched, event);
}

bool ControlPanelDlg::event(QEvent* event)
{
    switch (event->type()) {
    case QEvent::WindowBlocked:
    case QEvent::WindowUnblocked: {
        const bool free = event->type() == QEvent::WindowUnblocked;
        if (blockable)
            blockable->setEnabled(free);
        if (centralWidget())
            centralWidget()->setEnabled(free);
        break;
    }
    case QEvent::WindowDeactivate:
        RememberFocus();
        break;
    case QEvent::WindowActivate: {
        const bool handled = QMainWindow::event(event);
        if (!rememberedFocus)
            RememberFocus();
        RestoreFocus();
        return handled;
    }
    default:
        break;
    }
    return QMainWindow::event(event);
}

void ControlPanelDlg::RememberFocus()
{
    QWidget* focused = focusWidget();
    if (focused && isAncestorOf(focused))
        rememberedFocus = focused;
}

std::span<ReportRadioButton* const> ControlPanelDlg::RadioGroupOf(const QWidget* widget) const
{
    for (std::span<ReportRadioButton* const> group :
         {std::span<ReportRadioButton* const>(mainSources),
          std::span<ReportRadioButton* const>(surroundButtons),
          std::span<ReportRadioButton* const>(zoneSources),
          std::span<ReportRadioButton* const>(bandButtons)}) {
        if (std::find(group.begin(), group.end(), widget) != group.end())
            return group;
    }
    return {};
}

void ControlPanelDlg::RestoreFocus()
{
    QWidget* remembered = rememberedFocus;
    if (!remembered)
        return;
    const std::span<ReportRadioButton* const> group = RadioGroupOf(remembered);
    if (group.empty()) {
        remembered->setFocus(Qt::ActiveWindowFocusReason);
        return;
    }
    // The radio buttons show the unit's selection: move the focus to the
    // selected one, walking the group from the button after the remembered
    // one and ending with the remembered one itself.
    const auto start = std::find(group.begin(), group.end(), remembered) - group.begin();
    const auto size = static_cast<std::ptrdiff_t>(group.size());
    for (std::ptrdiff_t step = 1; step <= size; ++step) {
        ReportRadioButton* button = group[static_cast<std::size_t>((start + step) % size)];
        if (button->isChecked()) {
            button->setFocus(Qt::ActiveWindowFocusReason);
            return;
        }
    }
}
