#include "desktop/xdg_autostart_entry.h"

#include "common/safe_save.h"
#include "desktop/autostart.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

// Characters that make a desktop-entry argument need quotes.
bool IsReserved(QChar c)
{
    return QStringLiteral(" \t\"'\\><~|&;$*?#()`").contains(c);
}

} // namespace

XdgAutostartEntry::XdgAutostartEntry(const QString& folder) : configHome(folder) {}

QString XdgAutostartEntry::FilePath() const
{
    const QString home =
        configHome.isEmpty()
            ? QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
            : configHome;
    if (home.isEmpty())
        return {};
    return QDir(home).filePath(QStringLiteral("autostart/") + QLatin1String(FileName));
}

std::optional<bool> XdgAutostartEntry::Exists() const
{
    const QString path = FilePath();
    if (path.isEmpty())
        return std::nullopt;
    const QFileInfo folder(QFileInfo(path).path());
    if (folder.exists() && !folder.isDir())
        return std::nullopt;
    return QFileInfo::exists(path);
}

QString XdgAutostartEntry::ExecLine(const QString& program)
{
    QString argument;
    bool quoted = false;
    for (QChar c : program) {
        if (c.category() == QChar::Other_Control)
            return {};
        quoted = quoted || IsReserved(c);
        // Within quotes these four take a backslash.
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            argument += u'\\';
        // A percent sign would start a field code.
        if (c == u'%')
            argument += u'%';
        argument += c;
    }
    if (quoted)
        argument = u'"' + argument + u'"';
    // The value as a whole is a desktop-entry string: backslashes double.
    argument.replace(QStringLiteral("\\"), QStringLiteral("\\\\"));
    return argument + u' ' + QLatin1String(Autostart::Switch);
}

bool XdgAutostartEntry::Write(const QString& program)
{
    const QString path = FilePath();
    const QString exec = ExecLine(program);
    if (path.isEmpty() || exec.isEmpty() || !QDir().mkpath(QFileInfo(path).path()))
        return false;
    SafeSave file(path);
    if (!file.Open(nullptr))
        return false;
    const QString text = QStringLiteral("[Desktop Entry]\n"
                                        "Type=Application\n"
                                        "Name=Veltrix PC Interface\n"
                                        "Exec=%1\n"
                                        "Terminal=false\n"
                                        "X-GNOME-Autostart-enabled=true\n")
                             .arg(exec);
    file.Device().write(text.toUtf8());
    return file.Commit(nullptr);
}

bool XdgAutostartEntry::Remove()
{
    const QString path = FilePath();
    if (path.isEmpty())
        return false;
    return !QFileInfo::exists(path) || QFile::remove(path);
}
