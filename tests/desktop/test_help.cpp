#include "common/help_topic.h"
#include "common/message_box.h"
#include "common/message_table.h"
#include "desktop/about_dlg.h"
#include "desktop/help_menu_entries.h"
#include "desktop/help_window.h"
#include "desktop/hyperlink_static.h"
#include "desktop/upgrade_check.h"
#include "desktop/upgrade_check_file.h"
#include "desktop/upgrade_check_server.h"
#include "desktop/upgrade_check_verdict.h"
#include "desktop/url_opener.h"

#include <QAccessible>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QMenu>
#include <QScrollBar>
#include <QSettings>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QToolButton>

#include <algorithm>

using namespace Qt::StringLiterals;
using Kind = UpgradeCheckVerdict::Kind;

namespace {

// Opens nothing: records the addresses, and says whether the desktop could.
struct RecordingOpener : UrlOpener
{
    QList<QUrl> opened;
    bool works = true;
    bool Open(const QUrl& url) override { return opened.append(url), works; }
};

// What the help window finds in a page: its words, then "#" and each anchor.
QStringList Read(const QUrl& url)
{
    QTextBrowser browser;
    browser.setSource(url);
    QStringList words = browser.toPlainText().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (QTextBlock block = browser.document()->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            for (const QString& anchor : it.fragment().charFormat().anchorNames())
                words += u'#' + anchor;
        }
    }
    return words;
}

// Answers every request with one reply (none when empty); records the requests.
class LocalWebServer : public QTcpServer
{
public:
    LocalWebServer()
    {
        listen(QHostAddress::LocalHost, 0);
        connect(this, &QTcpServer::newConnection, this, [this] {
            QTcpSocket* socket = nextPendingConnection(); // owned by the server
            connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                const QByteArray request = socket->peek(socket->bytesAvailable());
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
    QString Address() const { return u"http://127.0.0.1:%1"_s.arg(serverPort()); }

    QByteArray body;
    int status = 200;
    QStringList requests;
};

const QByteArray Newer = "K220Version=1.05\r\nDownloadURL=https://e.net/get.htm\r\n";

} // namespace

// The Help menu: the help window, the About box and the upgrade check.
class TestHelp : public QObject
{
    Q_OBJECT

    LocalWebServer web;
    RecordingOpener opener;

    static QSettings UserSettings() { return QSettings(u"Orvane"_s, u"Veltrix PC Interface"_s); }

private Q_SLOTS:
    void initTestCase()
    {
        HelpWindow::Install();
        UserSettings().setValue(u"Settings/UpdateHost"_s, web.Address());
    }
    void cleanupTestCase() { UserSettings().remove(u"Settings/UpdateHost"_s); }
    void init()
    {
        web.requests.clear();
        opener.opened.clear();
        UrlOpener::Install(&opener);
    }
    void cleanup()
    {
        UrlOpener::Install(nullptr);
        delete HelpWindow::Instance();
    }

    // Every topic, an old name too, lands on a page and anchor; unknown ones on the contents.
    void topicsResolve()
    {
        const std::pair<const char*, QString> topics[] = {
            {"setup.html#input_settings", HelpTopic::InputPage},
            {"setup.html#speaker_setup", HelpTopic::SpeakerPage},
            {"setup.html#level_setup", HelpTopic::LevelPage},
            {"setup.html#advanced_setup", HelpTopic::AdvancedPage},
            {"presets.html#", HelpTopic::SurroundModesPage},
            {"options.html#options", HelpTopic::OptionsDialog},
            {"index.html#", HelpTopic::Contents},
            {"setup.html#level_setup", u"VELTRIX-setup_102.HTML#level_setup"_s},
            {"troubleshooting.html#permissions", u"troubleshooting.html#permissions"_s},
            {"index.html#", u"::/nothing.html#x"_s}};
        for (const auto& [page, topic] : topics) {
            const QUrl url = HelpTopic::Resolve(topic);
            QCOMPARE(url.scheme() + u':' + url.fileName() + u'#' + url.fragment(),
                     u"qrc:"_s + QLatin1String(page));
            QVERIFY2(url.fragment().isEmpty() || Read(url).contains(u'#' + url.fragment()), page);
        }
        for (const QString& name : HelpTopic::Pages())
            QVERIFY2(Read(HelpTopic::PageUrl(name)).size() > 100, qPrintable(name));
    }

    // The window opens scrolled to the anchor and works over a modal dialog;
    // links open in the window or, for web pages only, in the browser.
    void theWindow()
    {
        QDialog dialog;
        dialog.setWindowModality(Qt::ApplicationModal);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        HelpWindow::Show(HelpTopic::AdvancedPage);
        HelpWindow* window = HelpWindow::Instance();
        QVERIFY(window && QTest::qWaitForWindowExposed(window));
        QTextBrowser* browser = window->Browser();
        QCOMPARE(browser->source(), HelpTopic::Resolve(HelpTopic::AdvancedPage));
        const int advanced = browser->verticalScrollBar()->value();
        HelpWindow::Show(HelpTopic::InputPage); // the same page, another anchor
        QCOMPARE(HelpWindow::Instance(), window);
        QVERIFY(browser->verticalScrollBar()->value() > 0);
        QVERIFY(browser->verticalScrollBar()->value() < advanced);
        const QToolButton* contents = window->findChildren<QToolButton*>().value(0);
        QVERIFY(contents);
        QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {},
                          contents->mapTo(window, contents->rect().center()));
        QCOMPARE(browser->source().fileName(), u"index.html"_s);
        QCOMPARE(browser->verticalScrollBar()->value(), 0);

        for (const char* link : {"connecting.html#usb_adapters", "https://e.net/a",
                                 "file:///usr/bin/xterm", "javascript:alert(1)"})
            Q_EMIT browser->anchorClicked(QUrl(QString::fromLatin1(link)));
        QCOMPARE(opener.opened, QList<QUrl>{QUrl(u"https://e.net/a"_s)});
        QCOMPARE(browser->source(), HelpTopic::Resolve(u"connecting.html#usb_adapters"_s));
    }

    // The About box's link: Tab reaches it; keys, a left click and the accessible
    // press open it (web addresses only) without closing the box; others do not.
    void theAboutBox()
    {
        QCOMPARE(AboutDlg::VersionText(2, 10), u"Version 2.10"_s);
        AboutDlg about(1, 4);
        about.show();
        QVERIFY(QTest::qWaitForWindowActive(&about));
        const auto version = [](const QLabel* l) { return l->text() == u"Version 1.04"_s; };
        QVERIFY(std::ranges::any_of(about.findChildren<QLabel*>(), version));
        HyperlinkStatic* link = about.Link();
        QVERIFY(QApplication::focusWidget() != link);
        for (int i = 0; i < 4 && QApplication::focusWidget() != link; ++i)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), link);
        QTest::keyClick(link, Qt::Key_Space);
        QTest::keyClick(link, Qt::Key_Return);
        QTest::mouseClick(link, Qt::RightButton);
        QTest::mousePress(link, Qt::LeftButton, {}, QPoint(5, 5));
        QTest::mouseRelease(link, Qt::LeftButton, {}, QPoint(link->width() + 300, 5));
        QTest::mouseClick(link, Qt::LeftButton, {}, QPoint(5, 5));
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(link);
        QCOMPARE(accessible->role(), QAccessible::Link);
        accessible->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(opener.opened, QList<QUrl>(4, QUrl(u"https://www.orvane.com"_s)));
        QVERIFY(about.isVisible());
        for (const char* refused : {"file:///etc/passwd", "javascript:alert(1)", ""})
            QVERIFY(!HyperlinkStatic(QString::fromLatin1(refused)).Activate());
        QVERIFY(HyperlinkStatic(u"http://e.net/a"_s).Activate());
        QCOMPARE(opener.opened.last(), QUrl(u"http://e.net/a"_s));
    }

    // The version file's rules ("version" is major.minor, "-" for none) and
    // what the user at 1.04 is told: only a newer version offers a web page.
    void versionFile_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("version");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("opens");
        const auto row = [](const char* tag, const QByteArray& text, const char* version, Kind kind,
                            const char* opens = "") {
            QTest::newRow(tag) << text << QString::fromLatin1(version) << int(kind)
                               << QString::fromLatin1(opens);
        };
        const Kind newer = Kind::NewerAvailable, none = Kind::NoInformation;
        const char* page = "https://e.net/?a";
        const char* fallback = "https://u.example.net/support/upgrades_framset.htm";
        row("CR LF", "K220Version=1.05\r\nDownloadURL=https://e.net/?a\r\n", "1.5", newer, page);
        row("address first", "DownloadURL =https://e.net/?a\nK220Version= 1.6", "1.6", newer, page);
        row("keys ignore case", "k220version=2\ndownloadurl=https://e.net/?a", "2.0", newer, page);
        row("last wins", "K220Version=1.03\nK220Version=1.05\nDownloadURL=a\nDownloadURL=http://b",
            "1.5", newer, "http://b");
        row("1.10 is above 1.4, no address", "K220Version=1.10", "1.10", newer, fallback);
        row("1.04", "K220Version=1.04\nDownloadURL=https://e.net/", "1.4", Kind::Latest);
        row("0.99", "K220Version=0.99\nDownloadURL=file:///x", "0.99", Kind::LocalNewer);
        row("no version", "DownloadURL=https://e.net/", "-", none);
        row("blank before the key", " K220Version=1.05\n\tDownloadURL=x", "-", none);
        row("a garbled last version cancels", "K220Version=1.09\nK220Version=soon", "-", none);
        row("other keys, no =", "K110Version=9.9\nK220Version 1.05\nDownloadURL", "-", none);
        row("binary garbage", QByteArray("\x00\xff\xfe K220Version=\x01\x02", 14), "-", none);
        for (const char* bad : {"", ".", "1.", ".4", "-1.04", "+1.04", "1.04b", "1 .04", "1.2.3"})
            row(bad, QByteArray("K220Version=") + bad, "-", none);
        for (const char* at :
             {"file:///bin/sh", "/bin/sh", "javascript:x", "ftp://e.net", "https://"})
            row(at, QByteArray("K220Version=1.05\nDownloadURL=") + at, "1.5", Kind::AddressRefused);
    }

    void versionFile()
    {
        QFETCH(QByteArray, text);
        QFETCH(int, kind);
        const UpgradeCheckFile file = UpgradeCheckFile::Parse(text);
        QTEST(file.hasVersion ? u"%1.%2"_s.arg(file.major).arg(file.minor) : u"-"_s, "version");
        const UpgradeCheckVerdict verdict =
            UpgradeCheckVerdict::FromFile(file, 1, 4, QUrl(u"https://u.example.net"_s));
        QCOMPARE(int(verdict.kind), kind);
        QTEST(verdict.downloadUrl.toString(), "opens");
        const int messages[] = {UpgradeMessage::NewVersion, UpgradeMessage::Latest,
                                UpgradeMessage::LocalNewer, UpgradeMessage::NoInformation};
        const QString expected = MessageTable::Text(
            kind == int(Kind::AddressRefused) ? UpgradeMessage::AddressRefused : messages[kind]);
        QVERIFY(!expected.isEmpty());
        QCOMPARE(verdict.message,
                 expected.contains(u"%1"_s) ? expected.arg(file.downloadUrl) : expected);
    }

    // The server setting: a host, a host and port, or a web address (path dropped).
    void serverSetting()
    {
        const std::pair<QString, QString> rows[] = {
            {QString(), u"https://www.orvane.com"_s},
            {u" u.example.net:8443 "_s, u"https://u.example.net:8443"_s},
            {u"http://127.0.0.1:8000/x?y"_s, u"http://127.0.0.1:8000"_s},
            {u"ftp://e.net"_s, QString()}};
        for (const auto& [setting, server] : rows)
            QCOMPARE(UpgradeCheckServer::VersionFileUrl(UpgradeCheckServer::FromSetting(setting))
                         .toString(),
                     server.isEmpty() ? server : server + u"/support/autoupdate/K220Version.txt"_s);
    }

    // The answer as a message box; the check runs one at a time, in bounded time.
    void theMenuEntry_data()
    {
        QTest::addColumn<QByteArray>("body");    // empty: the server never answers
        QTest::addColumn<int>("status");         // 0: the server refuses the connection
        QTest::addColumn<QList<int>>("answers"); // one per box shown
        QTest::addColumn<QString>("opened");
        QTest::addColumn<int>("lastText");
        const auto row = [](const char* tag, const QByteArray& body, int status, QList<int> answers,
                            int lastText, const char* opened = "") {
            QTest::newRow(tag) << body << status << answers << QString::fromLatin1(opened)
                               << lastText;
        };
        const char* page = "https://e.net/get.htm";
        const int yes = QMessageBox::Yes;
        const int ok = QMessageBox::Ok;
        row("Yes opens the page", Newer, 200, {yes}, UpgradeMessage::NewVersion, page);
        row("No opens nothing", Newer, 200, {QMessageBox::No}, UpgradeMessage::NewVersion);
        row("the desktop cannot open it", Newer, 200, {yes, ok}, UpgradeMessage::OpenFailed, page);
        row("an error page is no file", Newer, 404, {ok}, UpgradeMessage::NoInformation);
        row("larger than a version file", QByteArray(UpgradeCheckFile::MaxSize, '\n') + Newer, 200,
            {ok}, UpgradeMessage::NoInformation);
        row("refused", Newer, 0, {ok}, UpgradeMessage::NoConnection);
        row("no answer", QByteArray(), 200, {ok}, UpgradeMessage::NoConnection);
    }

    void theMenuEntry()
    {
        QFETCH(QByteArray, body);
        QFETCH(int, status);
        QFETCH(QList<int>, answers);
        QFETCH(QString, opened);
        QFETCH(int, lastText);
        web.body = body;
        web.status = status;
        opener.works = lastText != UpgradeMessage::OpenFailed;
        QWidget window;
        QMenu menu;
        HelpMenuEntries* entries = HelpMenuEntries::Install(menu, window, 1, 4);
        QVERIFY(entries->Check().Timeout() <= 10000); // a silent server ends it in bounded time
        entries->Check().SetTimeout(100);
        if (status == 0) // nothing listens on port 1
            entries->Check().SetServer(QUrl(u"http://127.0.0.1:1"_s));
        QSignalSpy answered(entries, &HelpMenuEntries::upgradeCheckAnswered);
        const int shownBefore = MessageBox::Shown();
        for (int answer : answers)
            MessageBox::SetNextAnswer(QMessageBox::StandardButton(answer));

        entries->UpgradeAction()->trigger();
        QVERIFY(!entries->Check().Start());
        QVERIFY(!entries->UpgradeAction()->isEnabled());
        QVERIFY(QApplication::overrideCursor() &&
                QApplication::overrideCursor()->shape() == Qt::WaitCursor);
        QVERIFY(answered.wait(5000));
        QCOMPARE(answered.size(), 1);
        QVERIFY(entries->UpgradeAction()->isEnabled());
        QVERIFY(!QApplication::overrideCursor());
        const QString text = MessageTable::Text(lastText);
        QCOMPARE(MessageBox::LastText(), text.contains(u"%1"_s) ? text.arg(opened) : text);
        QCOMPARE(MessageBox::Shown() - shownBefore, answers.size());
        QCOMPARE(opener.opened, opened.isEmpty() ? QList<QUrl>() : QList<QUrl>{QUrl(opened)});
        const QString get = u"GET /support/autoupdate/K220Version.txt HTTP/1.1"_s;
        QCOMPARE(web.requests, status && !body.isEmpty() ? QStringList{get} : QStringList());
    }
};

QTEST_MAIN(TestHelp)
#include "test_help.moc"
