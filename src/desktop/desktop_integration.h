#pragma once

#include "desktop/options.h"

#include <QObject>

#include <memory>

class AutostartEntry;
class PortNotice;
class QAction;
class QMainWindow;
class QMenu;
class TrayIcon;
class TrayMenu;
class UnitSession;
class VolumePopupDlg;

// The control panel's desktop pieces for the whole run: the options it
// holds with the "&Options..." command of the File menu, the log-on entry,
// the tray icon with its menu, the volume popup and the port notice. The
// window only adds the icon at start-up and removes it at shutdown.
class DesktopIntegration : public QObject
{
    Q_OBJECT

public:
    // "&Options..." goes into `fileMenu` before `exitAction`; the tray
    // menu's "About..." triggers the entry of `helpMenu` whose text begins
    // with "About", when there is one.
    DesktopIntegration(QMainWindow* window, UnitSession& session, const Options& options,
                       QMenu* fileMenu, QAction* exitAction, QMenu* helpMenu);
    ~DesktopIntegration() override;

    // Adds the tray icon when the option asks for it; true when an icon
    // really shows.
    bool AddTrayIcon();
    void RemoveTrayIcon();
    bool TrayIconShown() const;

    // Runs the Options dialog and applies what it returns with OK: stores
    // the settings, moves to a newly named port, writes or removes the
    // log-on entry, adds or removes the icon and re-enables the popup.
    void RunOptions();

    const Options& CurrentOptions() const { return options; }
    QAction* OptionsAction() const { return optionsAction; }
    TrayIcon& Tray() const { return *tray; }
    TrayMenu& Menu() const { return *menu; }
    VolumePopupDlg& Popup() const { return *popup; }
    PortNotice& Notice() const { return *notice; }

    // The log-on entry in use (the freedesktop.org autostart file by
    // default); tests give one in a folder of their own.
    void SetAutostartEntry(std::unique_ptr<AutostartEntry> entry);
    // The program the log-on entry starts (the running one by default).
    void SetProgramPath(const QString& path) { programPath = path; }

private:
    void ApplyOptions(const Options& chosen, bool autostartKnown);
    void TriggerAbout();

    QMainWindow* window;
    UnitSession& session;
    Options options;
    QMenu* helpMenu;
    QString programPath;
    std::unique_ptr<AutostartEntry> autostart;
    QAction* optionsAction = nullptr;
    TrayMenu* menu = nullptr;
    TrayIcon* tray = nullptr;
    VolumePopupDlg* popup = nullptr;
    PortNotice* notice = nullptr;
};
