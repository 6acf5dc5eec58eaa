#pragma once

#include "desktop/options.h"

#include <QObject>

class ControlPanelDlg;
class DesktopIntegration;
class HelpMenuEntries;
class SettingsFileCommands;
class SetupFlow;
class TunerPresetsFlow;
class UnitSession;

// The features around the control panel, built by the application for the
// whole run and wired to the panel's menus and buttons: the setup flow with
// its sheet, the tuner presets flow with its dialog, the settings-file
// commands, the desktop pieces (options, tray icon, volume popup, port
// notice), the transfer progress and the Help menu. Each gets the session
// and the panel as the parent of its windows; none reaches the session
// through the panel.
//
// Owned by the panel (a child object), so the features go with it; the
// session outlives both.
class PanelFeatures : public QObject
{
    Q_OBJECT

public:
    PanelFeatures(UnitSession& session, ControlPanelDlg& panel, const Options& options,
                  int versionMajor, int versionMinor);

    // Places the panel, adds the tray icon, starts probing for the unit and
    // shows the panel. At shutdown the icon goes and the port closes.
    void Start();

    SetupFlow& Setup() const { return *setup; }
    TunerPresetsFlow& Presets() const { return *presets; }
    SettingsFileCommands& Files() const { return *files; }
    DesktopIntegration& Desktop() const { return *desktop; }
    HelpMenuEntries& Help() const { return *help; }

private:
    void Shutdown();

    UnitSession& session;
    ControlPanelDlg& panel;
    SetupFlow* setup = nullptr;
    TunerPresetsFlow* presets = nullptr;
    SettingsFileCommands* files = nullptr;
    DesktopIntegration* desktop = nullptr;
    HelpMenuEntries* help = nullptr;
};
