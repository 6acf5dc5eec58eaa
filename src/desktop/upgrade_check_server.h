#pragma once

#include <QUrl>

// Where the upgrade check asks: the maker's web server, over https unless the
// setting "Settings"/"UpdateHost" names another one. The setting holds a
// host name ("www.example.com", "host:8443": https) or a whole http or https
// address of the server ("http://127.0.0.1:8000"); only the scheme, host and
// port of such an address are used.
class UpgradeCheckServer
{
public:
    static constexpr const char* DefaultHost = "www.orvane.com";
    static constexpr const char* VersionFilePath = "/support/autoupdate/K220Version.txt";
    static constexpr const char* DownloadPagePath = "/support/upgrades_framset.htm";

    // The server the setting names; an empty setting names the maker's. A
    // setting that names no http or https server gives an invalid address,
    // and the check then asks nobody.
    static QUrl FromSetting(const QString& setting);
    // The same for the value in the user's settings store.
    static QUrl Configured();

    static QUrl VersionFileUrl(const QUrl& server);
    // The page offered when the version file names none.
    static QUrl DefaultDownloadUrl(const QUrl& server);
};
