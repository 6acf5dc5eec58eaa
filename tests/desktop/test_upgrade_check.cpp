#include "common/message_box.h"
#include "common/message_table.h"
#include "desktop/help_menu_entries.h"
#include "desktop/upgrade_check.h"
#include "desktop/upgrade_check_file.h"
#include "desktop_fixture.h"

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
    QString Address() const
    {
        return QStringLiteral("http://127.0.0.1:%1").arg(server.serverPort());
    }

    QTcpServer server;
    QByteArray body;
    int status = 200;
    QStringList requests;
};

const QByteArray Newer = "K220Version=1.05\r\nDownloadURL=https://e.net/get.htm\r\n";

} // namespace

class TestUpgradeCheck : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The server comes from the user's settings.
    void initTestCase()
    {
        QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Orvane"),
                  QStringLiteral("Veltrix PC Interface"))
            .setValue(QStringLiteral("Settings/UpdateHost"), web.Address());
    }
    void cleanupTestCase()
    {
        QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Orvane"),
                  QStringLiteral("Veltrix PC Interface"))
            .remove(QStringLiteral("Settings/UpdateHost"));
    }
    void init()
    {
        web.requests.clear();
        web.status = 200;
        opener.opened.clear();
        UrlOpener::Install(&opener);
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
        QTest::newRow("an error page is no file")
            << Newer << 404 << int(UpgradeCheckVerdict::Kind::NoInformation);
        QTest::newRow("larger than a version file")
            << QByteArray(UpgradeCheckFile::MaxSize, '\n') + Newer << 200
            << int(UpgradeCheckVerdict::Kind::NoInformation);
    }

    void answersOfAServer()
    {
        QFETCH(QByteArray, body);
        web.body = body;
        QFETCH(int, status);
        web.status = status;
        UpgradeCheck check(1, 4);
        QSignalSpy finished(&check, &UpgradeCheck::checkFinished);
        QVERIFY(check.Start());
        QVERIFY(finished.wait(5000));
        QTEST(int(finished.first().first().value<UpgradeCheckVerdict>().kind), "kind");
        QCOMPARE(web.requests,
                 QStringList{QStringLiteral("GET /support/autoupdate/K220Version.txt HTTP/1.1")});
    }

    // A refused connection and a server that never answers: NoConnection,
    // while the event loop runs all along (Start returns at once).
    void unreachable()
    {
        web.body.clear();
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost, 0));
        const QUrl refusing(QStringLiteral("http://127.0.0.1:%1").arg(closed.serverPort()));
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
            if (server != refusing)
                QVERIFY(ticks >= 5);
            QCOMPARE(finished.size(), 1);
            QCOMPARE(finished.first().first().value<UpgradeCheckVerdict>().kind,
                     UpgradeCheckVerdict::Kind::NoConnection);
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
        const QString page = QStringLiteral("https://e.net/get.htm");
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
            << ""
            << MessageTable::Text(UpgradeMessage::AddressRefused)
                   .arg(QStringLiteral("/usr/bin/xterm"));
    }

    void theMenuEntry()
    {
        QFETCH(QByteArray, body);
        QFETCH(QList<int>, answers);
        QFETCH(QString, opened);
        web.body = body;
        QFETCH(bool, openerWorks);
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
