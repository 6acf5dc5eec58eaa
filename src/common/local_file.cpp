#include "common/local_file.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr char16_t EscapeBase = 0xDC00; // + the byte, 0x80..0xFF

bool IsEscape(char16_t unit)
{
    return unit >= EscapeBase + 0x80 && unit <= EscapeBase + 0xFF;
}

// The length of the valid UTF-8 sequence at `i`, 0 when there is none.
int SequenceLength(QByteArrayView bytes, qsizetype i, char32_t* code)
{
    const auto lead = static_cast<unsigned char>(bytes[i]);
    const int length = lead < 0x80                    ? 1
                       : lead >= 0xC2 && lead <= 0xDF ? 2
                       : lead >= 0xE0 && lead <= 0xEF ? 3
                       : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                      : 0;
    if (length == 0 || i + length > bytes.size())
        return 0;
    char32_t value = length == 1 ? lead : lead & (0x7F >> length);
    for (int k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(bytes[i + k]);
        if ((next & 0xC0) != 0x80)
            return 0;
        value = (value << 6) | (next & 0x3F);
    }
    // Overlong forms, surrogates and values beyond U+10FFFF are not UTF-8.
    const bool overlong = (length == 3 && value < 0x800) || (length == 4 && value < 0x10000);
    if (overlong || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return 0;
    *code = value;
    return length;
}

void SetError(QString* error, const QString& reason)
{
    if (error)
        *error = reason;
}

// Opens by the name's bytes without waiting; -1 with the reason otherwise.
int OpenNonBlocking(const QString& path, int flags, QString* error)
{
    const QByteArray name = LocalFile::Encode(path);
    if (name.contains('\0')) {
        SetError(error, qt_error_string(ENOENT));
        return -1;
    }
    int fd = -1;
    do {
        fd = ::open(name.constData(), flags | O_NONBLOCK | O_CLOEXEC, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        SetError(error, qt_error_string(errno));
    return fd;
}

// Hands `fd` to `file`, blocking from now on as any file; closes it on failure.
bool Adopt(int fd, QFile& file, QIODevice::OpenMode mode, QString* error)
{
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        SetError(error, qt_error_string(errno));
        ::close(fd);
        return false;
    }
    if (!file.open(fd, mode, QFileDevice::AutoCloseHandle)) {
        SetError(error, file.errorString());
        ::close(fd);
        return false;
    }
    return true;
}

} // namespace

QString LocalFile::Decode(QByteArrayView bytes)
{
    QString text;
    text.reserve(bytes.size());
    for (qsizetype i = 0; i < bytes.size();) {
        char32_t code = 0;
        const int length = SequenceLength(bytes, i, &code);
        if (length == 0) {
            text += QChar(static_cast<char16_t>(EscapeBase + static_cast<unsigned char>(bytes[i])));
            ++i;
            continue;
        }
        if (QChar::requiresSurrogates(code)) {
            text += QChar(QChar::highSurrogate(code));
            text += QChar(QChar::lowSurrogate(code));
        } else {
            text += QChar(static_cast<char16_t>(code));
        }
        i += length;
    }
    return text;
}

QByteArray LocalFile::Encode(QStringView text)
{
    QByteArray bytes;
    qsizetype plain = 0; // where the text not yet encoded begins
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i].unicode();
        if (QChar::isHighSurrogate(unit) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            ++i;
            continue;
        }
        if (!IsEscape(unit))
            continue;
        bytes += text.sliced(plain, i - plain).toUtf8();
        bytes += static_cast<char>(unit - EscapeBase);
        plain = i + 1;
    }
    bytes += text.sliced(plain).toUtf8();
    return bytes;
}

QStringList LocalFile::Arguments(int argc, char** argv)
{
    QStringList words;
    for (int i = 1; i < argc; ++i)
        words << Decode(argv[i]);
    return words;
}

bool LocalFile::OpenForReading(const QString& path, QFile& file, QString* error)
{
    const int fd = OpenNonBlocking(path, O_RDONLY, error);
    if (fd < 0)
        return false;
    struct stat info = {};
    const bool known = ::fstat(fd, &info) == 0;
    if (!known || !S_ISREG(info.st_mode)) {
        SetError(error, known ? QStringLiteral("not a regular file") : qt_error_string(errno));
        ::close(fd);
        return false;
    }
    return Adopt(fd, file, QIODevice::ReadOnly, error);
}

bool LocalFile::OpenForWriting(const QString& path, QFile& file, QIODevice::OpenMode mode,
                               QString* error)
{
    const int fd = OpenNonBlocking(path, O_WRONLY | O_CREAT | O_TRUNC, error);
    return fd >= 0 && Adopt(fd, file, mode | QIODevice::WriteOnly, error);
}

bool LocalFile::ReadAll(const QString& path, qint64 maxBytes, const char* what, QByteArray* bytes,
                        QString* error)
{
    QFile file;
    if (!OpenForReading(path, file, error))
        return false;
    const auto tooLarge = [&](qint64 size) {
        SetError(
            error,
            QStringLiteral("too large to be %1 (%2 bytes)").arg(QLatin1String(what)).arg(size));
        return false;
    };
    if (file.size() > maxBytes)
        return tooLarge(file.size());
    // One byte more than allowed shows a file that grew meanwhile.
    QByteArray read = file.read(maxBytes + 1);
    if (file.error() != QFileDevice::NoError) {
        SetError(error, file.errorString());
        return false;
    }
    if (read.size() > maxBytes)
        return tooLarge(read.size());
    *bytes = read;
    return true;
}
