#pragma once

#include "desktop/options.h"
#include "panel/control_panel_form.h"
#include "unit/unit_session.h"

#include <QMainWindow>
#include <QPointer>
#include <QTimer>

#include <span>

class DesktopIntegration;
class QAction;
class QActionGroup;
class QMenu;
class SetupFlow;

// The program's main window, titled "Veltrix PC Interface": the control
// panel of the attached receiver, with the Main, Zone and Tuner groups and
// the connection line. It owns the session with the unit.
//
// A view of the live unit: every control calls the session's commands, and
// check marks, radio selections and texts follow the live status's reports
// only, so the panel always shows what the unit last said. It keeps no copy
// of a reported value.
class ControlPanelDlg : public QMainWindow, private ControlPanelForm
{
    Q_OBJECT

public:
    // How long the wait cursor may stay after a click on Power, in ms; the
    // unit's power report ends it earlier.
    static constexpr int MainPowerWait = 8000;
    static constexpr int ZonePowerWait = 4000;

    ControlPanelDlg(const Options& options, bool startedByAutostart, QWidget* parent = nullptr);
    ~ControlPanelDlg() override;

    // Places and shows the window and starts probing for the unit.
    void Initialise();

    UnitSession& Session() { return session; }
    QString ConnectionLine() const;
    // The menus, for the features that add their entries to them: File
    // (entries go before ExitAction), the model's Unit menu, Help.
    QMenu* FileMenu() const { return fileMenu; }
    QAction* ExitAction() const { return exitAction; }
    QMenu* UnitMenu() const { return unitMenu; }
    QMenu* HelpMenu() const { return helpMenu; }
    // The setup flow, for the features that feed on read blocks (the
    // settings-file save).
    SetupFlow& Setup() const { return *setupFlow; }
    // The options, the tray icon, the volume popup and the port notice.
    DesktopIntegration& Desktop() const { return *desktopParts; }

    // The wait cursor over the window, ended by EndWait or after
    // `milliseconds`.
    void StartWait(int milliseconds);
    void EndWait();
    bool IsWaiting() const { return waiting; }

Q_SIGNALS:
    // The window stored its position and closed the port; the program ends.
    void shutDownFinished();
    // The bottom row's buttons; the features behind them listen.
    void editPresetsClicked();
    void saveSettingsClicked();
    void loadSettingsClicked();

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void BuildMenus();
    void ConnectViews();
    void ConnectMainCommands();
    void ConnectZoneAndTunerCommands();
    void PlaceWindow();
    void ShowWindow();
    void Shutdown();

    // The views, driven by the live status.
    void ShowConnection(bool connected);
    void ShowMainPower(bool on);
    void ShowZonePower(bool on);
    void UpdateTunerSection(bool heard);
    void RefreshConnectionLine();
    // The one switch from a report to a view.
    void ApplyReport(int variable, int value, bool shown);
    ReportCheckBox* CheckBoxOf(int variable) const;
    void ShowInputName(int index, const QString& name);
    void ShowTunerBand();
    void ShowFrequency();
    void ShowPreset();

    // Commands that need the window: a confirmation, a dialog, typed text.
    void StorePreset(int number);
    void CommitFrequency();
    void CommitPreset();
    void RenameInput(int index);

    // Focus restore on activation.
    void RememberFocus();
    void RestoreFocus();
    std::span<ReportRadioButton* const> RadioGroupOf(const QWidget* widget) const;

    UnitSession session;
    UnitCommands& commands = session.Commands();
    const LiveValues& live = session.Status();
    Options options;
    bool startedByAutostart = false;
    bool trayIconAdded = false;
    bool shutDown = false;

    QTimer waitTimer;
    bool waiting = false;
    QPointer<QWidget> rememberedFocus;

    QMenu* fileMenu = nullptr;
    QActionGroup* blockable = nullptr; // the menu entries a modal window blocks
    QAction* exitAction = nullptr;
    QMenu* unitMenu = nullptr;
    QMenu* helpMenu = nullptr;
    QAction* refreshAction = nullptr;
    // "Current Setup..." then "A/V Setup 1..." to "A/V Setup 5...".
    std::array<QAction*, 1 + AvPresetCount> setupActions{};
    SetupFlow* setupFlow = nullptr;
    DesktopIntegration* desktopParts = nullptr;
};
