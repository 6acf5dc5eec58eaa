#include "desktop/desktop_integration.h"

#include "desktop/options_dlg.h"
#include "desktop/options_store.h"
#include "desktop/port_list.h"
#include "desktop/port_notice.h"
#include "desktop/tray_icon.h"
#include "desktop/tray_menu.h"
#include "desktop/volume_popup_dlg.h"
#include "desktop/xdg_autostart_entry.h"
#include "unit/unit_session.h"

#include <QCoreApplication>
#include <QMainWindow>
#include <QMenu>

DesktopIntegration::DesktopIntegration(QMainWindow* mainWindow, UnitSession& unitSession,
                                       const Options& startOptions, QMenu* fileMenu,
                                       QAction* exitAction, QMenu* help)
    : QObject(mainWindow), window(mainWindow), session(unitSession), options(startOptions),
      helpMenu(help), programPath(QCoreApplication::applicationFilePath()),
      autostart(std::make_unique<XdgAutostartEntry>())
{
    optionsAction = new QAction(QStringLiteral("&Options..."), this);
    optionsAction->setObjectName(QStringLiteral("optionsCommand"));
    connect(optionsAction, &QAction::triggered, this, &DesktopIntegration::RunOptions);
    if (fileMenu)
        fileMenu->insertAction(exitAction, optionsAction);

    menu = new TrayMenu(session, window);
    tray = new TrayIcon(window, menu, this);
    tray->SetLeftClick(options.leftClick);
    tray->SetMinimizeToTray(options.minimizeToTray);
    popup = new VolumePopupDlg(session, window);
    popup->SetLeftClick(options.leftClick);
    notice = new PortNotice(session, window);

    connect(menu, &TrayMenu::openTriggered, tray, &TrayIcon::RestoreWindow);
    connect(menu, &TrayMenu::aboutTriggered, this, &DesktopIntegration::TriggerAbout);
    connect(tray, &TrayIcon::popupRequested, popup, &VolumePopupDlg::Open);
}

DesktopIntegration::~DesktopIntegration() = default;

void DesktopIntegration::SetAutostartEntry(std::unique_ptr<AutostartEntry> entry)
{
    autostart = std::move(entry);
}

bool DesktopIntegration::AddTrayIcon()
{
    return options.enableTrayIcon && tray->Add();
}

void DesktopIntegration::RemoveTrayIcon()
{
    tray->Remove();
}

bool DesktopIntegration::TrayIconShown() const
{
    return tray->IsShown();
}

void DesktopIntegration::RunOptions()
{
    Options current = options;
    const std::optional<bool> entry = autostart->Exists();
    if (entry)
        current.autostart = *entry;
    OptionsDlg dialog(window);
    dialog.SetValues(current, PortList::Items(PortList::PresentPorts()), tray->Available());
    if (dialog.Run())
        ApplyOptions(dialog.Values(), entry.has_value());
}

void DesktopIntegration::ApplyOptions(const Options& chosen, bool autostartKnown)
{
    const bool portChanged = chosen.port != session.PortSetting();
    options.port = chosen.port;
    options.autostartMinimized = chosen.autostartMinimized;
    options.enableTrayIcon = chosen.enableTrayIcon;
    options.minimizeToTray = chosen.minimizeToTray;
    options.leftClick = chosen.leftClick;
    OptionsStore::SaveSettings(options);

    if (portChanged)
        notice->Clear();
    session.ChangePortSetting(options.port);

    // An entry whose place could not be read is neither written nor removed.
    if (autostartKnown) {
        const bool done = chosen.autostart ? autostart->Write(programPath) : autostart->Remove();
        options.autostart = done ? chosen.autostart : autostart->Exists().value_or(false);
    }

    if (options.enableTrayIcon != tray->IsShown()) {
        if (options.enableTrayIcon)
            tray->Add();
        else
            tray->Remove();
    }
    tray->SetLeftClick(options.leftClick);
    tray->SetMinimizeToTray(options.minimizeToTray);
    popup->SetLeftClick(options.leftClick);
}

void DesktopIntegration::TriggerAbout()
{
    if (!helpMenu)
        return;
    const QList<QAction*> entries = helpMenu->actions();
    for (QAction* entry : entries) {
        if (QString(entry->text()).remove(u'&').startsWith(QLatin1String("About"))) {
            entry->trigger();
            return;
        }
    }
}
