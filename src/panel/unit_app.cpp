#include "panel/unit_app.h"

#include "desktop/options_store.h"
#include "panel/control_panel_dlg.h"

#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int signalPipe[2] = {-1, -1};

void OnTerminationSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(signalPipe[1], &byte, 1);
}

} // namespace

UnitApp::UnitApp(int& argc, char** argv) : QApplication(argc, argv)
{
    setOrganizationName(QStringLiteral("Orvane"));
    setApplicationName(QStringLiteral("Veltrix PC Interface"));
    setApplicationVersion(QStringLiteral("%1.%2").arg(VersionMajor).arg(VersionMinor));
    setQuitOnLastWindowClosed(false);
}

UnitApp::~UnitApp() = default;

bool UnitApp::IsAutostart(const QStringList& arguments)
{
    return arguments.size() == 2 && arguments.at(1) == QLatin1String("/run");
}

int UnitApp::Run()
{
    panel = std::make_unique<ControlPanelDlg>(OptionsStore::Load(), IsAutostart(arguments()));
    // The program ends when the panel shuts down (Escape, the close box,
    // Exit), not when its last visible window goes away: the panel may live
    // hidden in the tray.
    connect(panel.get(), &ControlPanelDlg::shutDownFinished, this, &QApplication::quit,
            Qt::QueuedConnection);
    WatchTerminationSignals();
    panel->Initialise();
    const int result = exec();
    panel.reset();
    return result;
}

void UnitApp::WatchTerminationSignals()
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0)
        return;
    auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, [this] {
        char byte = 0;
        [[maybe_unused]] const ssize_t n = ::read(signalPipe[0], &byte, 1);
        if (panel)
            panel->close();
    });
    struct sigaction action = {};
    action.sa_handler = OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}
