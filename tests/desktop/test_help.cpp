#include "common/help_topic.h"
#include "desktop/about_dlg.h"
#include "desktop/help_menu_entries.h"
#include "desktop/help_window.h"
#include "desktop/hyperlink_static.h"
#include "desktop_fixture.h"
#include "model/settings_image.h"
#include "setup/setup_sheet.h"

#include <QAccessible>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QMenu>
#include <QScrollBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTimer>
#include <QToolButton>

#include <algorithm>

namespace {

// What the help window finds in a page: its anchors, links and text.
struct Page
{
    QStringList anchors;
    QStringList links;
    QString title;
    qsizetype words = 0;
};

Page Read(const QUrl& url)
{
    Page page;
    QFile file(QLatin1Char(':') + url.path());
    if (!file.open(QIODevice::ReadOnly))
        return page;
    QTextDocument document;
    document.setHtml(QString::fromUtf8(file.readAll()));
    page.title = document.metaInformation(QTextDocument::DocumentTitle);
    page.words = document.toPlainText().split(QLatin1Char(' '), Qt::SkipEmptyParts).size();
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            page.anchors += format.anchorNames();
            if (format.isAnchor() && !format.anchorHref().isEmpty())
                page.links.append(format.anchorHref());
        }
    }
    return page;
}

const QUrl MakerSite(u"https://www.orvane.com"_s);

} // namespace

// The help window, the Help menu and the About box.
class TestHelp : public QObject
{
    Q_OBJECT

    RecordingOpener opener;

private Q_SLOTS:
    void initTestCase() { HelpWindow::Install(); }
    void init()
    {
        opener.opened.clear();
        UrlOpener::Install(&opener);
    }
    void cleanup()
    {
        UrlOpener::Install(nullptr);
        delete HelpWindow::Instance();
    }

    // Every topic a window asks for lands on an existing page and anchor.
    void topicsResolve_data()
    {
        QTest::addColumn<QString>("topic");
        QTest::addColumn<QString>("page"); // the page's file name, '#' and the anchor
        const std::pair<const char*, QString> rows[] = {
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
        for (const auto& [page, topic] : rows)
            QTest::newRow(qPrintable(topic)) << topic << QString::fromLatin1(page);
    }

    void topicsResolve()
    {
        QFETCH(QString, topic);
        const QUrl url = HelpTopic::Resolve(topic);
        QCOMPARE(url.scheme(), u"qrc"_s);
        QTEST(url.fileName() + u'#' + url.fragment(), "page");
        const QString anchor = url.fragment();
        const Page page = Read(url);
        QVERIFY(page.words > 100);
        QVERIFY(anchor.isEmpty() || page.anchors.contains(anchor));
    }

    // Links between the pages reach existing pages and anchors, every page
    // leads back to the contents, and links out are https.
    void everyLinkResolves()
    {
        for (const QString& name : HelpTopic::Pages()) {
            const QUrl url = HelpTopic::PageUrl(name);
            const Page page = Read(url);
            QVERIFY2(!page.title.isEmpty(), qPrintable(name));
            QVERIFY2(name == QLatin1String("index.html") || page.links.contains(u"index.html"_s),
                     qPrintable(name));
            for (const QString& link : page.links) {
                const QUrl target = url.resolved(QUrl(link));
                const QByteArray where = (name + u" -> "_s + link).toUtf8();
                if (target.scheme() != QLatin1String("qrc")) {
                    QVERIFY2(target.scheme() == QLatin1String("https"), where);
                    continue;
                }
                QVERIFY2(HelpTopic::Pages().contains(target.fileName()), where);
                QVERIFY2(!target.hasFragment() || Read(target).anchors.contains(target.fragment()),
                         where);
            }
        }
    }

    // The window opens at the anchor, scrolled to it; Contents in the Help
    // menu goes back to the top of the first page; links are followed in the
    // window or, for web pages only, in the browser.
    void theWindow()
    {
        HelpWindow::Show(HelpTopic::AdvancedPage);
        HelpWindow* window = HelpWindow::Instance();
        QVERIFY(window && window->isVisible());
        QTextBrowser* browser = window->Browser();
        QCOMPARE(browser->source(), HelpTopic::Resolve(HelpTopic::AdvancedPage));
        const int advanced = browser->verticalScrollBar()->value();
        HelpWindow::Show(HelpTopic::InputPage); // the same page, another anchor
        QCOMPARE(HelpWindow::Instance(), window);
        QVERIFY(browser->verticalScrollBar()->value() > 0);
        QVERIFY(browser->verticalScrollBar()->value() < advanced);

        QWidget owner;
        QMenu menu;
        HelpMenuEntries::Install(menu, owner, 1, 4)->ContentsAction()->trigger();
        QCOMPARE(browser->source().fileName(), u"index.html"_s);
        QCOMPARE(browser->verticalScrollBar()->value(), 0);

        for (const char* link : {"connecting.html#usb_adapters", "https://e.net/a",
                                 "file:///usr/bin/xterm", "javascript:alert(1)"})
            Q_EMIT browser->anchorClicked(QUrl(QString::fromLatin1(link)));
        QCOMPARE(opener.opened, QList<QUrl>{QUrl(u"https://e.net/a"_s)});
        QCOMPARE(browser->source(), HelpTopic::Resolve(u"connecting.html#usb_adapters"_s));
    }

    // Help asked for from a modal dialog can still be used.
    void helpOverAModalDialog()
    {
        QDialog dialog;
        dialog.setWindowModality(Qt::ApplicationModal);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        HelpWindow::Show(HelpTopic::SpeakerPage);
        QVERIFY(QTest::qWaitForWindowExposed(HelpWindow::Instance()));
        const QList<QToolButton*> buttons = HelpWindow::Instance()->findChildren<QToolButton*>();
        QVERIFY(!buttons.isEmpty());
        // Contents, clicked through the window system, where a window that
        // the dialog blocks gets no click.
        HelpWindow* help = HelpWindow::Instance();
        QTest::mouseClick(help->windowHandle(), Qt::LeftButton, {},
                          buttons.first()->mapTo(help, buttons.first()->rect().center()));
        QCOMPARE(HelpWindow::Instance()->Browser()->source().fileName(), u"index.html"_s);
    }

    // F1 in the Receiver Setup sheet opens the topic of the page shown,
    // from its tab bar as from a control inside the page.
    void f1InTheSetupSheet_data()
    {
        QTest::addColumn<int>("presetNumber");
        QTest::addColumn<QStringList>("topics");
        QTest::newRow("current setup")
            << 0
            << QStringList{HelpTopic::InputPage, HelpTopic::SpeakerPage, HelpTopic::LevelPage,
                           HelpTopic::ListeningModesPage, HelpTopic::AdvancedPage};
        QTest::newRow("A/V preset")
            << 2
            << QStringList{HelpTopic::SurroundModesPage, HelpTopic::SpeakerPage,
                           HelpTopic::LevelPage, HelpTopic::ListeningModesPage,
                           HelpTopic::AdvancedPage};
    }
    void f1InTheSetupSheet()
    {
        QFETCH(int, presetNumber);
        QFETCH(QStringList, topics);
        ModelFacts facts{u"K230"_s, u"v2.05"_s};
        facts.blockSize = 67;
        SettingsImage image;
        image.Reset(facts);
        const SetupFlags flags = SetupFlags::For(facts, presetNumber);
        SetupSheet sheet(SetupFields::Load(image, flags), flags);
        sheet.show();
        sheet.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&sheet));
        QTabWidget* tabs = sheet.Tabs();
        QCOMPARE(tabs->count(), topics.size());
        for (int i = 0; i < tabs->count(); ++i) {
            tabs->setCurrentIndex(i);
            const QList<QWidget*> children = tabs->widget(i)->findChildren<QWidget*>();
            const auto control = std::find_if(children.begin(), children.end(), [](QWidget* w) {
                return (w->focusPolicy() & Qt::TabFocus) && w->isEnabled() && w->isVisible();
            });
            QVERIFY(control != children.end());
            for (QWidget* focus : {static_cast<QWidget*>(tabs->tabBar()), *control}) {
                focus->setFocus();
                delete HelpWindow::Instance();
                QTest::keyClick(focus, Qt::Key_F1);
                QVERIFY2(HelpWindow::Instance(), qPrintable(tabs->tabText(i)));
                QCOMPARE(HelpWindow::Instance()->Browser()->source(),
                         HelpTopic::Resolve(topics.at(i)));
            }
        }
        delete HelpWindow::Instance();
    }

    // "&About..." runs the box modally; it says what the program is.
    void theBoxFromTheHelpMenu()
    {
        QWidget window;
        QMenu menu;
        QStringList texts;
        QTimer::singleShot(0, this, [&texts] {
            auto* about = qobject_cast<AboutDlg*>(QApplication::activeModalWidget());
            QVERIFY(about);
            texts.append(about->windowTitle());
            for (const QLabel* label : about->findChildren<QLabel*>())
                texts.append(label->text());
            about->accept();
        });
        HelpMenuEntries::Install(menu, window, 1, 4)->AboutAction()->trigger();
        for (const char* line :
             {"About Veltrix PC Interface", "Orvane Veltrix PC Interface", "Version 1.04",
              "Models Supported: K110, K220, K230, K240", "www.orvane.com"})
            QVERIFY2(texts.contains(QLatin1String(line)), line);
        QCOMPARE(AboutDlg::VersionText(2, 10), u"Version 2.10"_s);
    }

    // The box's link is announced as one; Tab reaches
    // it, Space, Enter, a left click and the accessible press open it
    // without closing the box; a right click, or a press released off the
    // link, does not; only web addresses open.
    void theLink()
    {
        AboutDlg about(1, 4);
        about.show();
        QVERIFY(QTest::qWaitForWindowActive(&about));
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
        QCOMPARE(opener.opened, QList<QUrl>(4, MakerSite));
        QVERIFY(about.isVisible());

        for (const char* refused : {"file:///etc/passwd", "javascript:alert(1)", ""})
            QVERIFY(!HyperlinkStatic(QString::fromLatin1(refused)).Activate());
        QVERIFY(HyperlinkStatic(u"http://e.net/a"_s).Activate());
        QCOMPARE(opener.opened.last(), QUrl(u"http://e.net/a"_s));
    }
};

QTEST_MAIN(TestHelp)
#include "test_help.moc"
