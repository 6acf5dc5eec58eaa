#include "desktop/options_store.h"

#include <QSettings>

#include <algorithm>

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
    const int leftClick = ReadInt(store, QStringLiteral("Settings/LeftClick"), Options::MainVolume);
    options.leftClick = leftClick >= Options::MainVolume && leftClick <= Options::Off
                            ? leftClick
                            : Options::MainVolume;
    // Anything but a positive number of milliseconds is the adaptive wait.
    options.retryPeriod = std::max(0, ReadInt(store, QStringLiteral("Settings/RetryPeriod"), 0));
    options.x = ReadInt(store, QStringLiteral("Position/x"), -1);
    options.y = ReadInt(store, QStringLiteral("Position/y"), -1);
    return options;
}

void OptionsStore::SaveSettings(const Options& options)
{
    QSettings store = Store();
    store.setValue(QStringLiteral("Settings/Port"), options.port);
    store.setValue(QStringLiteral("Settings/AutostartMinimized"),
                   options.autostartMinimized ? 1 : 0);
    store.setValue(QStringLiteral("Settings/EnableTrayIcon"), options.enableTrayIcon ? 1 : 0);
    store.setValue(QStringLiteral("Settings/MinimizeToTray"), options.minimizeToTray ? 1 : 0);
    store.setValue(QStringLiteral("Settings/LeftClick"), options.leftClick);
}

void OptionsStore::SavePosition(int x, int y)
{
    QSettings store = Store();
    store.setValue(QStringLiteral("Position/x"), x);
    store.setValue(QStringLiteral("Position/y"), y);
}
