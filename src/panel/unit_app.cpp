#include "panel/unit_app.h"

#include "cli/cli_client.h"
#include "cli/cli_server.h"
#include "common/termination_signals.h"
#include "desktop/autostart.h"
#include "desktop/options_store.h"
#include "link/protocol_trace.h"
#include "panel/control_panel_dlg.h"
#include "panel/panel_features.h"

#include <QIcon>

UnitApp::UnitApp(int& argc, char** argv) : QApplication(argc, argv)
{
    setOrganizationName(QStringLiteral("Orvane"));
    setApplicationName(QStringLiteral("Veltrix PC Interface"));
    setApplicationVersion(QStringLiteral("%1.%2").arg(VersionMajor).arg(VersionMinor));
    setQuitOnLastWindowClosed(false);
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/veltrix/icons/veltrix_%1.png").arg(size), QSize(size, size));
    setWindowIcon(icon);
}

UnitApp::~UnitApp() = default;

int UnitApp::Run()
{
    // One program per user: a second start shows the first one's window.
    if (CliClient::Raise())
        return 0;
    const Options options = OptionsStore::Load();
    session.SetTiming(UnitSession::WithRetryPeriod(session.CurrentTiming(), options.retryPeriod));
    panel =
        std::make_unique<ControlPanelDlg>(session, options, Autostart::IsAutostart(arguments()));
    auto* features = new PanelFeatures(session, *panel, options, VersionMajor, VersionMinor);
    // The program ends when the panel shuts down (Escape, the close box,
    // Exit), not when its last visible window goes away: the panel may live
    // hidden in the tray.
    connect(panel.get(), &ControlPanelDlg::shutDownFinished, this, &QApplication::quit,
            Qt::QueuedConnection);
    WatchTerminationSignals();
    if (!tracePath.isEmpty()) {
        auto* trace = new ProtocolTrace(session.Link(), panel.get());
        if (!trace->Open(tracePath))
            qWarning("veltrix-pc-interface: no protocol trace to %s: %s", qPrintable(tracePath),
                     qPrintable(trace->ErrorString()));
        connect(&session.Transfer(), &MemoryTransfer::requestResent, trace,
                &ProtocolTrace::NoteResend);
        connect(trace, &ProtocolTrace::traceStopped, trace, [](const QString& reason) {
            qWarning("veltrix-pc-interface: protocol trace stopped: %s", qPrintable(reason));
        });
    }
    ServeCommandLines();
    features->Start();
    const int result = exec();
    panel.reset();
    return result;
}

void UnitApp::ServeCommandLines()
{
    auto* server = new CliServer(session, panel.get());
    QString error;
    if (!server->Listen(&error)) {
        qWarning("veltrix-pc-interface: command lines cannot run beside the program: %s",
                 qPrintable(error));
        return;
    }
    connect(server, &CliServer::raiseRequested, panel.get(), [this] {
        panel->showNormal();
        panel->raise();
        panel->activateWindow();
    });
}

void UnitApp::WatchTerminationSignals()
{
    auto* termination = new TerminationSignals(this);
    connect(termination, &TerminationSignals::terminationRequested, this, [this] {
        if (panel)
            panel->close();
    });
}
