#include "desktop/upgrade_check_server.h"

#include "desktop/url_opener_policy.h"

#include <QSettings>

namespace {

QUrl WithPath(const QUrl& server, const char* path)
{
    if (!server.isValid())
        return {};
    QUrl url = server;
    url.setPath(QString::fromLatin1(path));
    return url;
}

} // namespace

QUrl UpgradeCheckServer::FromSetting(const QString& setting)
{
    QString text = setting.trimmed();
    if (text.isEmpty())
        text = QString::fromLatin1(DefaultHost);
    if (!text.contains(QStringLiteral("://")))
        text.prepend(QStringLiteral("https://"));
    const QUrl given(text, QUrl::StrictMode);
    if (!UrlOpenerPolicy::IsWebAddress(given))
        return {};
    QUrl server;
    server.setScheme(given.scheme().toLower());
    server.setHost(given.host());
    server.setPort(given.port());
    return server;
}

QUrl UpgradeCheckServer::Configured()
{
    const QSettings store(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Orvane"),
                          QStringLiteral("Veltrix PC Interface"));
    return FromSetting(store.value(QStringLiteral("Settings/UpdateHost")).toString());
}

QUrl UpgradeCheckServer::VersionFileUrl(const QUrl& server)
{
    return WithPath(server, VersionFilePath);
}

QUrl UpgradeCheckServer::DefaultDownloadUrl(const QUrl& server)
{
    return WithPath(server, DownloadPagePath);
}
