#include "pty_endpoint.h"

#include <QSocketNotifier>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace {

// Unread bytes at the slave beyond which nobody is taken to be listening.
constexpr int StaleInputLimit = 1024;

QString ErrnoText(const char* what)
{
    return QStringLiteral("%1: %2").arg(QString::fromLatin1(what),
                                        QString::fromLocal8Bit(std::strerror(errno)));
}

} // namespace

PtyEndpoint::PtyEndpoint(QObject* parent) : LineEndpoint(parent) {}

PtyEndpoint::~PtyEndpoint()
{
    Close();
}

bool PtyEndpoint::Open(QString* error)
{
    Close();
    char name[256] = {};
    if (openpty(&master, &slave, name, nullptr, nullptr) != 0) {
        if (error)
            *error = ErrnoText("openpty");
        master = slave = -1;
        return false;
    }
    termios raw{};
    tcgetattr(slave, &raw);
    cfmakeraw(&raw);
    tcsetattr(slave, TCSANOW, &raw);
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
    fcntl(master, F_SETFD, FD_CLOEXEC);
    fcntl(slave, F_SETFD, FD_CLOEXEC);
    slavePath = QString::fromLocal8Bit(name);

    readNotifier = new QSocketNotifier(master, QSocketNotifier::Read, this);
    connect(readNotifier, &QSocketNotifier::activated, this, &PtyEndpoint::OnReadable);
    writeNotifier = new QSocketNotifier(master, QSocketNotifier::Write, this);
    writeNotifier->setEnabled(false);
    connect(writeNotifier, &QSocketNotifier::activated, this, &PtyEndpoint::OnWritable);
    return true;
}

void PtyEndpoint::Close()
{
    delete readNotifier;
    readNotifier = nullptr;
    delete writeNotifier;
    writeNotifier = nullptr;
    pending.clear();
    if (master >= 0)
        ::close(master);
    if (slave >= 0)
        ::close(slave);
    master = slave = -1;
}

void PtyEndpoint::Write(const QByteArray& bytes)
{
    if (master < 0 || bytes.isEmpty())
        return;
    int unread = 0;
    if (ioctl(slave, FIONREAD, &unread) == 0 && unread > StaleInputLimit)
        tcflush(slave, TCIFLUSH);
    pending.append(bytes);
    Flush();
}

void PtyEndpoint::Flush()
{
    while (!pending.isEmpty()) {
        const ssize_t written =
            ::write(master, pending.constData(), static_cast<size_t>(pending.size()));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            break;
        pending.remove(0, written);
    }
    if (writeNotifier)
        writeNotifier->setEnabled(!pending.isEmpty());
}

void PtyEndpoint::OnWritable()
{
    Flush();
}

void PtyEndpoint::OnReadable()
{
    char buffer[512];
    const ssize_t count = ::read(master, buffer, sizeof buffer);
    // EIO only while no slave is open, which our own descriptor prevents.
    if (count > 0)
        Q_EMIT bytesArrived(QByteArray(buffer, count));
}
