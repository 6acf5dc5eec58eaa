#include "desktop/options_store.h"

#include <QSettings>

namespace {

QSettings Store()
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Orvane"),
                     QStringLiteral("Veltrix PC Interface"));
}

int ReadInt(const QSettings& store, const QString& key, int fallback)
{
    bool ok = false;
    const int value = store.value(key).toString().trimmed().toInt(&ok);
    return ok ? value : fallback;
}

} // namespace

Options OptionsStore::Load()
{
    const QSettings store = Store();
    Options options;
    options.port = store.value(QStringLiteral("Settings/Port"), options.port).toString();
    options.autostartMinimized =
        ReadInt(store, QStringLiteral("Settings/AutostartMinimized"), 1) != 0;
    options.enableTrayIcon = ReadInt(store, QStringLiteral("Settings/EnableTrayIcon"), 1) != 0;
    options.minimizeToTray = ReadInt(store, QStringLiteral("Settings/MinimizeToTray"), 1) != 0;
    options.leftClick = ReadInt(store, QStringLiteral("Settings/LeftClick"), 0) != 0 ? 1 : 0;
    options.x = ReadInt(store, QStringLiteral("Position/x"), -1);
    options.y = ReadInt(store, QStringLiteral("Position/y"), -1);
    return options;
}

void OptionsStore::SavePosition(int x, int y)
{
    QSettings store = Store();
    store.setValue(QStringLiteral("Position/x"), x);
    store.setValue(QStringLiteral("Position/y"), y);
}
