#include "desktop/url_opener_policy.h"

#include <QUrl>

bool UrlOpenerPolicy::IsWebAddress(const QUrl& url)
{
    if (!url.isValid() || url.host().isEmpty())
        return false;
    const QString scheme = url.scheme().toLower();
    return scheme == QLatin1String("http") || scheme == QLatin1String("https");
}
