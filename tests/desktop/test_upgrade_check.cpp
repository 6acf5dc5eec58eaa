#include "common/message_box.h"
#include "common/message_table.h"
#include "desktop/help_menu_entries.h"
#include "desktop/upgrade_check.h"
#include "desktop/upgrade_check_file.h"
#include "desktop/upgrade_check_server.h"
#include "desktop/url_opener.h"
#include "event_wait.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QMenu>
#include <QSettings>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

namespace {

// A web server on 127.0.0.1 that answers every request with one reply, or
// accepts and never answers (silent). It records the request lines.
class LocalWebServer : public QObject
{
public:
    LocalWebServer()
    {
        server.listen(QHostAddress::LocalHost, 0);
        connect(&server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = server.nextPendingConnection()) {
                socket->setParent(this);
                connect(socket, &QTcpSocket::readyRead, this, [this, socket] { Serve(*socket); });
            }
        });
    }

    QUrl Address() const
    {
        return QUrl(QStringLiteral("http://127.0.0.1:%1").arg(server.serverPort()));
    }
    void Answer(const QByteArray& body, int status = 200)
    {
        replyBody = body;
        replyStatus = status;
        silent = false;
    }
    void StaySilent() { silent = true; }
    void Reset()
    {
        Answer({});
        requests.clear();
    }
    QStringList requests;

private:
    void Serve(QTcpSocket& socket)
    {
        QByteArray& request = pending[&socket];
        request += socket.readAll();
        if (!request.contains("\r\n\r\n"))
            return;
        requests.append(QString::fromLatin1(request.left(request.indexOf("\r\n"))));
        if (silent)
            return;
        socket.write("HTTP/1.1 " + QByteArray::number(replyStatus) + " X\r\nContent-Type: " +
                     "text/plain\r\nContent-Length: " + QByteArray::number(replyBody.size()) +
                     "\r\nConnection: close\r\n\r\n" + replyBody);
        socket.disconnectFromHost();
    }

    QTcpServer server;
    QHash<QTcpSocket*, QByteArray> pending;
    QByteArray replyBody;
    int replyStatus = 200;
    bool silent = false;
};

class RecordingOpener : public UrlOpener
{
public:
    QList<QUrl> opened;
    bool result = true;

protected:
    bool Open(const QUrl& url) override
    {
        opened.append(url);
        return result;
    }
};

const QByteArray Newer = "K220Version=1.05\r\nDownloadURL=https://example.net/get.htm\r\n";

UpgradeCheckVerdict Run(UpgradeCheck& check)
{
    QSignalSpy finished(&check, &UpgradeCheck::checkFinished);
    if (!check.Start())
        return {};
    if (!finished.wait(check.Timeout() + 5000))
        return {};
    return finished.first().first().value<UpgradeCheckVerdict>();
}

} // namespace

class TestUpgradeCheck : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        web->Reset();
        UrlOpener::Install(&opener);
        opener.opened.clear();
        opener.result = true;
    }
    void cleanup() { UrlOpener::Install(nullptr); }

    void answersOfAServer_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("status");
        QTest::addColumn<int>("kind");
        QTest::newRow("newer") << Newer << 200 << int(UpgradeCheckVerdict::Kind::NewerAvailable);
        QTest::newRow("same") << QByteArray("K220Version=1.04\n") << 200
                              << int(UpgradeCheckVerdict::Kind::Latest);
        QTest::newRow("older") << QByteArray("K220Version=1.03\n") << 200
                               << int(UpgradeCheckVerdict::Kind::LocalNewer);
        QTest::newRow("error page with a version in it")
            << QByteArray("K220Version=1.05\n") << 404
            << int(UpgradeCheckVerdict::Kind::NoInformation);
        QTest::newRow("server error")
            << QByteArray() << 500 << int(UpgradeCheckVerdict::Kind::NoInformation);
        QTest::newRow("larger than a version file")
            << (QByteArray(UpgradeCheckFile::MaxSize, 'x') + "\nK220Version=1.05\n") << 200
            << int(UpgradeCheckVerdict::Kind::NoInformation);
    }

    void answersOfAServer()
    {
        QFETCH(QByteArray, body);
        QFETCH(int, status);
        web->Answer(body, status);
        UpgradeCheck check(1, 4);
        check.SetServer(web->Address());
        const UpgradeCheckVerdict verdict = Run(check);
        QTEST(int(verdict.kind), "kind");
        QCOMPARE(web->requests.value(0),
                 QStringLiteral("GET /support/autoupdate/K220Version.txt HTTP/1.1"));
        QVERIFY(!check.IsRunning());
    }

    void theServerComesFromTheSettings()
    {
        web->Answer(Newer);
        QSettings store(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Orvane"),
                        QStringLiteral("Veltrix PC Interface"));
        store.setValue(QStringLiteral("Settings/UpdateHost"), web->Address().toString());
        store.sync();
        UpgradeCheck check(1, 4);
        const UpgradeCheckVerdict verdict = Run(check);
        store.remove(QStringLiteral("Settings/UpdateHost"));
        QCOMPARE(verdict.kind, UpgradeCheckVerdict::Kind::NewerAvailable);
        QCOMPARE(verdict.downloadUrl, QUrl(QStringLiteral("https://example.net/get.htm")));
        QCOMPARE(web->requests.size(), 1);
    }

    void aSettingThatNamesNoWebServerAsksNobody()
    {
        UpgradeCheck check(1, 4);
        check.SetServer(UpgradeCheckServer::FromSetting(QStringLiteral("file:///etc")));
        QCOMPARE(Run(check).kind, UpgradeCheckVerdict::Kind::NoConnection);
    }

    void aRefusedConnection()
    {
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost, 0));
        const quint16 port = closed.serverPort();
        closed.close();
        UpgradeCheck check(1, 4);
        check.SetServer(QUrl(QStringLiteral("http://127.0.0.1:%1").arg(port)));
        const UpgradeCheckVerdict verdict = Run(check);
        QCOMPARE(verdict.kind, UpgradeCheckVerdict::Kind::NoConnection);
        QCOMPARE(verdict.message, MessageTable::Text(UpgradeMessage::NoConnection));
    }

    // A server that never answers ends in the time-out, and the event loop
    // runs all the while: Start returns at once.
    void aSilentServerTimesOutWithoutBlocking()
    {
        web->StaySilent();
        UpgradeCheck check(1, 4);
        check.SetServer(web->Address());
        check.SetTimeout(300);
        QSignalSpy finished(&check, &UpgradeCheck::checkFinished);
        QElapsedTimer clock;
        clock.start();
        QVERIFY(check.Start());
        QVERIFY(clock.elapsed() < 200);
        QVERIFY(!check.Start()); // one check at a time
        int ticks = 0;
        QTimer tick;
        connect(&tick, &QTimer::timeout, this, [&ticks] { ++ticks; });
        tick.start(20);
        QVERIFY(finished.wait(5000));
        QVERIFY2(clock.elapsed() < 3000, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(ticks >= 5);
        QCOMPARE(finished.size(), 1);
        QCOMPARE(finished.first().first().value<UpgradeCheckVerdict>().kind,
                 UpgradeCheckVerdict::Kind::NoConnection);
        QVERIFY(check.Start()); // ready again
    }

    void theDefaultTimeoutIsAtMostTenSeconds() { QVERIFY(UpgradeCheck(1, 4).Timeout() <= 10000); }

    // The Help menu's entry: the answer as a message box, Yes opens the page.
    void theMenuEntry_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QList<int>>("answers"); // one per box shown
        QTest::addColumn<bool>("openerWorks");
        QTest::addColumn<QString>("opened");
        QTest::addColumn<QString>("lastText");

        const QString page = QStringLiteral("https://example.net/get.htm");
        const QString ask = MessageTable::Text(UpgradeMessage::NewVersion);
        const int yes = QMessageBox::Yes;
        const int no = QMessageBox::No;
        const int ok = QMessageBox::Ok;
        QTest::newRow("Yes opens the page") << Newer << QList<int>{yes} << true << page << ask;
        QTest::newRow("No opens nothing") << Newer << QList<int>{no} << true << QString() << ask;
        QTest::newRow("the default page")
            << QByteArray("K220Version=1.10") << QList<int>{yes} << true
            << web->Address().toString() + QStringLiteral("/support/upgrades_framset.htm") << ask;
        QTest::newRow("a page the desktop cannot open")
            << Newer << QList<int>{yes, ok} << false << page
            << MessageTable::Text(UpgradeMessage::OpenFailed).arg(page);
        QTest::newRow("a program path is refused, not opened")
            << QByteArray("K220Version=1.05\nDownloadURL=/usr/bin/xterm") << QList<int>{ok} << true
            << QString()
            << MessageTable::Text(UpgradeMessage::AddressRefused)
                   .arg(QStringLiteral("/usr/bin/xterm"));
        QTest::newRow("latest") << QByteArray("K220Version=1.04") << QList<int>{ok} << true
                                << QString() << MessageTable::Text(UpgradeMessage::Latest);
        QTest::newRow("unreachable") << QByteArray() << QList<int>{ok} << true << QString()
                                     << MessageTable::Text(UpgradeMessage::NoConnection);
    }

    void theMenuEntry()
    {
        QFETCH(QByteArray, body);
        if (body.isEmpty())
            web->StaySilent();
        else
            web->Answer(body);
        QFETCH(bool, openerWorks);
        QFETCH(QList<int>, answers);
        opener.result = openerWorks;
        QWidget window;
        QMenu menu;
        HelpMenuEntries* entries = HelpMenuEntries::Install(menu, window, 1, 4);
        entries->Check().SetServer(web->Address());
        entries->Check().SetTimeout(300);
        QSignalSpy answered(entries, &HelpMenuEntries::upgradeCheckAnswered);
        const int shownBefore = MessageBox::Shown();
        for (int answer : answers)
            MessageBox::SetNextAnswer(QMessageBox::StandardButton(answer));

        entries->UpgradeAction()->trigger();
        QVERIFY(!entries->UpgradeAction()->isEnabled());
        QCOMPARE(QApplication::overrideCursor() ? QApplication::overrideCursor()->shape()
                                                : Qt::ArrowCursor,
                 Qt::WaitCursor);
        QVERIFY(answered.wait(5000));
        QVERIFY(entries->UpgradeAction()->isEnabled());
        QVERIFY(!QApplication::overrideCursor());
        QTEST(MessageBox::LastText(), "lastText");
        QFETCH(QString, opened);
        QCOMPARE(opener.opened, opened.isEmpty() ? QList<QUrl>() : QList<QUrl>{QUrl(opened)});
        QCOMPARE(MessageBox::Shown() - shownBefore, answers.size());
    }

private:
    // One server for the whole run, so the data rows know its address.
    std::unique_ptr<LocalWebServer> web = std::make_unique<LocalWebServer>();
    RecordingOpener opener;
};

QTEST_MAIN(TestUpgradeCheck)
#include "test_upgrade_check.moc"
