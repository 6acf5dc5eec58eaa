#include "desktop/help_menu_entries.h"
#include "desktop/help_topic.h"
#include "desktop/help_window.h"
#include "desktop/url_opener.h"
#include "setup/c_advanced_page.h"
#include "setup/c_input_page.h"
#include "setup/c_level_page.h"
#include "setup/c_speaker_page.h"
#include "setup/c_surrmode_page.h"

#include <QAction>
#include <QFile>
#include <QMenu>
#include <QScrollBar>
#include <QSet>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>

#include <functional>
#include <memory>

using PageMaker = std::function<QWidget*()>;
Q_DECLARE_METATYPE(PageMaker)

namespace {

struct Page
{
    QSet<QString> anchors;
    QStringList links;
    QString title;
    int words = 0;
};

// What the help window will find in a page: its anchors and its links.
Page Read(const QUrl& url)
{
    Page page;
    QFile file(QLatin1Char(':') + url.path());
    if (!file.open(QIODevice::ReadOnly))
        return page;
    QTextDocument document;
    document.setHtml(QString::fromUtf8(file.readAll()));
    page.title = document.metaInformation(QTextDocument::DocumentTitle);
    page.words = int(document.toPlainText().split(QLatin1Char(' '), Qt::SkipEmptyParts).size());
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            for (const QString& name : format.anchorNames())
                page.anchors.insert(name);
            if (format.isAnchor() && !format.anchorHref().isEmpty())
                page.links.append(format.anchorHref());
        }
    }
    return page;
}

class RecordingOpener : public UrlOpener
{
public:
    QList<QUrl> opened;

protected:
    bool Open(const QUrl& url) override
    {
        opened.append(url);
        return true;
    }
};

void CloseHelp()
{
    delete HelpWindow::Instance();
}

} // namespace

class TestHelp : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { CloseHelp(); }

    // Every topic a window asks for lands on an existing page and anchor.
    void topicsResolve_data()
    {
        QTest::addColumn<QString>("topic");
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("anchor");
        QTest::newRow("input") << QString(HelpTopic::InputPage) << "setup.html"
                               << "input_settings";
        QTest::newRow("speaker") << QString(HelpTopic::SpeakerPage) << "setup.html"
                                 << "speaker_setup";
        QTest::newRow("level") << QString(HelpTopic::LevelPage) << "setup.html"
                               << "level_setup";
        QTest::newRow("advanced") << QString(HelpTopic::AdvancedPage) << "setup.html"
                                  << "advanced_setup";
        QTest::newRow("surround modes") << QString(HelpTopic::SurroundModesPage) << "presets.html"
                                        << "";
        QTest::newRow("options") << QString(HelpTopic::OptionsDialog) << "options.html"
                                 << "options";
        QTest::newRow("contents") << QString(HelpTopic::Contents) << "index.html"
                                  << "";
        QTest::newRow("without ::/, other case") << "VELTRIX-setup_102.HTML#level_setup"
                                                 << "setup.html"
                                                 << "level_setup";
        QTest::newRow("own page") << "troubleshooting.html#permissions"
                                  << "troubleshooting.html"
                                  << "permissions";
        QTest::newRow("unknown page: contents") << "::/nothing.html#x"
                                                << "index.html"
                                                << "";
        QTest::newRow("a path is no page") << "::/../../etc/passwd"
                                           << "index.html"
                                           << "";
    }

    void topicsResolve()
    {
        QFETCH(QString, topic);
        QFETCH(QString, page);
        QFETCH(QString, anchor);
        const QUrl url = HelpTopic::Resolve(topic);
        QCOMPARE(url.scheme(), QStringLiteral("qrc"));
        QCOMPARE(url.fileName(), page);
        QCOMPARE(url.fragment(), anchor);
        const Page read = Read(url);
        QVERIFY2(read.words > 100, qPrintable(page));
        if (!anchor.isEmpty())
            QVERIFY2(read.anchors.contains(anchor), qPrintable(topic));
    }

    void everyTopicIsInTheTable()
    {
        const QStringList pages = HelpTopic::Pages();
        for (const QString& topic : HelpTopic::Topics())
            QVERIFY(pages.contains(HelpTopic::Resolve(topic).fileName()));
    }

    // Links between the pages reach existing pages and anchors; links out
    // are web addresses.
    void everyLinkResolves()
    {
        for (const QString& name : HelpTopic::Pages()) {
            const QUrl url = HelpTopic::PageUrl(name);
            const Page page = Read(url);
            QVERIFY2(!page.title.isEmpty(), qPrintable(name));
            QVERIFY2(name == QLatin1String("index.html") ||
                         page.links.contains(QStringLiteral("index.html")),
                     qPrintable(name));
            for (const QString& link : page.links) {
                const QUrl target = url.resolved(QUrl(link));
                const QString where = name + QStringLiteral(" -> ") + link;
                if (target.scheme() != QLatin1String("qrc")) {
                    QVERIFY2(target.scheme() == QLatin1String("https"), qPrintable(where));
                    continue;
                }
                QVERIFY2(HelpTopic::Pages().contains(target.fileName()), qPrintable(where));
                if (target.hasFragment())
                    QVERIFY2(Read(target).anchors.contains(target.fragment()), qPrintable(where));
            }
        }
    }

    // The window opens at the anchor, scrolled to it, and Contents goes back
    // to the top of the first page.
    void theWindowShowsTheAnchor()
    {
        HelpWindow::Show(HelpTopic::AdvancedPage);
        HelpWindow* window = HelpWindow::Instance();
        QVERIFY(window && window->isVisible());
        QTextBrowser* browser = window->Browser();
        QCOMPARE(browser->source(), HelpTopic::Resolve(HelpTopic::AdvancedPage));
        QTRY_VERIFY(browser->verticalScrollBar()->value() > 0);
        QVERIFY(window->windowTitle().contains(QStringLiteral("Receiver Setup")));

        HelpWindow::Show(HelpTopic::InputPage); // the same page, another anchor
        QCOMPARE(HelpWindow::Instance(), window);
        const int input = browser->verticalScrollBar()->value();
        HelpWindow::Show(HelpTopic::AdvancedPage);
        QVERIFY(browser->verticalScrollBar()->value() > input);

        HelpWindow::Show(HelpTopic::Contents);
        QCOMPARE(browser->source().fileName(), QStringLiteral("index.html"));
        QCOMPARE(browser->verticalScrollBar()->value(), 0);
    }

    void linksInTheWindow()
    {
        RecordingOpener opener;
        UrlOpener::Install(&opener);
        HelpWindow::Show(HelpTopic::Contents);
        QTextBrowser* browser = HelpWindow::Instance()->Browser();
        Q_EMIT browser->anchorClicked(QUrl(QStringLiteral("connecting.html#usb_adapters")));
        QCOMPARE(browser->source(),
                 HelpTopic::Resolve(QStringLiteral("connecting.html#usb_adapters")));
        Q_EMIT browser->anchorClicked(QUrl(QStringLiteral("https://example.net/a")));
        Q_EMIT browser->anchorClicked(QUrl(QStringLiteral("file:///usr/bin/xterm")));
        Q_EMIT browser->anchorClicked(QUrl(QStringLiteral("javascript:alert(1)")));
        UrlOpener::Install(nullptr);
        QCOMPARE(opener.opened, QList<QUrl>{QUrl(QStringLiteral("https://example.net/a"))});
        QCOMPARE(browser->source().fileName(), QStringLiteral("connecting.html"));
    }

    void f1OnTheSetupPages_data()
    {
        QTest::addColumn<PageMaker>("make");
        QTest::addColumn<QString>("topic");
        QTest::newRow("input") << PageMaker([] { return new CInputPage; })
                               << QString(HelpTopic::InputPage);
        QTest::newRow("speaker") << PageMaker([] { return new CSpeakerPage; })
                                 << QString(HelpTopic::SpeakerPage);
        QTest::newRow("level") << PageMaker([] { return new CLevelPage; })
                               << QString(HelpTopic::LevelPage);
        QTest::newRow("advanced") << PageMaker([] { return new CAdvancedPage; })
                                  << QString(HelpTopic::AdvancedPage);
        QTest::newRow("surround modes")
            << PageMaker([] { return new CSurrmodePage; }) << QString(HelpTopic::SurroundModesPage);
    }

    void f1OnTheSetupPages()
    {
        QFETCH(PageMaker, make);
        std::unique_ptr<QWidget> page(make());
        page->show();
        QVERIFY(QTest::qWaitForWindowExposed(page.get()));
        page->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(page.get()));
        // F1 from a control inside the page, as the user presses it.
        QWidget* focus = nullptr;
        for (QWidget* child : page->findChildren<QWidget*>()) {
            if ((child->focusPolicy() & Qt::TabFocus) && child->isEnabled() && child->isVisible()) {
                focus = child;
                break;
            }
        }
        QVERIFY(focus);
        focus->setFocus();
        QVERIFY(!HelpWindow::Instance());
        QTest::keyClick(focus, Qt::Key_F1);
        QVERIFY(HelpWindow::Instance());
        QFETCH(QString, topic);
        QCOMPARE(HelpWindow::Instance()->Browser()->source(), HelpTopic::Resolve(topic));
    }

    void contentsInTheHelpMenu()
    {
        QWidget window;
        QMenu menu;
        HelpMenuEntries* entries = HelpMenuEntries::Install(menu, window, 1, 4);
        QStringList texts;
        for (QAction* action : menu.actions()) {
            if (!action->isSeparator())
                texts.append(action->text());
        }
        QCOMPARE(texts,
                 (QStringList{QStringLiteral("Contents..."), QStringLiteral("Check for Upgrade"),
                              QStringLiteral("&About...")}));
        entries->ContentsAction()->trigger();
        QVERIFY(HelpWindow::Instance() && HelpWindow::Instance()->isVisible());
        QCOMPARE(HelpWindow::Instance()->Browser()->source().fileName(),
                 QStringLiteral("index.html"));
    }
};

QTEST_MAIN(TestHelp)
#include "test_help.moc"
