#include "desktop/upgrade_check.h"

#include "desktop/upgrade_check_file.h"
#include "desktop/upgrade_check_server.h"

#include <QNetworkAccessManager>
#include <QNetworkProxyFactory>
#include <QNetworkReply>
#include <QNetworkRequest>

namespace {

// The user's proxy settings (http_proxy, https_proxy, no_proxy), for this
// manager only, so the rest of the program keeps Qt's defaults.
class SystemProxyFactory : public QNetworkProxyFactory
{
public:
    QList<QNetworkProxy> queryProxy(const QNetworkProxyQuery& query) override
    {
        return systemProxyForQuery(query);
    }
};

} // namespace

UpgradeCheck::UpgradeCheck(int ownMajorVersion, int ownMinorVersion, QObject* parent)
    : QObject(parent), ownMajor(ownMajorVersion), ownMinor(ownMinorVersion),
      manager(new QNetworkAccessManager(this))
{
    manager->setProxyFactory(new SystemProxyFactory);
    deadline.setSingleShot(true);
    connect(&deadline, &QTimer::timeout, this,
            [this] { Abandon(UpgradeCheckVerdict::NoConnection()); });
}

UpgradeCheck::~UpgradeCheck()
{
    if (reply) {
        reply->disconnect(this);
        reply->abort();
        reply->deleteLater();
    }
}

bool UpgradeCheck::Start()
{
    if (running)
        return false;
    running = true;
    server = fixedServer.isEmpty() ? UpgradeCheckServer::Configured() : fixedServer;
    const QUrl url = UpgradeCheckServer::VersionFileUrl(server);
    if (!url.isValid()) {
        // Reported from the event loop like every other outcome.
        QTimer::singleShot(0, this, [this] { Report(UpgradeCheckVerdict::NoConnection()); });
        return true;
    }

    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    request.setTransferTimeout(timeout);
    request.setHeader(QNetworkRequest::UserAgentHeader, QStringLiteral("Veltrix PC Interface"));
    received.clear();
    reply = manager->get(request);
    connect(reply, &QNetworkReply::readyRead, this, &UpgradeCheck::Collect);
    connect(reply, &QNetworkReply::finished, this, &UpgradeCheck::Finish);
    deadline.start(timeout);
    return true;
}

void UpgradeCheck::Collect()
{
    received += reply->read(UpgradeCheckFile::MaxSize + 1 - received.size());
    if (received.size() > UpgradeCheckFile::MaxSize)
        Abandon(UpgradeCheckVerdict::NoInformation());
}

void UpgradeCheck::Finish()
{
    deadline.stop();
    QNetworkReply* done = reply;
    reply = nullptr;
    done->deleteLater();
    done->disconnect(this);

    const QNetworkReply::NetworkError error = done->error();
    // Errors below the content range mean no server answered: no connection,
    // a refusal, a time-out, a proxy or TLS failure.
    if (error != QNetworkReply::NoError && error < QNetworkReply::ContentAccessDenied) {
        Report(UpgradeCheckVerdict::NoConnection());
        return;
    }
    if (error != QNetworkReply::NoError) {
        Report(UpgradeCheckVerdict::NoInformation());
        return;
    }
    received += done->read(UpgradeCheckFile::MaxSize + 1 - received.size());
    if (received.size() > UpgradeCheckFile::MaxSize) {
        Report(UpgradeCheckVerdict::NoInformation());
        return;
    }
    Report(UpgradeCheckVerdict::FromFile(UpgradeCheckFile::Parse(received), ownMajor, ownMinor,
                                         server));
}

void UpgradeCheck::Abandon(UpgradeCheckVerdict verdict)
{
    deadline.stop();
    if (QNetworkReply* pending = reply) {
        reply = nullptr;
        pending->disconnect(this);
        pending->abort();
        pending->deleteLater();
    }
    Report(verdict);
}

void UpgradeCheck::Report(const UpgradeCheckVerdict& verdict)
{
    running = false;
    Q_EMIT checkFinished(verdict);
}
