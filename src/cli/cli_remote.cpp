#include "cli/cli_remote.h"

#include "common/local_file.h"

#include <QDataStream>
#include <QFile>
#include <QStandardPaths>

#include <climits>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr quint32 RequestVersion = 1;

// Joined by hand: QFileInfo would pass the name through the local encoding
// and lose bytes that are not UTF-8 (LocalFile keeps them as surrogates).
QString Absolute(const QString& path)
{
    if (path.isEmpty() || path.startsWith(u'/'))
        return path;
    char folder[PATH_MAX];
    if (!::getcwd(folder, sizeof folder))
        return path;
    return LocalFile::Decode(folder) + u'/' + path;
}

QString Folder()
{
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return runtime.isEmpty() ? QString() : runtime + QStringLiteral("/veltrix-pc-interface");
}

} // namespace

QString CliRemote::SocketPath()
{
    const QString folder = Folder();
    return folder.isEmpty() ? folder : folder + QStringLiteral("/command-line");
}

bool CliRemote::PrepareFolder(QString* error)
{
    const QString folder = Folder();
    if (folder.isEmpty()) {
        *error = QStringLiteral("no runtime folder ($XDG_RUNTIME_DIR)");
        return false;
    }
    const QByteArray path = QFile::encodeName(folder);
    if (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST) {
        *error = QStringLiteral("%1: %2").arg(folder, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    struct stat info = {};
    if (::lstat(path.constData(), &info) != 0 || !S_ISDIR(info.st_mode) ||
        info.st_uid != ::geteuid() || (info.st_mode & 077) != 0) {
        *error = QStringLiteral("%1 is not a private folder of this user").arg(folder);
        return false;
    }
    return true;
}

QByteArray CliRemote::Frame(Kind kind, const QByteArray& body)
{
    QByteArray frame;
    const auto size = static_cast<quint32>(body.size() + 1);
    for (int shift = 24; shift >= 0; shift -= 8)
        frame.append(static_cast<char>(size >> shift & 0xFF));
    frame.append(static_cast<char>(kind));
    frame.append(body);
    return frame;
}

bool CliRemote::TakeFrame(QByteArray& buffer, Kind* kind, QByteArray* body, bool* bad)
{
    *bad = false;
    if (buffer.size() < 4)
        return false;
    quint32 size = 0;
    for (int i = 0; i < 4; ++i)
        size = size << 8 | static_cast<quint8>(buffer.at(i));
    if (size == 0 || size > MaxFrame) {
        *bad = true;
        return false;
    }
    if (buffer.size() < 4 + static_cast<qsizetype>(size))
        return false;
    *kind = static_cast<Kind>(buffer.at(4));
    *body = buffer.mid(5, size - 1);
    buffer.remove(0, 4 + size);
    return true;
}

QByteArray CliRemote::EncodeRequest(const CliRequest& request, bool errIsTerminal)
{
    QByteArray body;
    QDataStream out(&body, QIODevice::WriteOnly);
    const ConfigurationParts& only = request.only;
    const LiveVerb& verb = request.verb;
    out << RequestVersion << static_cast<qint32>(request.command) << Absolute(request.file)
        << Absolute(request.file2) << request.port << Absolute(request.tracePath)
        << static_cast<qint32>(request.retryMs) << request.quiet << request.yes << request.verify
        << request.dryRun << request.json << only.currentSetup << only.inputNames << only.tuner;
    for (bool preset : only.presets)
        out << preset;
    out << static_cast<qint32>(verb.kind) << verb.zone << verb.which << verb.argument
        << static_cast<qint32>(verb.number) << verb.on << errIsTerminal;
    return body;
}

bool CliRemote::DecodeRequest(const QByteArray& body, CliRequest* request, bool* errIsTerminal)
{
    QDataStream in(body);
    quint32 version = 0;
    qint32 command = 0;
    qint32 retry = 0;
    qint32 kind = 0;
    qint32 number = 0;
    CliRequest decoded;
    ConfigurationParts& only = decoded.only;
    LiveVerb& verb = decoded.verb;
    in >> version >> command >> decoded.file >> decoded.file2 >> decoded.port >>
        decoded.tracePath >> retry >> decoded.quiet >> decoded.yes >> decoded.verify >>
        decoded.dryRun >> decoded.json >> only.currentSetup >> only.inputNames >> only.tuner;
    for (bool& preset : only.presets)
        in >> preset;
    in >> kind >> verb.zone >> verb.which >> verb.argument >> number >> verb.on >> *errIsTerminal;
    // Only a command the unit serves comes this way; help, version and a
    // diff of two files run in the client.
    const auto first = static_cast<qint32>(CliRequest::Command::Status);
    const auto last = static_cast<qint32>(CliRequest::Command::Watch);
    const auto lastKind = static_cast<qint32>(LiveVerb::Kind::TunerPreset);
    if (in.status() != QDataStream::Ok || !in.atEnd() || version != RequestVersion ||
        command < first || command > last || kind < 0 || kind > lastKind || retry < 0)
        return false;
    decoded.command = static_cast<CliRequest::Command>(command);
    decoded.retryMs = retry;
    verb.kind = static_cast<LiveVerb::Kind>(kind);
    verb.number = number;
    if (decoded.command == CliRequest::Command::Diff && !decoded.file2.isEmpty())
        return false;
    *request = decoded;
    return true;
}
