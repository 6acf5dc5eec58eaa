#include "common/termination_signals.h"

#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int signalPipe[2] = {-1, -1};

// Ctrl-C, a request to end (logout, kill), and the terminal going away (an
// ssh session dropped): each ends the program as its own quit would.
constexpr int Handled[] = {SIGINT, SIGTERM, SIGHUP};

void OnSignal(int)
{
    // Only async-signal-safe calls here; the event loop reads the byte.
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
}

} // namespace

TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent)
{
    if (signalPipe[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0)
        return;
    struct sigaction action = {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    std::signal(SIGPIPE, SIG_IGN);
    for (const int number : Handled) {
        if (::sigaction(number, &action, nullptr) != 0)
            return;
    }
    notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, [this] {
        char byte = 0;
        [[maybe_unused]] const ssize_t n = ::read(signalPipe[0], &byte, 1);
        Q_EMIT terminationRequested();
    });
}

TerminationSignals::~TerminationSignals()
{
    for (const int number : Handled)
        std::signal(number, SIG_DFL);
}
