#include "common/safe_save.h"

#include "common/local_file.h"

#include <QRandomGenerator>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A name beside `target` that did not exist: target.XXXXXX, created empty.
int CreateTemporary(const QByteArray& target, QByteArray* name)
{
    static constexpr char Letters[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    constexpr int Tries = 100;
    for (int attempt = 0; attempt < Tries; ++attempt) {
        QByteArray candidate = target + '.';
        for (int k = 0; k < 6; ++k)
            candidate += Letters[QRandomGenerator::global()->bounded(int(sizeof Letters) - 1)];
        // 0666: the umask applies, as to any new file.
        const int fd = ::open(candidate.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            *name = candidate;
            return fd;
        }
        if (errno != EEXIST && errno != EINTR)
            return -1;
    }
    return -1;
}

} // namespace

SafeSave::SafeSave(const QString& path) : target(LocalFile::Encode(path)) {}

SafeSave::~SafeSave()
{
    Cancel();
}

bool SafeSave::Fail(int code, QString* error)
{
    if (error)
        *error = qt_error_string(code);
    Cancel();
    return false;
}

bool SafeSave::Open(QString* error)
{
    Cancel();
    if (target.isEmpty() || target.contains('\0'))
        return Fail(ENOENT, error);
    struct stat info = {};
    if (::lstat(target.constData(), &info) == 0 && S_ISLNK(info.st_mode)) {
        char resolved[PATH_MAX];
        if (::realpath(target.constData(), resolved))
            target = resolved;
    }
    const bool exists = ::stat(target.constData(), &info) == 0;
    if (exists && !S_ISREG(info.st_mode)) {
        if (error)
            *error = QStringLiteral("not a regular file");
        return false;
    }
    if (exists && ::access(target.constData(), W_OK) != 0)
        return Fail(errno, error);
    const int fd = CreateTemporary(target, &temporary);
    if (fd < 0)
        return Fail(errno, error);
    if (exists)
        ::fchmod(fd, info.st_mode & 07777);
    if (!file.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        if (error)
            *error = file.errorString();
        Cancel();
        return false;
    }
    return true;
}

bool SafeSave::Commit(QString* error)
{
    if (!file.isOpen() || temporary.isEmpty())
        return Fail(EBADF, error);
    errno = 0;
    if (!file.flush() || file.error() != QFileDevice::NoError) {
        // The system's own words: Qt's may be "Unknown error" here.
        const int code = errno;
        if (code != 0)
            return Fail(code, error);
        if (error)
            *error = file.errorString();
        Cancel();
        return false;
    }
    if (::fsync(file.handle()) != 0)
        return Fail(errno, error);
    file.close();
    if (::rename(temporary.constData(), target.constData()) != 0)
        return Fail(errno, error);
    temporary.clear();
    return true;
}

void SafeSave::Cancel()
{
    const int saved = errno;
    file.close();
    if (!temporary.isEmpty())
        ::unlink(temporary.constData());
    temporary.clear();
    errno = saved;
}
