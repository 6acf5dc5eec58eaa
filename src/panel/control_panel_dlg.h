#pragma once

#include "desktop/options.h"
#include "panel/control_panel_form.h"

#include <QMainWindow>
#include <QTimer>

#include <memory>

class FocusReturn;
class QActionGroup;
class TunerFields;
class UnitCommands;
class UnitSession;

// The program's main window, titled "Veltrix PC Interface": the control
// panel of the attached receiver, with the Main, Zone and Tuner groups and
// the connection line.
//
// A view of the live unit: every control calls the session's commands, and
// check marks, radio selections and texts follow the live status's reports
// only, so the panel always shows what the unit last said. It keeps no copy
// of a reported value. The features (setup, tuner presets, settings files,
// desktop, help) hang their entries on its menus and buttons; the
// application wires them.
class ControlPanelDlg : public QMainWindow, private ControlPanelForm
{
    Q_OBJECT

public:
    // How long the wait cursor may stay after a click on Power, in ms; the
    // unit's power report ends it earlier.
    static constexpr int MainPowerWait = 8000;
    static constexpr int ZonePowerWait = 4000;

    // `session` outlives the window.
    ControlPanelDlg(UnitSession& session, const Options& options, bool startedByAutostart,
                    QWidget* parent = nullptr);
    ~ControlPanelDlg() override;

    // At start-up: the stored position kept on the screen.
    void PlaceWindow();
    // Shown, or minimised when started at log-on with that option; hidden
    // (in the tray) only when the tray icon really shows.
    void ShowWindow(bool trayIconShown);

    // The session the window shows; tests drive the unit through it. The
    // features get it from the application, never from here.
    UnitSession& Session() const { return session; }
    QString ConnectionLine() const;
    // The menus, for the features that add their entries to them: File
    // (entries go before ExitAction), the model's Unit menu, Help.
    QMenu* FileMenu() const { return fileMenu; }
    QAction* ExitAction() const { return exitAction; }
    QMenu* UnitMenu() const { return unitMenu; }
    QMenu* HelpMenu() const { return helpMenu; }

    // The wait cursor over the window, ended by EndWait or after
    // `milliseconds`.
    void StartWait(int milliseconds);
    void EndWait();
    bool IsWaiting() const { return waiting; }

Q_SIGNALS:
    // The window stored its position; the owner removes the tray icon,
    // closes the port and ends the program.
    void shutDownFinished();
    // The menu entries and bottom buttons the features serve: setup 0 is
    // "Current Setup...", 1 to 5 "A/V Setup 1..." to "A/V Setup 5...".
    void setupClicked(int index);
    void editPresetsClicked();
    void saveSettingsClicked();
    void loadSettingsClicked();

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void ConnectMenus();
    void ConnectMainCommands();
    void ConnectZoneCommands();
    void BlockMenus(bool blocked);
    void Shutdown();

    // Commands that need the window: a confirmation, a dialog.
    void StorePreset(int number);
    void RenameInput(int index);

    UnitSession& session;
    UnitCommands& commands;
    Options options;
    bool startedByAutostart = false;
    bool shutDown = false;

    QTimer waitTimer;
    bool waiting = false;
    // The menu entries a modal window blocks.
    QActionGroup* blockable = nullptr;
    std::unique_ptr<FocusReturn> focusReturn;
    // Goes before the form's fields (see TunerFields).
    std::unique_ptr<TunerFields> tunerFields;
};
