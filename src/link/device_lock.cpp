#include "link/device_lock.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

// The kernel keeps this much of a program's name (TASK_COMM_LEN less one).
constexpr qsizetype CommandNameLimit = 15;

// The first field of a /proc file of the process: up to a NUL or the end.
QByteArray ProcField(qint64 pid, QLatin1String name)
{
    QFile file(QStringLiteral("/proc/%1/%2").arg(pid).arg(name));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QByteArray bytes = file.read(4096);
    const qsizetype end = bytes.indexOf('\0');
    if (end >= 0)
        bytes.truncate(end);
    return bytes.trimmed();
}

// The program's file name: the kernel's name of the process, or the file
// name of its first argument where the kernel's is that name cut short.
QString ProgramName(qint64 pid)
{
    QByteArray name = ProcField(pid, QLatin1String("comm"));
    QByteArray argument = ProcField(pid, QLatin1String("cmdline"));
    argument = argument.mid(argument.lastIndexOf('/') + 1);
    if (name.size() == CommandNameLimit && argument.startsWith(name))
        name = argument;
    // Another program's choice of name goes to a terminal: no control bytes.
    QString text = QString::fromLocal8Bit(name);
    for (QChar& c : text) {
        if (!c.isPrint())
            c = u'?';
    }
    return text;
}

// False only when another open file holds the lock; where the file system
// has no flock, the lock neither claims nor refuses anything.
bool Claim(int fd)
{
    return ::flock(fd, LOCK_EX | LOCK_NB) == 0 || errno != EWOULDBLOCK;
}

// The lock file of a device number, opened for reading (all a flock needs,
// and all a file another user made allows); -1 when it cannot be had.
int OpenNumberLock(dev_t device)
{
    const QByteArray path = QFile::encodeName(QStringLiteral("%1/veltrix-char-%2-%3")
                                                  .arg(QLatin1String(DeviceLock::LockDir))
                                                  .arg(major(device))
                                                  .arg(minor(device)));
    // Not a link someone planted, and never a wait on a planted FIFO.
    constexpr int Flags = O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK;
    for (int attempt = 0; attempt < 2; ++attempt) {
        int fd = ::open(path.constData(), Flags);
        if (fd >= 0 || errno != ENOENT)
            return fd;
        fd = ::open(path.constData(), Flags | O_CREAT | O_EXCL, 0644);
        if (fd >= 0) {
            ::fchmod(fd, 0644); // whatever the umask: every user locks this file
            return fd;
        }
        if (errno != EEXIST)
            return -1;
    }
    return -1;
}

} // namespace

DeviceLock::Outcome DeviceLock::Take(const QString& path)
{
    Release();
    holder = {};
    const QByteArray file = QFile::encodeName(path);
    deviceFd = ::open(file.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (deviceFd < 0) {
        if (errno != EBUSY)
            return Outcome::Unopened;
        // Held in exclusive mode, which only root passes.
        struct stat node
        {
        };
        if (::stat(file.constData(), &node) == 0)
            holder = FindHolder(node.st_dev, node.st_ino);
        return Outcome::Busy;
    }
    if (!Claim(deviceFd))
        return Refuse(deviceFd);
    struct stat device
    {
    };
    if (::fstat(deviceFd, &device) == 0 && S_ISCHR(device.st_mode)) {
        numberFd = OpenNumberLock(device.st_rdev);
        if (numberFd >= 0 && !Claim(numberFd))
            return Refuse(numberFd);
    }
    return Outcome::Taken;
}

DeviceLock::Outcome DeviceLock::Refuse(int lockedFd)
{
    struct stat file
    {
    };
    if (::fstat(lockedFd, &file) == 0)
        holder = FindHolder(file.st_dev, file.st_ino);
    Release();
    return Outcome::Busy;
}

void DeviceLock::Release()
{
    for (int* fd : {&numberFd, &deviceFd}) {
        if (*fd >= 0)
            ::close(*fd);
        *fd = -1;
    }
}

LineTransport::Holder DeviceLock::FindHolder(dev_t fileSystem, ino_t inode)
{
    QFile locks(QStringLiteral("/proc/locks"));
    if (!locks.open(QIODevice::ReadOnly))
        return {};
    // "1: FLOCK  ADVISORY  WRITE 1234 00:1a:3 0 EOF": the pid, then the file
    // as major:minor (hex) of its file system and the inode; "->" marks a
    // waiter, not a holder.
    const QByteArray wanted = QByteArray::number(major(fileSystem), 16).rightJustified(2, '0') +
                              ':' +
                              QByteArray::number(minor(fileSystem), 16).rightJustified(2, '0') +
                              ':' + QByteArray::number(static_cast<quint64>(inode));
    for (const QByteArray& line : locks.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() < 6 || fields.at(1) == "->" || fields.at(5) != wanted)
            continue;
        bool ok = false;
        const qint64 pid = fields.at(4).toLongLong(&ok);
        if (ok && pid > 0) // an open file description lock has no process: -1
            return {pid, ProgramName(pid)};
    }
    return {};
}
