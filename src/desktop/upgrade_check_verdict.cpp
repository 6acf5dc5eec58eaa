#include "desktop/upgrade_check_verdict.h"

#include "common/message_table.h"
#include "desktop/upgrade_check_file.h"
#include "desktop/upgrade_check_server.h"
#include "desktop/url_opener_policy.h"

namespace {

UpgradeCheckVerdict Verdict(UpgradeCheckVerdict::Kind kind, int message, const QUrl& url = {})
{
    UpgradeCheckVerdict verdict;
    verdict.kind = kind;
    verdict.message = MessageTable::Text(message);
    verdict.downloadUrl = url;
    return verdict;
}

} // namespace

UpgradeCheckVerdict UpgradeCheckVerdict::FromFile(const UpgradeCheckFile& file, int ownMajor,
                                                  int ownMinor, const QUrl& server)
{
    if (!file.hasVersion)
        return NoInformation();
    const int order = UpgradeCheckFile::Compare(file.major, file.minor, ownMajor, ownMinor);
    if (order < 0)
        return Verdict(Kind::LocalNewer, UpgradeMessage::LocalNewer);
    if (order == 0)
        return Verdict(Kind::Latest, UpgradeMessage::Latest);

    // The address is only looked at when it would be opened.
    const QUrl url = file.downloadUrl.isEmpty() ? UpgradeCheckServer::DefaultDownloadUrl(server)
                                                : QUrl(file.downloadUrl, QUrl::StrictMode);
    if (!UrlOpenerPolicy::IsWebAddress(url)) {
        UpgradeCheckVerdict refused = Verdict(Kind::AddressRefused, UpgradeMessage::AddressRefused);
        refused.message = refused.message.arg(file.downloadUrl);
        return refused;
    }
    return Verdict(Kind::NewerAvailable, UpgradeMessage::NewVersion, url);
}

UpgradeCheckVerdict UpgradeCheckVerdict::NoConnection()
{
    return Verdict(Kind::NoConnection, UpgradeMessage::NoConnection);
}

UpgradeCheckVerdict UpgradeCheckVerdict::NoInformation()
{
    return Verdict(Kind::NoInformation, UpgradeMessage::NoInformation);
}
