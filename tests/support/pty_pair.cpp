#include "pty_pair.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

PtyPair::PtyPair()
{
    char name[256] = {};
    if (openpty(&master, &slave, name, nullptr, nullptr) != 0) {
        master = slave = -1;
        return;
    }
    termios raw{};
    tcgetattr(slave, &raw);
    cfmakeraw(&raw);
    tcsetattr(slave, TCSANOW, &raw);
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
    slavePath = QString::fromLocal8Bit(name);
}

PtyPair::~PtyPair()
{
    CloseMaster();
    if (slave >= 0)
        ::close(slave);
}

void PtyPair::Write(const QByteArray& bytes) const
{
    qsizetype done = 0;
    while (master >= 0 && done < bytes.size()) {
        const ssize_t n = ::write(master, bytes.constData() + done,
                                  static_cast<size_t>(bytes.size() - done));
        if (n <= 0) {
            pollfd pfd{master, POLLOUT, 0};
            ::poll(&pfd, 1, 100);
            continue;
        }
        done += n;
    }
}

QByteArray PtyPair::Read(int timeoutMs) const
{
    QByteArray out;
    int wait = timeoutMs;
    while (master >= 0) {
        pollfd pfd{master, POLLIN, 0};
        if (::poll(&pfd, 1, wait) <= 0 || !(pfd.revents & POLLIN))
            break;
        char buffer[512];
        const ssize_t n = ::read(master, buffer, sizeof buffer);
        if (n <= 0)
            break;
        out.append(buffer, n);
        wait = 50;
    }
    return out;
}

void PtyPair::CloseMaster()
{
    if (master >= 0)
        ::close(master);
    master = -1;
}
