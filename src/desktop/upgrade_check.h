#pragma once

#include "desktop/upgrade_check_verdict.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QUrl>

class QNetworkAccessManager;
class QNetworkReply;

// Asks the maker's web server for the version file and decides what to tell
// the user. Asynchronous: Start returns at once and checkFinished follows,
// on the thread that owns the object, after at most Timeout() ms, so the
// window stays responsive while the server is slow or unreachable.
//
// A server that cannot be reached, refuses, or does not answer in time gives
// NoConnection; a server that answers with an error page or a reply larger
// than a version file gives NoInformation (there is no version file).
class UpgradeCheck : public QObject
{
    Q_OBJECT

public:
    static constexpr int DefaultTimeout = 10000; // ms, for the whole request

    UpgradeCheck(int ownMajor, int ownMinor, QObject* parent = nullptr);
    ~UpgradeCheck() override;

    // The server to ask; by default the one the user's settings name
    // (UpgradeCheckServer::Configured) at each Start.
    void SetServer(const QUrl& address) { fixedServer = address; }
    void SetTimeout(int milliseconds) { timeout = milliseconds; }
    int Timeout() const { return timeout; }

    // Starts a check; false (and nothing happens) while one runs.
    bool Start();
    bool IsRunning() const { return running; }

Q_SIGNALS:
    void checkFinished(const UpgradeCheckVerdict& verdict);

private:
    void Collect();
    void Finish();
    void Abandon(UpgradeCheckVerdict verdict);
    void Report(const UpgradeCheckVerdict& verdict);

    int ownMajor;
    int ownMinor;
    int timeout = DefaultTimeout;
    QUrl fixedServer;
    QUrl server; // of the running check

    QNetworkAccessManager* manager = nullptr;
    QPointer<QNetworkReply> reply;
    QByteArray received;
    bool running = false;
    QTimer deadline;
};
