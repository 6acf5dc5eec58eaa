#include "desktop/upgrade_check_file.h"

#include <QIODevice>
#include <QRegularExpression>

namespace {

const QString VersionKey = QStringLiteral("K220Version");
const QString AddressKey = QStringLiteral("DownloadURL");

// The text after the first "=", trimmed; a line without "=" has no value.
QString ValueOf(const QString& line)
{
    const qsizetype equals = line.indexOf(QLatin1Char('='));
    return equals < 0 ? QString() : line.mid(equals + 1).trimmed();
}

} // namespace

UpgradeCheckFile UpgradeCheckFile::Parse(QIODevice& device)
{
    return Parse(device.readAll());
}

UpgradeCheckFile UpgradeCheckFile::Parse(const QByteArray& text)
{
    UpgradeCheckFile file;
    const QStringList lines =
        QString::fromUtf8(text).split(QRegularExpression(QStringLiteral("\r\n|\r|\n")));
    for (const QString& line : lines) {
        if (line.startsWith(VersionKey, Qt::CaseInsensitive)) {
            file.hasVersion = ParseVersion(ValueOf(line), file.major, file.minor);
            if (!file.hasVersion)
                file.major = file.minor = 0;
        } else if (line.startsWith(AddressKey, Qt::CaseInsensitive)) {
            file.downloadUrl = ValueOf(line);
        }
    }
    return file;
}

bool UpgradeCheckFile::ParseVersion(const QString& value, int& major, int& minor)
{
    static const QRegularExpression pattern(QStringLiteral("^([0-9]{1,4})(?:\\.([0-9]{1,4}))?$"));
    const QRegularExpressionMatch match = pattern.match(value);
    if (!match.hasMatch())
        return false;
    major = match.captured(1).toInt();
    minor = match.hasCaptured(2) ? match.captured(2).toInt() : 0;
    return true;
}

int UpgradeCheckFile::Compare(int major, int minor, int ownMajor, int ownMinor)
{
    if (major != ownMajor)
        return major > ownMajor ? 1 : -1;
    if (minor != ownMinor)
        return minor > ownMinor ? 1 : -1;
    return 0;
}
