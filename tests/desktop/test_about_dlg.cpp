#include "desktop/about_dlg.h"
#include "desktop/help_menu_entries.h"
#include "desktop/hyperlink_static.h"
#include "desktop/url_opener.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
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

    void theBoxSaysWhatItIs()
    {
        AboutDlg about(1, 4);
        QCOMPARE(about.windowTitle(), QStringLiteral("About Veltrix PC Interface"));
        QStringList texts;
        for (const QLabel* label : about.findChildren<QLabel*>())
            texts.append(label->text());
        for (const char* line : {"Orvane Veltrix PC Interface", "Version 1.04",
                                 "Models Supported: K110, K220, K230, K240", "www.orvane.com"}) {
            QVERIFY2(texts.contains(QLatin1String(line)), line);
        }
        QCOMPARE(AboutDlg::VersionText(2, 10), QStringLiteral("Version 2.10"));
        QPushButton* ok = about.findChild<QPushButton*>();
        QVERIFY(ok && ok->text() == QStringLiteral("OK"));
    }

    void theLinkLooksLikeALink()
    {
        HyperlinkStatic link(QStringLiteral("www.orvane.com"));
        QCOMPARE(link.palette().color(QPalette::WindowText), QColor(0, 0, 255));
        QVERIFY(link.font().underline());
        QCOMPARE(link.cursor().shape(), Qt::PointingHandCursor);
        QVERIFY(link.focusPolicy() & Qt::TabFocus);
        QVERIFY(!link.autoFillBackground());
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(&link);
        QVERIFY(accessible);
        QCOMPARE(accessible->role(), QAccessible::Link);
        QCOMPARE(accessible->text(QAccessible::Name), QStringLiteral("www.orvane.com"));
        accessible->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(opener.opened, QList<QUrl>{MakerSite});
    }

    void addresses_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("opens");
        QTest::newRow("host name: https") << "www.orvane.com"
                                          << "https://www.orvane.com";
        QTest::newRow("an http address stays") << "http://example.net/a"
                                               << "http://example.net/a";
        QTest::newRow("file refused") << "file:///etc/passwd"
                                      << "";
        QTest::newRow("script refused") << "javascript:alert(1)"
                                        << "";
        QTest::newRow("nothing") << ""
                                 << "";
    }

    void addresses()
    {
        QFETCH(QString, text);
        QFETCH(QString, opens);
        HyperlinkStatic link(text);
        QCOMPARE(link.Activate(), !opens.isEmpty());
        QCOMPARE(opener.opened, opens.isEmpty() ? QList<QUrl>() : QList<QUrl>{QUrl(opens)});
    }

    void mouse()
    {
        HyperlinkStatic link(QStringLiteral("www.orvane.com"));
        link.resize(120, 20);
        link.show();
        QVERIFY(QTest::qWaitForWindowExposed(&link));
        QTest::mouseClick(&link, Qt::RightButton);
        QVERIFY(opener.opened.isEmpty());
        // Pressed on the link, released off it: no click.
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
        QWidget* start = QApplication::focusWidget();
        for (int i = 0; i < 4 && QApplication::focusWidget() != about.Link(); ++i)
            QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &about,
                            Qt::Key_Tab);
        QVERIFY(start != about.Link());
        QCOMPARE(QApplication::focusWidget(), about.Link());
        QTest::keyClick(about.Link(), Qt::Key_Space);
        QTest::keyClick(about.Link(), Qt::Key_Return);
        QCOMPARE(opener.opened, (QList<QUrl>{MakerSite, MakerSite}));
        QVERIFY(about.isVisible());
        QCOMPARE(about.result(), 0);
    }

    void theHelpMenuRunsTheBox()
    {
        QWidget window;
        QMenu menu;
        HelpMenuEntries* entries = HelpMenuEntries::Install(menu, window, 1, 4);
        QString seen;
        QTimer::singleShot(0, this, [&seen] {
            auto* about = qobject_cast<AboutDlg*>(QApplication::activeModalWidget());
            if (!about)
                return;
            seen = about->findChild<QLabel*>(QString())->parentWidget()->windowTitle();
            about->accept();
        });
        entries->AboutAction()->trigger();
        QCOMPARE(seen, QStringLiteral("About Veltrix PC Interface"));
    }

private:
    RecordingOpener opener;
};

QTEST_MAIN(TestAboutDlg)
#include "test_about_dlg.moc"
