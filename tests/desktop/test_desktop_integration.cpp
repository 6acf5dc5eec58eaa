#include "common/message_table.h"
#include "desktop/autostart.h"
#include "desktop/desktop_integration.h"
#include "desktop/options_dlg.h"
#include "desktop/options_store.h"
#include "desktop/port_list.h"
#include "desktop/port_notice.h"
#include "desktop/tray_icon.h"
#include "desktop/tray_menu.h"
#include "desktop/volume_popup_dlg.h"
#include "desktop/xdg_autostart_entry.h"
#include "event_wait.h"
#include "link/serial_port.h"
#include "screenshot.h"
#include "scripted_unit.h"
#include "test_bytes.h"
#include "unit/unit_session.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSlider>
#include <QStandardPaths>
#include <QStatusBar>
#include <QStyleHints>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

// Runs the event loop until the condition holds, polling every millisecond
// (QTRY_* polls every 50 ms); fails when 10 s pass first.
#define WAIT_UNTIL(condition) QVERIFY2(WaitFor([&] { return bool(condition); }, 10000), #condition)

namespace {

QString ConfFile()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
        .filePath(u"Orvane/Veltrix PC Interface.conf"_s);
}

UnitSession::Timing Fast(int period)
{
    UnitSession::Timing timing;
    timing.connectPeriod = period;
    timing.refreshPause = 5;
    timing.port.readTotal = 60000;
    return timing;
}

template <typename T = QWidget> T* Child(const QObject& parent, const QString& name)
{
    T* child = parent.findChild<T*>(name);
    if (!child)
        qFatal("no child %s", qPrintable(name));
    return child;
}

QByteArray Report(int variable, int value)
{
    return Bytes({MessageType::Variable, variable, value});
}

// A window with its desktop pieces (File menu with Exit, a log-on entry in
// a folder of its own) and a session, connected to a scripted unit by
// Connect so commands reach the line.
struct DesktopFixture
{
    explicit DesktopFixture(const Options& options = {})
    {
        session->SetPortSetting(options.port);
        auto* file = new QMenu(window.get());
        QAction* exit = file->addAction(u"E&xit"_s);
        desktop = new DesktopIntegration(window.get(), *session, options, file, exit, nullptr);
        desktop->SetAutostartEntry(std::make_unique<XdgAutostartEntry>(home.path()));
        desktop->SetProgramPath(u"/opt/vx/veltrix-pc-interface"_s);
    }

    bool Connect(const QByteArray& model)
    {
        unit = std::make_unique<ScriptedUnit>();
        unit->SetResponder(ScriptedUnit::Identifying(model, 2, 5));
        session->SetTiming(Fast(30));
        session->SetPortSetting(unit->SlavePath());
        QObject::connect(&session->Link(), &UnitLink::payloadSent, window.get(),
                         [this](const QByteArray& payload) { sent.append(payload); });
        session->Start();
        return WaitFor(
            [this] {
                return session->Status().connected && !session->IsProbing() &&
                       !session->Status().facts.versionText.isEmpty();
            },
            5000);
    }

    void Feed(const QList<QByteArray>& payloads) const
    {
        for (const QByteArray& p : payloads)
            session->Dispatch(p);
    }

    QString EntryPath() const { return XdgAutostartEntry(home.path()).FilePath(); }

    QTemporaryDir home;
    std::unique_ptr<ScriptedUnit> unit;
    std::unique_ptr<UnitSession> session = std::make_unique<UnitSession>();
    std::unique_ptr<QMainWindow> window = std::make_unique<QMainWindow>();
    DesktopIntegration* desktop = nullptr;
    QList<QByteArray> sent; // the payloads sent, in order
};

QCheckBox* Box(const QWidget& dialog, const QString& name)
{
    return Child<QCheckBox>(dialog, name);
}

const QByteArray MainOn = Report(Variable::MainPower, 1);

} // namespace

// What the program keeps between runs (the options, the log-on entry), how
// it reads its command line and finds the unit's port; the Options dialog
// and the desktop pieces it drives: the log-on entry, the tray icon with its
// menu, the volume popup and the port notice.
class TestDesktopIntegration : public QObject
{
    Q_OBJECT

    std::unique_ptr<DesktopFixture> u; // connected to a K220 for the whole run

    template <typename T> T* PopupChild(const QString& name) const
    {
        return Child<T>(u->desktop->Popup(), name);
    }
    QString PopupText(const QString& name) const { return PopupChild<QLabel>(name)->text(); }
    QSlider* Slider() const { return PopupChild<QSlider>(u"volume"_s); }
    // "Main Volume 20/62 -20 dB, live, muted": the room, the slider's
    // position and bottom, the text, enabled controls and the mute mark.
    QString PopupState() const
    {
        const auto* mute = PopupChild<QPushButton>(u"mute"_s);
        QString state = u"%1 %2/%3 %4"_s.arg(PopupText(u"room"_s))
                            .arg(Slider()->value())
                            .arg(Slider()->maximum())
                            .arg(PopupText(u"value"_s));
        if (Slider()->isEnabled())
            state += u", live"_s;
        if (mute->isEnabled() != Slider()->isEnabled())
            state += u", mute control differs"_s;
        if (mute->isChecked())
            state += u", muted"_s;
        return state;
    }
    // The tray menu's radio marks: "main 3, surround 12, zone 8".
    QString Marks() const
    {
        const TrayMenu& menu = u->desktop->Menu();
        QStringList marks;
        for (int i = 0; i < SurroundModeCount; ++i) {
            const std::pair<const char*, QAction*> entries[] = {
                {"main", menu.MainSourceAction(i)},
                {"surround", menu.SurroundAction(i)},
                {"zone", menu.ZoneSourceAction(i)}};
            for (const auto& [room, action] : entries) {
                if (action && action->isChecked())
                    marks << u"%1 %2"_s.arg(QLatin1String(room)).arg(i);
            }
        }
        std::sort(marks.begin(), marks.end());
        return marks.join(u", "_s);
    }

private Q_SLOTS:
    void initTestCase()
    {
        // The tray waits this long for a second click: short, so tests are.
        QGuiApplication::styleHints()->setMouseDoubleClickInterval(50);
        u = std::make_unique<DesktopFixture>();
        QVERIFY(u->Connect("K220"));
    }
    void init()
    {
        QFile::remove(ConfFile());
        u->desktop->Popup().close();
        u->desktop->Popup().SetLeftClick(Options::MainVolume);
        u->desktop->Tray().SetLeftClick(Options::MainVolume);
        u->Feed({Bytes({MessageType::Variable, Variable::Model}) + "K220",
                 Report(Variable::MainPower, 0), Report(Variable::ZonePower, 0)});
        u->sent.clear();
    }
    void cleanup() { TrayIcon::SetAvailabilityForTests(std::nullopt); }
    void cleanupTestCase() { u.reset(); }

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

    // On opening and on every click of the box that controls them; the
    // port list shows the stored port by its entry, and a typed one as typed.
    void enablingRules()
    {
        QFETCH(bool, autostart);
        QFETCH(bool, trayIcon);
        QFETCH(bool, trayAvailable);
        OptionsDlg dialog;
        const QList<PortList::Item> ports =
            PortList::Items({{u"/dev/ttyUSB0"_s, u"FT232R USB UART"_s}});
        dialog.SetValues(
            {.port = u"/dev/ttyUSB0"_s, .autostart = autostart, .enableTrayIcon = trayIcon}, ports,
            trayAvailable);
        dialog.show();
        if (autostart && trayIcon && trayAvailable)
            SaveShot(dialog, u"options"_s);
        const auto check = [&](bool start, bool icon) {
            QCOMPARE(Box(dialog, u"autostartMinimized"_s)->isEnabled(), start);
            QCOMPARE(Box(dialog, u"enableTrayIcon"_s)->isEnabled(), trayAvailable);
            const bool tray = trayAvailable && icon;
            for (const char* name : {"minimizeToTray", "leftClickLabel", "leftClickMain",
                                     "leftClickZone", "leftClickOff"})
                QCOMPARE(Child(dialog, QString::fromLatin1(name))->isEnabled(), tray);
            QCOMPARE(Child(dialog, u"trayUnavailable"_s)->isVisible(), !trayAvailable);
        };
        check(autostart, trayIcon);
        QTest::mouseClick(Box(dialog, u"autostart"_s), Qt::LeftButton, {}, QPoint(5, 5));
        QTest::mouseClick(Box(dialog, u"enableTrayIcon"_s), Qt::LeftButton, {}, QPoint(5, 5));
        check(!autostart, trayAvailable ? !trayIcon : trayIcon);

        auto* port = Child<QComboBox>(dialog, u"port"_s);
        QCOMPARE(port->currentText(), u"/dev/ttyUSB0 (FT232R USB UART)"_s);
        QCOMPARE(port->count(), 10);
        QCOMPARE(dialog.Values().port, u"/dev/ttyUSB0"_s);
        port->lineEdit()->setText(u"COM9"_s);
        QCOMPARE(dialog.Values().port, u"COM9"_s);
        dialog.SetValues({.port = u"/dev/serial/by-id/x"_s}, ports, true);
        QCOMPARE(port->currentText(), u"/dev/serial/by-id/x"_s);
        QCOMPARE(dialog.Values().port, u"/dev/serial/by-id/x"_s);
    }

    // OK stores every setting and writes the log-on entry, which the next
    // opening shows; unchecking it removes it; Cancel changes nothing. The
    // window's position is stored apart and the log-on choice is the entry's
    // business, never stored.
    void okStoresAndCancelDoesNot()
    {
        DesktopFixture f;
        OptionsStore::SavePosition(7, 9);
        const QString port = u"/dev/serial/by-id/usb-FTDI (1)"_s;
        OptionsDlg::SetNextAnswer([&port](OptionsDlg& dialog) {
            Child<QComboBox>(dialog, u"port"_s)->lineEdit()->setText(port);
            Box(dialog, u"autostart"_s)->setChecked(true);
            Box(dialog, u"autostartMinimized"_s)->setChecked(false);
            Box(dialog, u"minimizeToTray"_s)->setChecked(false);
            Child<QRadioButton>(dialog, u"leftClickOff"_s)->setChecked(true);
            return true;
        });
        f.desktop->OptionsAction()->trigger();
        const Options stored = OptionsStore::Load();
        QCOMPARE(stored.port, port);
        QVERIFY(!stored.autostart && !stored.autostartMinimized && stored.enableTrayIcon &&
                !stored.minimizeToTray);
        QCOMPARE(stored.leftClick, int(Options::Off));
        QCOMPARE(QPoint(stored.x, stored.y), QPoint(7, 9));
        QCOMPARE(f.session->PortSetting(), port);
        QFile entry(f.EntryPath());
        QVERIFY(entry.open(QIODevice::ReadOnly));
        QVERIFY(entry.readAll().contains("\nExec=/opt/vx/veltrix-pc-interface /run\n"));

        bool shownChecked = false;
        OptionsDlg::SetNextAnswer([&](OptionsDlg& dialog) {
            shownChecked = Box(dialog, u"autostart"_s)->isChecked();
            Box(dialog, u"autostart"_s)->setChecked(false);
            Box(dialog, u"enableTrayIcon"_s)->setChecked(false);
            return false;
        });
        f.desktop->RunOptions();
        QVERIFY(shownChecked);
        QVERIFY(QFileInfo::exists(f.EntryPath()));
        QVERIFY(OptionsStore::Load().enableTrayIcon);

        OptionsDlg::SetNextAnswer([](OptionsDlg& dialog) {
            Box(dialog, u"autostart"_s)->setChecked(false);
            return true;
        });
        f.desktop->RunOptions();
        QVERIFY(!QFileInfo::exists(f.EntryPath()));
        QCOMPARE(OptionsStore::Load().port, port);
    }

    // Without a tray the icon stays away whatever the box says; with one,
    // OK adds or removes it at once, and re-enables the popup for the room
    // the left-click action names.
    void okAppliesTheIconAndThePopup()
    {
        DesktopFixture f;
        QVERIFY(!f.desktop->AddTrayIcon()); // offscreen has no tray
        OptionsDlg::SetNextAnswer([](OptionsDlg& dialog) {
            return Child(dialog, u"trayUnavailable"_s)->isVisibleTo(&dialog) &&
                   !Box(dialog, u"enableTrayIcon"_s)->isEnabled();
        });
        f.desktop->RunOptions();
        QVERIFY(!f.desktop->TrayIconShown());

        TrayIcon::SetAvailabilityForTests(true);
        QVERIFY(f.desktop->AddTrayIcon());
        f.Feed({Report(Variable::ZonePower, 1)});
        QVERIFY(!f.desktop->Popup().IsOn()); // the main room is off
        OptionsDlg::SetNextAnswer([](OptionsDlg& dialog) {
            Box(dialog, u"enableTrayIcon"_s)->setChecked(false);
            Child<QRadioButton>(dialog, u"leftClickZone"_s)->setChecked(true);
            return true;
        });
        f.desktop->RunOptions();
        QVERIFY(!f.desktop->TrayIconShown());
        QVERIFY(f.desktop->Popup().IsOn());
    }

    // A named port the user may not open: one line with the path, the
    // reason and the device's group, however often the probe fails.
    void permissionNoticeShownOnce()
    {
        QTemporaryFile device;
        QVERIFY(device.open());
        const QString path = device.fileName();
        DesktopFixture f(Options{.port = path});
        PortNotice& notice = f.desktop->Notice();
        f.window->show();
        for (int i = 0; i < 3; ++i)
            Q_EMIT f.session->portOpenFailed(path, SerialPort::OpenFailure::PermissionDenied);
        for (const QString& part : {path, u"permission denied"_s,
                                    u'"' + QFileInfo(path).group() + u'"', u"log in again"_s})
            QVERIFY2(notice.Text().contains(part), qPrintable(part));
        QCOMPARE(f.window->findChildren<QLabel*>(u"portNotice"_s).size(), 1);
        QVERIFY(f.window->statusBar()->isVisible());

        f.Feed({Bytes({20, 20, 'K', '2', '2', '0'})}); // a unit answers
        QVERIFY(notice.Text().isEmpty());
        QVERIFY(!f.window->statusBar()->isVisible());

        Q_EMIT f.session->portOpenFailed(path, SerialPort::OpenFailure::Missing);
        Q_EMIT f.session->portOpenFailed(path, SerialPort::OpenFailure::Busy);
        QVERIFY(notice.Text().isEmpty());
        f.session->SetPortSetting(QString::fromLatin1(UnitSession::AutoDetect));
        Q_EMIT f.session->portOpenFailed(u"/dev/ttyS0"_s,
                                         SerialPort::OpenFailure::PermissionDenied);
        QVERIFY(notice.Text().isEmpty());
        QVERIFY(PortNotice::PermissionText(u"/dev/ttyUSB0"_s, QString()).contains(u"group"_s));
    }

    // Both rooms' reports are kept; the open popup shows its own room only,
    // its controls follow that room's power, its mute waits for the unit's
    // report, and it closes when the user turns to another window.
    void popupShowsItsRoomAsReported()
    {
        VolumePopupDlg& popup = u->desktop->Popup();
        u->window->show();
        u->Feed({MainOn, Report(Variable::MainVolume, -20 & 0xFF),
                 Report(Variable::ZoneVolume, -30 & 0xFF), Report(Variable::ZoneMute, 1)});
        popup.Open(QPoint(100, 300));
        QVERIFY(QTest::qWaitForWindowActive(&popup));
        SaveShot(popup, u"volume-popup"_s);
        QCOMPARE(PopupState(), u"Main Volume 20/62 -20 dB, live"_s);
        u->Feed({Report(Variable::ZoneVolume, -40 & 0xFF), Report(Variable::MainVolume, 5)});
        QCOMPARE(PopupState(), u"Main Volume -5/62 5 dB, live"_s);
        u->Feed({Report(Variable::MainPower, 0)});
        QCOMPARE(PopupState(), u"Main Volume -5/62 5 dB"_s);
        QVERIFY(PopupChild<QLabel>(u"unitName"_s)->isEnabled());
        u->Feed({MainOn, Report(Variable::MainMute, 0)});
        const auto mute = [this](int key, int variable) {
            auto* button = PopupChild<QPushButton>(u"mute"_s);
            u->sent.clear();
            QTest::mouseClick(button, Qt::LeftButton);
            QCOMPARE(u->sent, QList{Bytes({MessageType::Key, key})});
            QVERIFY(!button->isChecked()); // until the unit reports it
            u->Feed({Report(variable, 1)});
        };
        mute(KeyCode::MainMute, Variable::MainMute);
        QCOMPARE(PopupState(), u"Main Volume -5/62 5 dB, live, muted"_s);
        u->window->activateWindow();
        WAIT_UNTIL(!popup.isVisible());

        popup.SetLeftClick(Options::ZoneVolume);
        popup.Open(QPoint(100, 300));
        QCOMPARE(PopupState(), u"Zone Volume 40/62 -40 dB, muted"_s); // the zone is off
        u->Feed({Report(Variable::ZonePower, 1)});
        QCOMPARE(PopupState(), u"Zone Volume 40/62 -40 dB, live, muted"_s);
        u->Feed({Report(Variable::ZoneMute, 0)});
        mute(KeyCode::ZoneMute, Variable::ZoneMute);
        QCOMPARE(PopupState(), u"Zone Volume 40/62 -40 dB, live, muted"_s);
        popup.close();

        popup.SetLeftClick(Options::Off);
        popup.Open(QPoint(100, 300));
        QVERIFY(!popup.isVisible());
    }

    void popupRangeAndBottomByModel_data()
    {
        QTest::addColumn<QByteArray>("model");
        QTest::addColumn<int>("bottom");
        QTest::addColumn<int>("lowestByte");
        QTest::addColumn<QString>("name");
        QTest::newRow("K220") << QByteArray("K220") << 62 << 194 << u"K220"_s;
        QTest::newRow("K240") << QByteArray("K240") << 75 << 181 << u"K240"_s;
        QTest::newRow("unknown model") << QByteArray("X999") << 75 << 181 << u"Unit"_s;
    }

    // The popup names the unit; dragging to the bottom shows "-oo dB" at
    // once and sets the model's lowest volume; keys move the thumb and send
    // nothing.
    void popupRangeAndBottomByModel()
    {
        QFETCH(QByteArray, model);
        QFETCH(int, bottom);
        QFETCH(int, lowestByte);
        u->Feed({Bytes({MessageType::Variable, Variable::Model}) + model, MainOn,
                 Report(Variable::MainVolume, -30 & 0xFF)});
        u->desktop->Popup().Open(QPoint(50, 400));
        QSlider* slider = Slider();
        QCOMPARE(slider->maximum(), bottom);
        QCOMPARE(slider->minimum(), LivePresenter::LoudestPosition);

        QTest::keyClick(slider, Qt::Key_Up);
        QTest::keyClick(slider, Qt::Key_PageDown);
        slider->setSliderDown(true);
        slider->setSliderPosition(bottom - 1);
        QCOMPARE(PopupText(u"value"_s), u"-30 dB"_s); // the unit has not answered
        slider->setSliderPosition(bottom);
        QCOMPARE(PopupText(u"value"_s), u"-oo dB"_s);
        slider->setSliderDown(false);
        const QByteArray lowest = Bytes({MessageType::Set, Variable::MainVolume, lowestByte});
        QCOMPARE(u->sent, (QList{Bytes({MessageType::Set, Variable::MainVolume, 1 - bottom}),
                                 lowest, lowest}));

        // The unit's report of its lowest setting reads the same.
        u->Feed({Report(Variable::MainVolume, lowestByte)});
        QCOMPARE(slider->value(), bottom);
        QCOMPARE(PopupText(u"value"_s), u"-oo dB"_s);

        QTEST(PopupText(u"unitName"_s), "name");
        u->session->Live().ShowDisconnected();
        QCOMPARE(PopupText(u"unitName"_s), u"N/C"_s);
    }

    // The marks show the unit's reported selection only.
    void trayMenuMarksFollowReports()
    {
        TrayMenu& menu = u->desktop->Menu();
        QCOMPARE(menu.defaultAction(), menu.OpenAction());
        QVERIFY(!menu.SurroundAction(SurroundModeNone));

        u->Feed({Report(Variable::MainSource, 3)}); // main room off: not shown
        QCOMPARE(Marks(), QString());
        u->Feed({MainOn, Report(Variable::MainSource, 3), Report(Variable::SurroundMode, 12),
                 Report(Variable::ZonePower, 1), Report(Variable::ZoneSource, SourceExternal)});
        QCOMPARE(Marks(), u"main 3, surround 12, zone 8"_s);

        menu.MainSourceAction(5)->trigger();
        menu.SurroundAction(0)->trigger();
        menu.ZoneSourceAction(SourceTuner)->trigger();
        QCOMPARE(u->sent, (QList{Bytes({MessageType::Key, KeyCode::MainSource[5]}),
                                 Bytes({MessageType::Set, Variable::SurroundMode, 0}),
                                 Bytes({MessageType::Key, KeyCode::ZoneSource[SourceTuner]})}));
        QCOMPARE(Marks(), u"main 3, surround 12, zone 8"_s);

        u->Feed({Report(Variable::MainSource, 5)});
        QCOMPARE(Marks(), u"main 5, surround 12, zone 8"_s);
        u->Feed({Report(Variable::MainPower, 0)});
        QCOMPARE(Marks(), u"zone 8"_s);
    }

    // A single click opens the popup only after the double-click time; a
    // double click restores the window instead; Off ignores clicks.
    void trayClicks()
    {
        TrayIcon& tray = u->desktop->Tray();
        QSignalSpy requested(&tray, &TrayIcon::popupRequested);
        QElapsedTimer clock;
        clock.start();
        tray.OnActivated(QSystemTrayIcon::Trigger);
        QVERIFY(tray.IsClickPending());
        WAIT_UNTIL(requested.size() == 1);
        // A coarse timer may fire up to 5 % early.
        QVERIFY(clock.elapsed() >= QApplication::doubleClickInterval() * 95 / 100);
        WAIT_UNTIL(u->desktop->Popup().isVisible());
        u->desktop->Popup().close();

        u->window->hide();
        tray.OnActivated(QSystemTrayIcon::Trigger);
        tray.OnActivated(QSystemTrayIcon::DoubleClick);
        QVERIFY(!tray.IsClickPending());
        QVERIFY(u->window->isVisible());
        Pause(QApplication::doubleClickInterval() + 50); // the first click never opens
        QCOMPARE(requested.size(), 1);

        tray.SetLeftClick(Options::Off);
        tray.OnActivated(QSystemTrayIcon::Trigger);
        QVERIFY(!tray.IsClickPending());
    }

    void minimizeHidesOnlyWithAnIcon_data()
    {
        QTest::addColumn<bool>("tray");
        QTest::addColumn<bool>("minimizeToTray");
        QTest::addColumn<bool>("hidden");
        QTest::newRow("icon, option on") << true << true << true;
        QTest::newRow("icon, option off") << true << false << false;
        QTest::newRow("no tray") << false << true << false;
    }

    void minimizeHidesOnlyWithAnIcon()
    {
        QFETCH(bool, tray);
        QFETCH(bool, minimizeToTray);
        QFETCH(bool, hidden);
        TrayIcon::SetAvailabilityForTests(tray);
        DesktopFixture f(Options{.minimizeToTray = minimizeToTray});
        QCOMPARE(f.desktop->AddTrayIcon(), tray);
        f.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
        f.window->showMinimized();
        QCoreApplication::processEvents(); // the hiding is posted
        WAIT_UNTIL(f.window->isHidden() == hidden);
        f.desktop->Menu().OpenAction()->trigger();
        QVERIFY(f.window->isVisible() && !f.window->isMinimized());
        f.desktop->RemoveTrayIcon();
        QVERIFY(!f.desktop->TrayIconShown());
    }

    void storedByHand_data()
    {
        QTest::addColumn<QByteArray>("conf");
        QTest::addColumn<QString>("loaded"); // port|minimized|icon|to tray|left click|x|y
        QTest::newRow("no store") << QByteArray() << "Auto Detect|1|1|1|0|-1|-1";
        QTest::newRow("by hand, read as numbers")
            << QByteArray("[Settings]\nPort=/dev/ttyUSB0\nAutostartMinimized=0\n"
                          "EnableTrayIcon=junk\nMinimizeToTray= 0 \nLeftClick=1\n"
                          "[Position]\nx=5000\ny=-3\n")
            << "/dev/ttyUSB0|0|1|0|1|5000|-3";
        // A left click outside its actions is Main Volume.
        for (const char* text : {"3", "-1", "x"})
            QTest::addRow("left click %s", text)
                << QByteArray("[Settings]\nLeftClick=") + text << "Auto Detect|1|1|1|0|-1|-1";
    }

    void storedByHand()
    {
        QFETCH(QByteArray, conf);
        if (!conf.isEmpty()) {
            QDir().mkpath(QFileInfo(ConfFile()).path());
            QFile file(ConfFile());
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(conf);
        }
        const Options o = OptionsStore::Load();
        QTEST(u"%1|%2|%3|%4|%5|%6|%7"_s.arg(o.port)
                  .arg(o.autostartMinimized)
                  .arg(o.enableTrayIcon)
                  .arg(o.minimizeToTray)
                  .arg(o.leftClick)
                  .arg(o.x)
                  .arg(o.y),
              "loaded");
    }

    void autostartEntryLifeCycle()
    {
        QCOMPARE(XdgAutostartEntry().FilePath(),
                 QDir(qEnvironmentVariable("XDG_CONFIG_HOME"))
                     .filePath(u"autostart/veltrix-pc-interface.desktop"_s));
        QTemporaryDir home;
        XdgAutostartEntry entry(home.path());
        QCOMPARE(entry.Exists(), std::optional<bool>(false));
        QVERIFY(entry.Remove()); // nothing there is no failure
        QVERIFY(entry.Write(u"/opt/veltrix/bin/veltrix-pc-interface"_s));
        QCOMPARE(entry.Exists(), std::optional<bool>(true));
        QFile file(entry.FilePath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = file.readAll().split('\n');
        QCOMPARE(lines.first(), QByteArray("[Desktop Entry]"));
        QVERIFY(lines.contains("Type=Application"));
        QVERIFY(lines.contains("Exec=/opt/veltrix/bin/veltrix-pc-interface /run"));
        QVERIFY(entry.Remove());
        QCOMPARE(entry.Exists(), std::optional<bool>(false));

        // A file where the folder should be: the place cannot be read.
        QTemporaryDir other;
        QFile blocker(other.filePath(u"autostart"_s));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        XdgAutostartEntry blocked(other.path());
        QCOMPARE(blocked.Exists(), std::optional<bool>());
        QVERIFY(!blocked.Write(u"/bin/true"_s));
    }

    void execLineQuotesAndEscapes_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("exec");
        QTest::newRow("plain") << u"/usr/bin/vx"_s << u"/usr/bin/vx /run"_s;
        QTest::newRow("space") << u"/home/a b/vx"_s << u"\"/home/a b/vx\" /run"_s;
        QTest::newRow("quote dollar") << u"/x/\"$y"_s << u"\"/x/\\\\\"\\\\$y\" /run"_s;
        QTest::newRow("backslash") << u"/x\\y"_s << u"\"/x\\\\\\\\y\" /run"_s;
        QTest::newRow("percent") << u"/x/100%"_s << u"/x/100%% /run"_s;
        QTest::newRow("newline") << u"/x\ny"_s << QString();
    }

    void execLineQuotesAndEscapes()
    {
        QFETCH(QString, program);
        QTEST(XdgAutostartEntry::ExecLine(program), "exec");
    }

    void autostartIsExactlySlashRun_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("autostart");
        QTest::newRow("/run") << "prog /run" << true;
        QTest::newRow("none") << "prog" << false;
        QTest::newRow("capitals") << "prog /RUN" << false;
        QTest::newRow("with more") << "prog /run x" << false;
        QTest::newRow("suffix") << "prog /runx" << false;
    }

    void autostartIsExactlySlashRun()
    {
        QFETCH(QString, line);
        QTEST(Autostart::IsAutostart(line.split(u' ')), "autostart");
    }

    // The table's escapes become line breaks; an unknown number has no text.
    void messageTableTexts()
    {
        QCOMPARE(MessageTable::Text(Message::SizeMismatch).count(u'\n'), 2);
        QVERIFY(MessageTable::Text(Message::PresetEmpty).endsWith(u"...\n"_s));
        QVERIFY(MessageTable::Text(1).isEmpty());
    }

    // Present devices that are COM1..COM8 show under those names only.
    void portListEntries()
    {
        const QList<PortList::Item> items =
            PortList::Items({{u"/dev/ttyS0"_s, {}},
                             {u"/dev/ttyS12"_s, {}},
                             {u"/dev/ttyUSB0"_s, u"FT232R USB UART"_s}});
        QStringList texts;
        for (const PortList::Item& item : items)
            texts.append(item.text);
        QCOMPARE(texts.join(u','), u"Auto Detect,/dev/ttyS12,/dev/ttyUSB0 (FT232R USB UART),COM1,"
                                   "COM2,COM3,COM4,COM5,COM6,COM7,COM8"_s);
        QCOMPARE(PortList::PortOf(items, u"  "_s), u"Auto Detect"_s);
    }

    void openFailureReasons_data()
    {
        using Failure = SerialPort::OpenFailure;
        QTest::addColumn<int>("error");
        QTest::addColumn<bool>("exists");
        QTest::addColumn<bool>("accessible");
        QTest::addColumn<Failure>("reason");
        const int permission = QSerialPort::PermissionError;
        QTest::newRow("gone") << int(QSerialPort::DeviceNotFoundError) << false << false
                              << Failure::Missing;
        QTest::newRow("dangling") << permission << false << false << Failure::Missing;
        QTest::newRow("no access") << permission << true << false << Failure::PermissionDenied;
        QTest::newRow("locked") << permission << true << true << Failure::Busy;
        QTest::newRow("no uart") << int(QSerialPort::OpenError) << true << true << Failure::Other;
    }

    void openFailureReasons()
    {
        QFETCH(int, error);
        QFETCH(bool, exists);
        QFETCH(bool, accessible);
        QTEST(SerialPort::Classify(QSerialPort::SerialPortError(error), exists, accessible),
              "reason");
    }

    // COM1..COM8 first, then the adapters present when the walk passes
    // the eighth, then round again; a missing device is a Missing failure.
    void autoDetectTriesAdaptersAfterTheEighthPort()
    {
        UnitSession session;
        session.SetTiming(Fast(5));
        session.SetAutoDetectPattern(u"/nonexistent/com%1"_s);
        int listed = 0;
        session.SetAdapterLister([&listed] {
            ++listed;
            return QStringList{u"/nonexistent/ttyUSB0"_s, u"/nonexistent/ttyACM1"_s};
        });
        QSignalSpy failed(&session, &UnitSession::portOpenFailed);
        session.Start();
        WAIT_UNTIL(failed.size() >= 12);
        session.Stop();
        QStringList paths;
        for (const QList<QVariant>& call : failed)
            paths.append(call.at(0).toString().remove(u"/nonexistent/"_s));
        QCOMPARE(paths.mid(0, 12).join(u' '),
                 u"com1 com2 com3 com4 com5 com6 com7 com8 ttyUSB0 ttyACM1 com1 com2"_s);
        QCOMPARE(listed, 1);
        QCOMPARE(failed.first().at(1).value<SerialPort::OpenFailure>(),
                 SerialPort::OpenFailure::Missing);
    }

    // A newly named port drops the unit at once and is probed next; the
    // same port, or Auto Detect, changes nothing on the line.
    void changedNamedPortReconnects()
    {
        ScriptedUnit unit;
        unit.SetResponder(ScriptedUnit::Identifying("K220", 2, 5));
        UnitSession session;
        session.SetTiming(Fast(40));
        session.SetPortSetting(unit.SlavePath());
        session.Start();
        WAIT_UNTIL(session.Status().connected && !session.IsProbing());

        QSignalSpy shown(&session.Live(), &LiveStatus::connectionShown);
        session.ChangePortSetting(QString::fromLatin1(UnitSession::AutoDetect));
        session.ChangePortSetting(unit.SlavePath());
        QVERIFY(session.Status().connected);
        QVERIFY(shown.isEmpty());

        QSignalSpy failed(&session, &UnitSession::portOpenFailed);
        session.ChangePortSetting(u"/nonexistent/ttyUSB7"_s);
        QVERIFY(!session.Status().connected && !session.Link().IsOpen());
        QCOMPARE(shown, QList<QVariantList>{{false}});
        QVERIFY(session.IsProbing());
        WAIT_UNTIL(!failed.isEmpty());
        QCOMPARE(failed.first().at(0).toString(), u"/nonexistent/ttyUSB7"_s);
        QCOMPARE(session.PortSetting(), u"/nonexistent/ttyUSB7"_s);
        session.Stop();
    }
};

QTEST_MAIN(TestDesktopIntegration)
#include "test_desktop_integration.moc"
