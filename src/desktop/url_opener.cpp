#include "desktop/url_opener.h"

#include "desktop/url_opener_policy.h"

#include <QDesktopServices>
#include <QUrl>

namespace {

UrlOpener desktopOpener;
UrlOpener* installed = nullptr;

} // namespace

UrlOpener::~UrlOpener() = default;

bool UrlOpener::OpenWebAddress(const QUrl& url)
{
    if (!UrlOpenerPolicy::IsWebAddress(url))
        return false;
    return (installed ? installed : &desktopOpener)->Open(url);
}

void UrlOpener::Install(UrlOpener* opener)
{
    installed = opener;
}

bool UrlOpener::Open(const QUrl& url)
{
    return QDesktopServices::openUrl(url);
}
