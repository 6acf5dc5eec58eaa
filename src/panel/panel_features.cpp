#include "panel/panel_features.h"

#include "common/message_box.h"
#include "common/message_table.h"
#include "desktop/desktop_integration.h"
#include "desktop/help_menu_entries.h"
#include "files/settings_file_commands.h"
#include "panel/control_panel_dlg.h"
#include "setup/setup_flow.h"
#include "setup/setup_sheet.h"
#include "transfer/transfer_presenter.h"
#include "tuner/tuner_presets_dlg.h"
#include "tuner/tuner_presets_flow.h"
#include "unit/unit_session.h"

PanelFeatures::PanelFeatures(UnitSession& unitSession, ControlPanelDlg& controlPanel,
                             const Options& options, int versionMajor, int versionMinor)
    : QObject(&controlPanel), session(unitSession), panel(controlPanel)
{
    session.SetPortSetting(options.port);

    // The setup entries start a read; the sheet opens when it completes.
    setup = new SetupFlow(session, &panel);
    setup->SetEditor(SetupSheet::Editor(&panel));
    connect(&panel, &ControlPanelDlg::setupClicked, setup, &SetupFlow::Open);
    connect(setup, &SetupFlow::presetEmpty, &panel,
            [this] { MessageBox::Plain(&panel, MessageTable::Text(Message::PresetEmpty)); });
    // "Edit Presets" reads the tuner presets; their dialog opens when it
    // completes.
    presets = new TunerPresetsFlow(session, &panel);
    presets->SetEditor(TunerPresetsDlg::Editor(&panel));
    connect(&panel, &ControlPanelDlg::editPresetsClicked, presets, &TunerPresetsFlow::Open);

    files = new SettingsFileCommands(session, &panel);
    connect(&panel, &ControlPanelDlg::saveSettingsClicked, files, &SettingsFileCommands::Save);
    connect(&panel, &ControlPanelDlg::loadSettingsClicked, files, &SettingsFileCommands::Load);
    files->AddMenuEntry(panel.FileMenu(), panel.ExitAction());

    desktop = new DesktopIntegration(&panel, session, options, panel.FileMenu(), panel.ExitAction(),
                                     panel.HelpMenu());
    // Memory transfers disable the window and show their progress.
    new TransferPresenter(session.Transfer(), &panel);
    help = HelpMenuEntries::Install(*panel.HelpMenu(), panel, versionMajor, versionMinor);

    connect(&panel, &ControlPanelDlg::shutDownFinished, this, &PanelFeatures::Shutdown);
}

void PanelFeatures::Start()
{
    panel.PlaceWindow();
    const bool trayIconShown = desktop->AddTrayIcon();
    session.Start();
    panel.ShowWindow(trayIconShown);
}

void PanelFeatures::Shutdown()
{
    desktop->RemoveTrayIcon();
    session.Stop();
}
