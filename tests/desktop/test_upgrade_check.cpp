#include "common/message_box.h"
#include "common/message_table.h"
#include "desktop/help_menu_entries.h"
#include "desktop/upgrade_check.h"
#include "desktop/upgrade_check_file.h"
#include "desktop/upgrade_check_server.h"
#include "desktop/upgrade_check_verdict.h"
#include "desktop_fixture.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QSettings>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>

using Kind = UpgradeCheckVerdict::Kind;

namespace {

// A web server on 127.0.0.1 that answers every request with one reply, or
// with silence when the reply is empty. It records the request lines.
class LocalWebServer : public QObject
{
public:
    LocalWebServer()
    {
        server.listen(QHostAddress::LocalHost, 0);
        connect(&server, &QTcpServer::newConnection, this, [this] {
            QTcpSocket* socket = server.nextPendingConnection();
            socket->setParent(this);
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
                socket->setProperty("request",
                                    socket->property("request").toByteArray() + socket->readAll());
                const QByteArray request = socket->property("request").toByteArray();
                if (!request.contains("\r\n\r\n") || body.isEmpty())
                    return;
                requests.append(QString::fromLatin1(request.left(request.indexOf("\r\n"))));
                socket->write("HTTP/1.1 " + QByteArray::number(status) +
                              " X\r\nContent-Length: " + QByteArray::number(body.size()) +
                              "\r\nConnection: close\r\n\r\n" + body);
                socket->disconnectFromHost();
            });
        });
    }
    QString Address() const { return u"http://127.0.0.1:%1"_s.arg(server.serverPort()); }

    QTcpServer server;
    QByteArray body;
    int status = 200;
    QStringList requests;
};

const QByteArray Newer = "K220Version=1.05\r\nDownloadURL=https://e.net/get.htm\r\n";

QSettings UserSettings()
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, u"Orvane"_s,
                     u"Veltrix PC Interface"_s);
}

} // namespace

// The upgrade check: the maker's version file, the verdict the program at
// 1.04 draws from it, the check over the network and the Help menu's entry.
class TestUpgradeCheck : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The server comes from the user's settings.
    void initTestCase() { UserSettings().setValue(u"Settings/UpdateHost"_s, web.Address()); }
    void cleanupTestCase() { UserSettings().remove(u"Settings/UpdateHost"_s); }
    void init()
    {
        web.requests.clear();
        web.status = 200;
        opener.opened.clear();
        UrlOpener::Install(&opener);
    }
    void cleanup() { UrlOpener::Install(nullptr); }

    // The version file's line rules: "version" is major.minor, or "-" for none.
    void parse_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("address");
        const auto row = [](const char* tag, const QByteArray& text, const char* version = "-",
                            const char* address = "") {
            QTest::newRow(tag) << text << QString::fromLatin1(version)
                               << QString::fromLatin1(address);
        };
        const char* page = "https://e.net/?a=b";
        row("both, CR LF", "K220Version=1.05\r\nDownloadURL=https://e.net/?a=b\r\n", "1.5", page);
        row("address first, blanks round =", "DownloadURL = https://e.net/?a=b\nK220Version = 1.4",
            "1.4", page);
        row("bare major, keys ignore case", "k220version=2\ndownloadurl=https://e.net/?a=b", "2.0",
            page);
        row("blank before the key", " K220Version=1.05\n\tDownloadURL=x");
        row("last line wins", "K220Version=1.09\nK220Version=1.05\nDownloadURL=a\nDownloadURL=b",
            "1.5", "b");
        row("a garbled last version cancels", "K220Version=1.09\nK220Version=soon");
        row("other lines, key without =", "K110Version=9.9\nK220Version 1.05\nDownloadURL");
        row("binary garbage", QByteArray("\x00\xff\xfe K220Version=\x01\x02", 14));
        for (const char* bad : {"", ".", "1.", ".4", "-1.04", "+1.04", "1.04b", "1 .04", "1.2.3",
                                "v1.04", "1,04", "99999.1"})
            row(bad, QByteArray("K220Version=") + bad);
    }

    void parse()
    {
        QFETCH(QByteArray, text);
        const UpgradeCheckFile file = UpgradeCheckFile::Parse(text);
        QTEST(file.hasVersion ? u"%1.%2"_s.arg(file.major).arg(file.minor) : u"-"_s, "version");
        QTEST(file.downloadUrl, "address");
    }

    // What the user is told with the program at 1.04.
    void verdicts_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("message");
        QTest::addColumn<QString>("opens");
        const auto row = [](const char* tag, const QByteArray& text, Kind kind, int message,
                            const char* opens = "") {
            QTest::newRow(tag) << text << int(kind) << message << QString::fromLatin1(opens);
        };
        const int newer = UpgradeMessage::NewVersion;
        row("1.05", "K220Version=1.05\nDownloadURL=https://e.net/g", Kind::NewerAvailable, newer,
            "https://e.net/g");
        row("1.10 is above 1.4", "K220Version=1.10\nDownloadURL=http://e.net/",
            Kind::NewerAvailable, newer, "http://e.net/");
        row("no address: the default page", "K220Version=2.0", Kind::NewerAvailable, newer,
            "https://u.example.net/support/upgrades_framset.htm");
        row("1.04", "K220Version=1.04", Kind::Latest, UpgradeMessage::Latest);
        row("1.03", "K220Version=1.03", Kind::LocalNewer, UpgradeMessage::LocalNewer);
        row("0.99", "K220Version=0.99\nDownloadURL=file:///x", Kind::LocalNewer,
            UpgradeMessage::LocalNewer);
        row("no version", "DownloadURL=https://e.net/", Kind::NoInformation,
            UpgradeMessage::NoInformation);
        for (const char* address : {"file:///usr/bin/xterm", "/usr/bin/xterm",
                                    "javascript:alert(1)", "ftp://e.net/x", "https://", "get.htm"})
            row(address, QByteArray("K220Version=1.05\nDownloadURL=") + address,
                Kind::AddressRefused, UpgradeMessage::AddressRefused);
    }

    void verdicts()
    {
        QFETCH(QByteArray, text);
        QFETCH(int, message);
        const UpgradeCheckFile file = UpgradeCheckFile::Parse(text);
        const UpgradeCheckVerdict verdict =
            UpgradeCheckVerdict::FromFile(file, 1, 4, QUrl(u"https://u.example.net"_s));
        QTEST(int(verdict.kind), "kind");
        QTEST(verdict.downloadUrl.toString(), "opens");
        const QString expected = MessageTable::Text(message);
        QVERIFY(!expected.isEmpty());
        QCOMPARE(verdict.message,
                 expected.contains(u"%1"_s) ? expected.arg(file.downloadUrl) : expected);
    }

    void serverSetting_data()
    {
        QTest::addColumn<QString>("setting");
        QTest::addColumn<QString>("server");
        QTest::newRow("default") << QString() << "https://www.orvane.com";
        QTest::newRow("host and port") << " u.example.net:8443 "
                                       << "https://u.example.net:8443";
        QTest::newRow("local http server") << "http://127.0.0.1:8000/x?y"
                                           << "http://127.0.0.1:8000";
        QTest::newRow("file") << "file:///etc"
                              << "";
        QTest::newRow("ftp") << "ftp://e.net"
                             << "";
    }

    void serverSetting()
    {
        QFETCH(QString, setting);
        QFETCH(QString, server);
        const QUrl url =
            UpgradeCheckServer::VersionFileUrl(UpgradeCheckServer::FromSetting(setting));
        QCOMPARE(url.toString(),
                 server.isEmpty() ? server : server + u"/support/autoupdate/K220Version.txt"_s);
    }

    void answersOfAServer_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("status");
        QTest::addColumn<int>("kind");
        QTest::newRow("newer") << Newer << 200 << int(Kind::NewerAvailable);
        QTest::newRow("an error page is no file") << Newer << 404 << int(Kind::NoInformation);
        QTest::newRow("larger than a version file")
            << QByteArray(UpgradeCheckFile::MaxSize, '\n') + Newer << 200
            << int(Kind::NoInformation);
    }

    void answersOfAServer()
    {
        QFETCH(QByteArray, body);
        QFETCH(int, status);
        web.body = body;
        web.status = status;
        UpgradeCheck check(1, 4);
        QSignalSpy finished(&check, &UpgradeCheck::checkFinished);
        QVERIFY(check.Start());
        QVERIFY(finished.wait(5000));
        QTEST(int(finished.first().first().value<UpgradeCheckVerdict>().kind), "kind");
        QCOMPARE(web.requests, QStringList{u"GET /support/autoupdate/K220Version.txt HTTP/1.1"_s});
    }

    // A refused connection and a server that never answers: NoConnection,
    // while the event loop runs all along (Start returns at once).
    void unreachable()
    {
        web.body.clear();
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost, 0));
        const QUrl refusing(u"http://127.0.0.1:%1"_s.arg(closed.serverPort()));
        closed.close();
        for (const QUrl& server : {refusing, QUrl(web.Address())}) {
            UpgradeCheck check(1, 4);
            check.SetServer(server);
            check.SetTimeout(300);
            QSignalSpy finished(&check, &UpgradeCheck::checkFinished);
            QElapsedTimer clock;
            clock.start();
            QVERIFY(check.Start());
            QVERIFY(!check.Start()); // one at a time
            QVERIFY(clock.elapsed() < 200);
            int ticks = 0;
            QTimer tick;
            connect(&tick, &QTimer::timeout, this, [&ticks] { ++ticks; });
            tick.start(10);
            QVERIFY(finished.wait(5000));
            QVERIFY(clock.elapsed() < 3000);
            QVERIFY(server == refusing || ticks >= 5);
            QCOMPARE(finished.size(), 1);
            QCOMPARE(finished.first().first().value<UpgradeCheckVerdict>().kind,
                     Kind::NoConnection);
        }
        QVERIFY(UpgradeCheck(1, 4).Timeout() <= 10000);
    }

    // The Help menu's entry: the answer as a message box, Yes opens the page.
    void theMenuEntry_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QList<int>>("answers"); // one per box shown
        QTest::addColumn<bool>("openerWorks");
        QTest::addColumn<QString>("opened");
        QTest::addColumn<QString>("lastText");
        const QString page = u"https://e.net/get.htm"_s;
        const QString ask = MessageTable::Text(UpgradeMessage::NewVersion);
        const int yes = QMessageBox::Yes;
        const int ok = QMessageBox::Ok;
        QTest::newRow("Yes opens the page") << Newer << QList<int>{yes} << true << page << ask;
        QTest::newRow("No opens nothing")
            << Newer << QList<int>{int(QMessageBox::No)} << true << "" << ask;
        QTest::newRow("the desktop cannot open it")
            << Newer << QList<int>{yes, ok} << false << page
            << MessageTable::Text(UpgradeMessage::OpenFailed).arg(page);
        QTest::newRow("a program path is refused")
            << QByteArray("K220Version=1.05\nDownloadURL=/usr/bin/xterm") << QList<int>{ok} << true
            << "" << MessageTable::Text(UpgradeMessage::AddressRefused).arg(u"/usr/bin/xterm"_s);
    }

    void theMenuEntry()
    {
        QFETCH(QByteArray, body);
        QFETCH(QList<int>, answers);
        QFETCH(QString, opened);
        QFETCH(bool, openerWorks);
        web.body = body;
        opener.works = openerWorks;
        QWidget window;
        QMenu menu;
        HelpMenuEntries* entries = HelpMenuEntries::Install(menu, window, 1, 4);
        entries->Check().SetTimeout(300);
        QSignalSpy answered(entries, &HelpMenuEntries::upgradeCheckAnswered);
        const int shownBefore = MessageBox::Shown();
        for (int answer : answers)
            MessageBox::SetNextAnswer(QMessageBox::StandardButton(answer));

        entries->UpgradeAction()->trigger();
        QVERIFY(!entries->UpgradeAction()->isEnabled());
        QVERIFY(QApplication::overrideCursor() &&
                QApplication::overrideCursor()->shape() == Qt::WaitCursor);
        QVERIFY(answered.wait(5000));
        QVERIFY(entries->UpgradeAction()->isEnabled());
        QVERIFY(!QApplication::overrideCursor());
        QTEST(MessageBox::LastText(), "lastText");
        QCOMPARE(MessageBox::Shown() - shownBefore, answers.size());
        QCOMPARE(opener.opened, opened.isEmpty() ? QList<QUrl>() : QList<QUrl>{QUrl(opened)});
    }

private:
    LocalWebServer web;
    RecordingOpener opener;
};

QTEST_MAIN(TestUpgradeCheck)
#include "test_upgrade_check.moc"
