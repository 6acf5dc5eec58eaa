#include "desktop/about_dlg.h"
#include "desktop/help_menu_entries.h"
#include "desktop/hyperlink_static.h"
#include "desktop/url_opener.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QTest>
#include <QTimer>

namespace {

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

const QUrl MakerSite(QStringLiteral("https://www.orvane.com"));

} // namespace

class TestAboutDlg : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        opener.opened.clear();
        UrlOpener::Install(&opener);
    }
    void cleanup() { UrlOpener::Install(nullptr); }

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
        QCOMPARE(AboutDlg::VersionText(2, 10), QStringLiteral("Version 2.10"));
    }

    // Looks like a link, is announced as one, and opens web addresses only.
    void theLink()
    {
        HyperlinkStatic link(QStringLiteral("www.orvane.com"));
        QCOMPARE(link.palette().color(QPalette::WindowText), QColor(0, 0, 255));
        QVERIFY(link.font().underline() && !link.autoFillBackground());
        QCOMPARE(link.cursor().shape(), Qt::PointingHandCursor);
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(&link);
        QCOMPARE(accessible->role(), QAccessible::Link);
        accessible->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(opener.opened, QList<QUrl>{MakerSite});

        for (const char* refused : {"file:///etc/passwd", "javascript:alert(1)", ""})
            QVERIFY(!HyperlinkStatic(QString::fromLatin1(refused)).Activate());
        QVERIFY(HyperlinkStatic(QStringLiteral("http://e.net/a")).Activate());
        QCOMPARE(opener.opened.last(), QUrl(QStringLiteral("http://e.net/a")));
        QCOMPARE(opener.opened.size(), 2);
    }

    // A left click opens; a right click, or a press released off the link,
    // does not.
    void mouse()
    {
        HyperlinkStatic link(QStringLiteral("www.orvane.com"));
        link.resize(120, 20);
        link.show();
        QVERIFY(QTest::qWaitForWindowExposed(&link));
        QTest::mouseClick(&link, Qt::RightButton);
        QTest::mousePress(&link, Qt::LeftButton, {}, QPoint(5, 5));
        QTest::mouseRelease(&link, Qt::LeftButton, {}, QPoint(300, 5));
        QVERIFY(opener.opened.isEmpty());
        QTest::mouseClick(&link, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(opener.opened, QList<QUrl>{MakerSite});
    }

    // Tab reaches the link; Space and Enter open it and do not close the box.
    void keyboard()
    {
        AboutDlg about(1, 4);
        about.show();
        QVERIFY(QTest::qWaitForWindowActive(&about));
        QVERIFY(QApplication::focusWidget() != about.Link());
        for (int i = 0; i < 4 && QApplication::focusWidget() != about.Link(); ++i)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), about.Link());
        QTest::keyClick(about.Link(), Qt::Key_Space);
        QTest::keyClick(about.Link(), Qt::Key_Return);
        QCOMPARE(opener.opened, (QList<QUrl>{MakerSite, MakerSite}));
        QVERIFY(about.isVisible());
    }

private:
    RecordingOpener opener;
};

QTEST_MAIN(TestAboutDlg)
#include "test_about_dlg.moc"
