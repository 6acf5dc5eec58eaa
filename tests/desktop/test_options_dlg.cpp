#include "desktop/desktop_integration.h"
#include "desktop/options_dlg.h"
#include "desktop/options_store.h"
#include "desktop/port_notice.h"
#include "desktop/tray_icon.h"
#include "desktop/volume_popup_dlg.h"
#include "desktop/xdg_autostart_entry.h"
#include "panel/control_panel_dlg.h"
#include "panel/panel_features.h"
#include "screenshot.h"
#include "test_bytes.h"
#include "unit/unit_session.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QRadioButton>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

template <typename T = QWidget> T* Child(const QWidget& parent, const QString& name)
{
    T* child = parent.findChild<T*>(name);
    if (!child)
        qFatal("no child %s", qPrintable(name));
    return child;
}

QCheckBox* Box(const QWidget& dialog, const QString& name)
{
    return Child<QCheckBox>(dialog, name);
}

const QList<PortList::Item> Ports = PortList::Items({{u"/dev/ttyUSB0"_s, u"FT232R USB UART"_s}});

} // namespace

class TestOptionsDlg : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> home;
    std::unique_ptr<UnitSession> session;
    std::unique_ptr<QMainWindow> window;
    DesktopIntegration* desktop = nullptr;

    void Make(const Options& options)
    {
        home = std::make_unique<QTemporaryDir>();
        session = std::make_unique<UnitSession>();
        session->SetPortSetting(options.port);
        window = std::make_unique<QMainWindow>();
        auto* file = new QMenu(window.get());
        QAction* exit = file->addAction(u"E&xit"_s);
        desktop = new DesktopIntegration(window.get(), *session, options, file, exit, nullptr);
        desktop->SetAutostartEntry(std::make_unique<XdgAutostartEntry>(home->path()));
        desktop->SetProgramPath(u"/opt/vx/veltrix-pc-interface"_s);
    }

    QString EntryPath() const { return XdgAutostartEntry(home->path()).FilePath(); }

private Q_SLOTS:
    void init()
    {
        QFile::remove(QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
                          .filePath(u"Orvane/Veltrix PC Interface.conf"_s));
    }
    void cleanup()
    {
        TrayIcon::SetAvailabilityForTests(std::nullopt);
        window.reset();
        session.reset();
    }

    void enablingRules_data()
    {
        QTest::addColumn<bool>("autostart");
        QTest::addColumn<bool>("trayIcon");
        QTest::addColumn<bool>("trayAvailable");
        QTest::newRow("all on") << true << true << true;
        QTest::newRow("no autostart") << false << true << true;
        QTest::newRow("icon off") << true << false << true;
        QTest::newRow("no tray") << true << true << false;
    }

    // On opening and on every click of the box that controls them.
    void enablingRules()
    {
        QFETCH(bool, autostart);
        QFETCH(bool, trayIcon);
        QFETCH(bool, trayAvailable);
        OptionsDlg dialog;
        dialog.SetValues({.autostart = autostart, .enableTrayIcon = trayIcon}, Ports,
                         trayAvailable);
        dialog.show();
        if (autostart && trayIcon && trayAvailable)
            SaveShot(dialog, u"options"_s);
        const auto check = [&](bool start, bool icon) {
            QCOMPARE(Box(dialog, u"autostartMinimized"_s)->isEnabled(), start);
            QCOMPARE(Box(dialog, u"enableTrayIcon"_s)->isEnabled(), trayAvailable);
            const bool tray = trayAvailable && icon;
            QCOMPARE(Box(dialog, u"minimizeToTray"_s)->isEnabled(), tray);
            QCOMPARE(Child(dialog, u"leftClickLabel"_s)->isEnabled(), tray);
            for (const char* name : {"leftClickMain", "leftClickZone", "leftClickOff"})
                QCOMPARE(Child(dialog, QString::fromLatin1(name))->isEnabled(), tray);
            QCOMPARE(Child(dialog, u"trayUnavailable"_s)->isVisible(), !trayAvailable);
        };
        check(autostart, trayIcon);
        QTest::mouseClick(Box(dialog, u"autostart"_s), Qt::LeftButton, {}, QPoint(5, 5));
        QTest::mouseClick(Box(dialog, u"enableTrayIcon"_s), Qt::LeftButton, {}, QPoint(5, 5));
        check(!autostart, trayAvailable ? !trayIcon : trayIcon);
    }

    void portChoices()
    {
        OptionsDlg dialog;
        dialog.SetValues({.port = u"/dev/ttyUSB0"_s}, Ports, true);
        auto* port = Child<QComboBox>(dialog, u"port"_s);
        QCOMPARE(port->currentText(), u"/dev/ttyUSB0 (FT232R USB UART)"_s);
        QCOMPARE(port->count(), 10);
        QCOMPARE(dialog.Values().port, u"/dev/ttyUSB0"_s);
        port->lineEdit()->setText(u"COM9"_s);
        QCOMPARE(dialog.Values().port, u"COM9"_s);
        dialog.SetValues({.port = u"/dev/serial/by-id/x"_s}, Ports, true);
        QCOMPARE(port->currentText(), u"/dev/serial/by-id/x"_s);
        QCOMPARE(dialog.Values().port, u"/dev/serial/by-id/x"_s);
    }

    // OK stores every setting and writes the log-on entry, which the next
    // opening shows; unchecking it removes it; Cancel changes nothing.
    void okStoresAndCancelDoesNot()
    {
        Make({});
        OptionsDlg::SetNextAnswer([](OptionsDlg& dialog) {
            Child<QComboBox>(dialog, u"port"_s)->lineEdit()->setText(u"COM9"_s);
            Box(dialog, u"autostart"_s)->setChecked(true);
            Box(dialog, u"autostartMinimized"_s)->setChecked(false);
            Box(dialog, u"minimizeToTray"_s)->setChecked(false);
            Child<QRadioButton>(dialog, u"leftClickOff"_s)->setChecked(true);
            return true;
        });
        desktop->OptionsAction()->trigger();
        const Options stored = OptionsStore::Load();
        QCOMPARE(stored.port, u"COM9"_s);
        QVERIFY(!stored.autostartMinimized);
        QVERIFY(stored.enableTrayIcon);
        QVERIFY(!stored.minimizeToTray);
        QCOMPARE(stored.leftClick, int(Options::Off));
        QCOMPARE(session->PortSetting(), u"COM9"_s);
        QFile entry(EntryPath());
        QVERIFY(entry.open(QIODevice::ReadOnly));
        QVERIFY(entry.readAll().contains("\nExec=/opt/vx/veltrix-pc-interface /run\n"));
        entry.close();

        bool shownChecked = false;
        OptionsDlg::SetNextAnswer([&](OptionsDlg& dialog) {
            shownChecked = Box(dialog, u"autostart"_s)->isChecked();
            Box(dialog, u"autostart"_s)->setChecked(false);
            Box(dialog, u"enableTrayIcon"_s)->setChecked(false);
            return false;
        });
        desktop->RunOptions();
        QVERIFY(shownChecked);
        QVERIFY(QFileInfo::exists(EntryPath()));
        QVERIFY(OptionsStore::Load().enableTrayIcon);

        OptionsDlg::SetNextAnswer([](OptionsDlg& dialog) {
            Box(dialog, u"autostart"_s)->setChecked(false);
            return true;
        });
        desktop->RunOptions();
        QVERIFY(!QFileInfo::exists(EntryPath()));
        QCOMPARE(OptionsStore::Load().port, u"COM9"_s);
    }

    // Without a tray the icon stays away whatever the box says; with one,
    // OK adds or removes it at once.
    void trayIconAddedAndRemoved()
    {
        Make({});
        QVERIFY(!desktop->AddTrayIcon()); // offscreen has no tray
        OptionsDlg::SetNextAnswer([](OptionsDlg& dialog) {
            return Child(dialog, u"trayUnavailable"_s)->isVisibleTo(&dialog) &&
                   !Box(dialog, u"enableTrayIcon"_s)->isEnabled();
        });
        desktop->RunOptions();
        QVERIFY(!desktop->TrayIconShown());

        TrayIcon::SetAvailabilityForTests(true);
        QVERIFY(desktop->AddTrayIcon());
        OptionsDlg::SetNextAnswer([](OptionsDlg& dialog) {
            Box(dialog, u"enableTrayIcon"_s)->setChecked(false);
            return true;
        });
        desktop->RunOptions();
        QVERIFY(!desktop->TrayIconShown());
    }

    // OK re-enables the popup for the room the left-click action names.
    void popupEnabledAfterOk()
    {
        Make({});
        session->Dispatch(Bytes({20, 52, 1})); // zone on, main off
        QVERIFY(!desktop->Popup().IsOn());
        OptionsDlg::SetNextAnswer([](OptionsDlg& dialog) {
            Child<QRadioButton>(dialog, u"leftClickZone"_s)->setChecked(true);
            return true;
        });
        desktop->RunOptions();
        QVERIFY(desktop->Popup().IsOn());
    }

    // A named port the user may not open: one line with the path, the
    // reason and the device's group, however often the probe fails.
    void permissionNoticeShownOnce()
    {
        QTemporaryFile device;
        QVERIFY(device.open());
        const QString path = device.fileName();
        Make({.port = path});
        PortNotice& notice = desktop->Notice();
        window->show();
        for (int i = 0; i < 3; ++i)
            Q_EMIT session->portOpenFailed(path, SerialPort::OpenFailure::PermissionDenied);
        const QString text = notice.Text();
        QVERIFY(text.contains(path));
        QVERIFY(text.contains(u"permission denied"_s));
        QVERIFY(text.contains(u'"' + QFileInfo(path).group() + u'"'));
        QVERIFY(text.contains(u"log in again"_s));
        QCOMPARE(window->findChildren<QLabel*>(u"portNotice"_s).size(), 1);
        QVERIFY(window->statusBar()->isVisible());

        session->Dispatch(Bytes({20, 20, 'K', '2', '2', '0'})); // a unit answers
        QVERIFY(notice.Text().isEmpty());
        QVERIFY(!window->statusBar()->isVisible());

        Q_EMIT session->portOpenFailed(path, SerialPort::OpenFailure::Missing);
        Q_EMIT session->portOpenFailed(path, SerialPort::OpenFailure::Busy);
        QVERIFY(notice.Text().isEmpty());
        session->SetPortSetting(QString::fromLatin1(UnitSession::AutoDetect));
        Q_EMIT session->portOpenFailed(u"/dev/ttyS0"_s, SerialPort::OpenFailure::PermissionDenied);
        QVERIFY(notice.Text().isEmpty());
        QCOMPARE(PortNotice::PermissionText(u"/dev/ttyUSB0"_s, QString()).contains(u"group"_s),
                 true);
    }

    void fileMenuHasOptionsBeforeExit()
    {
        UnitSession session;
        ControlPanelDlg panel(session, Options{}, false);
        auto* features = new PanelFeatures(session, panel, Options{}, 1, 4);
        const QList<QAction*> entries = panel.FileMenu()->actions();
        const auto exit = entries.indexOf(panel.ExitAction());
        QVERIFY(exit > 0);
        QCOMPARE(entries.at(exit - 1)->text(), u"&Options..."_s);
        QCOMPARE(entries.at(exit - 1), features->Desktop().OptionsAction());
    }

    // Started at log-on: hidden only when a tray icon really shows.
    void autostartHidesOnlyWithATray_data()
    {
        QTest::addColumn<bool>("tray");
        QTest::newRow("tray") << true;
        QTest::newRow("no tray") << false;
    }

    void autostartHidesOnlyWithATray()
    {
        QFETCH(bool, tray);
        TrayIcon::SetAvailabilityForTests(tray);
        const Options options{.port = u"/nonexistent/port"_s};
        UnitSession session;
        ControlPanelDlg panel(session, options, true);
        auto* features = new PanelFeatures(session, panel, options, 1, 4);
        features->Start();
        QCOMPARE(features->Desktop().TrayIconShown(), tray);
        QCOMPARE(panel.isVisible(), !tray);
        if (!tray)
            QVERIFY(panel.isMinimized());
        panel.close();
        QVERIFY(!features->Desktop().TrayIconShown());
    }
};

QTEST_MAIN(TestOptionsDlg)
#include "test_options_dlg.moc"
