#include "desktop/autostart.h"
#include "desktop/desktop_integration.h"
#include "desktop/options_dlg.h"
#include "desktop/options_store.h"
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
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

// Polls every millisecond (QTRY_* every 50 ms); fails after 10 s.
namespace {

template <typename T = QCheckBox> T* Child(const QObject& parent, const QString& name)
{
    if (T* child = parent.findChild<T*>(name))
        return child;
    qFatal("no child %s", qPrintable(name));
}

// A window with its desktop pieces, a log-on entry of its own and a session.
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

} // namespace

// The stored options, the unit's port and the desktop pieces.
class TestDesktopIntegration : public QObject
{
    Q_OBJECT

    std::unique_ptr<DesktopFixture> u; // connected to a K220 for the whole run

    static QByteArray Report(int variable, int value) { return Bytes({20, variable, value}); }
    static QString ConfFile()
    {
        return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
            .filePath(u"Orvane/Veltrix PC Interface.conf"_s);
    }
    // The stored options: "port|log-on|minimized|icon|to tray|left click|x|y|retry".
    static QString Stored()
    {
        const Options o = OptionsStore::Load();
        QString text = o.port;
        for (int n : {int(o.autostart), int(o.autostartMinimized), int(o.enableTrayIcon),
                      int(o.minimizeToTray), o.leftClick, o.x, o.y, o.retryPeriod})
            text += u'|' + QString::number(n);
        return text;
    }
    template <typename T> T* PopupChild(const QString& name) const
    {
        return Child<T>(u->desktop->Popup(), name);
    }
    QString PopupText(const QString& name) const { return PopupChild<QLabel>(name)->text(); }
    // "Main Volume 20/62 -20 dB, live, muted": room, slider, text, enabled, mute.
    QString PopupState() const
    {
        const auto* s = PopupChild<QSlider>(u"volume"_s);
        const auto* mute = PopupChild<QPushButton>(u"mute"_s);
        return PopupText(u"room"_s) + u" %1/%2 "_s.arg(s->value()).arg(s->maximum()) +
               PopupText(u"value"_s) + (s->isEnabled() ? u", live"_s : QString()) +
               (mute->isEnabled() != s->isEnabled() ? u", mute differs"_s : QString()) +
               (mute->isChecked() ? u", muted"_s : QString());
    }
    // The tray menu's radio marks: "main 3, surround 12, zone 8".
    QString Marks() const
    {
        using Get = QAction* (TrayMenu::*)(int) const;
        const std::pair<const char*, Get> rooms[] = {{"main", &TrayMenu::MainSourceAction},
                                                     {"surround", &TrayMenu::SurroundAction},
                                                     {"zone", &TrayMenu::ZoneSourceAction}};
        QStringList marks;
        for (const auto& [room, get] : rooms) {
            for (int i = 0; i < SurroundModeCount; ++i) {
                if (QAction* action = (u->desktop->Menu().*get)(i); action && action->isChecked())
                    marks << u"%1 %2"_s.arg(QLatin1String(room)).arg(i);
            }
        }
        return marks.join(u", "_s);
    }

private Q_SLOTS:
    void initTestCase()
    {
        u = std::make_unique<DesktopFixture>();
        u->unit = std::make_unique<ScriptedUnit>();
        u->unit->SetResponder(ScriptedUnit::Identifying("K220", 2, 5));
        u->session->SetTiming({30, 5, {100, 60000, 1000}, {}, 1000}); // long reads: no probes
        u->session->SetPortSetting(u->unit->SlavePath());
        connect(&u->session->Link(), &UnitLink::payloadSent, this,
                [this](const QByteArray& payload) { u->sent.append(payload); });
        u->session->Start();
        const UnitSession& s = *u->session;
        WAIT_UNTIL(s.Status().connected && !s.IsProbing() &&
                   !s.Status().facts.versionText.isEmpty());
    }
    void init()
    {
        QFile::remove(ConfFile());
        u->desktop->Popup().SetLeftClick(Options::MainVolume);
        u->Feed({Bytes({MessageType::Variable, Variable::Model}) + "K220",
                 Report(Variable::MainPower, 0), Report(Variable::ZonePower, 0)});
        u->sent.clear();
    }
    void cleanup() { TrayIcon::SetAvailabilityForTests(std::nullopt); }
    void cleanupTestCase() { u.reset(); }

    // OK applies at once, stores all but the log-on choice (the entry's
    // business) and writes or removes the entry; Cancel changes nothing.
    void optionsOkAndCancel()
    {
        DesktopFixture f;
        TrayIcon::SetAvailabilityForTests(true);
        QVERIFY(f.desktop->AddTrayIcon());
        f.Feed({Report(Variable::ZonePower, 1)});
        QVERIFY(!f.desktop->Popup().IsOn()); // the main room is off
        OptionsDlg::SetNextAnswer([](OptionsDlg& dialog) {
            Child(dialog, u"enableTrayIcon"_s)->setChecked(false);
            Child<QRadioButton>(dialog, u"leftClickZone"_s)->setChecked(true);
            return true;
        });
        f.desktop->RunOptions();
        QVERIFY(!f.desktop->TrayIconShown() && f.desktop->Popup().IsOn());

        OptionsStore::SavePosition(7, 9);
        const QString port = u"/dev/serial/by-id/usb-FTDI (1)"_s;
        OptionsDlg::SetNextAnswer([&port](OptionsDlg& dialog) {
            SaveShot(dialog, u"options"_s);
            Child<QComboBox>(dialog, u"port"_s)->lineEdit()->setText(port);
            Child(dialog, u"autostart"_s)->setChecked(true);
            Child(dialog, u"autostartMinimized"_s)->setChecked(false);
            Child(dialog, u"minimizeToTray"_s)->setChecked(false);
            Child<QRadioButton>(dialog, u"leftClickOff"_s)->setChecked(true);
            return true;
        });
        f.desktop->OptionsAction()->trigger();
        QCOMPARE(Stored(), port + u"|0|0|0|0|%1|7|9|0"_s.arg(int(Options::Off)));
        QCOMPARE(f.session->PortSetting(), port);
        QFile entry(f.EntryPath());
        QVERIFY(entry.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = entry.readAll().split('\n');
        QVERIFY(lines.first() == "[Desktop Entry]" && lines.contains("Type=Application") &&
                lines.contains("Exec=/opt/vx/veltrix-pc-interface /run"));

        bool shownChecked = false;
        OptionsDlg::SetNextAnswer([&](OptionsDlg& dialog) {
            shownChecked = Child(dialog, u"autostart"_s)->isChecked();
            Child(dialog, u"autostart"_s)->setChecked(false);
            Child(dialog, u"enableTrayIcon"_s)->setChecked(true);
            return false;
        });
        f.desktop->RunOptions();
        QVERIFY(shownChecked && QFileInfo::exists(f.EntryPath()) &&
                !OptionsStore::Load().enableTrayIcon);
        OptionsDlg::SetNextAnswer([](OptionsDlg& dialog) {
            Child(dialog, u"autostart"_s)->setChecked(false);
            return true;
        });
        f.desktop->RunOptions();
        QVERIFY(!QFileInfo::exists(f.EntryPath()));
        QCOMPARE(OptionsStore::Load().port, port);
    }

    // A named port the user may not open: one line with the path, the reason
    // and the device's group, however often the probe fails.
    void permissionNoticeShownOnce()
    {
        using F = SerialPort::OpenFailure;
        const auto classify = &SerialPort::Classify;
        QCOMPARE(classify(QSerialPort::DeviceNotFoundError, false, false), F::Missing);
        QCOMPARE(classify(QSerialPort::PermissionError, false, false), F::Missing); // dangling
        QCOMPARE(classify(QSerialPort::PermissionError, true, false), F::PermissionDenied);
        QCOMPARE(classify(QSerialPort::PermissionError, true, true), F::Busy); // locked
        QCOMPARE(classify(QSerialPort::OpenError, true, true), F::Other);
        QTemporaryFile device;
        QVERIFY(device.open());
        const QString path = device.fileName();
        DesktopFixture f(Options{.port = path});
        PortNotice& notice = f.desktop->Notice();
        f.window->show();
        for (int i = 0; i < 3; ++i)
            Q_EMIT f.session->portOpenFailed(path, F::PermissionDenied);
        for (const QString& part : {path, u"permission denied"_s,
                                    u'"' + QFileInfo(path).group() + u'"', u"log in again"_s})
            QVERIFY2(notice.Text().contains(part), qPrintable(part));
        QCOMPARE(f.window->findChildren<QLabel*>(u"portNotice"_s).size(), 1);
        QVERIFY(f.window->statusBar()->isVisible());

        f.Feed({Bytes({20, 20, 'K', '2', '2', '0'})}); // a unit answers
        QVERIFY(notice.Text().isEmpty() && !f.window->statusBar()->isVisible());

        Q_EMIT f.session->portOpenFailed(path, F::Missing);
        Q_EMIT f.session->portOpenFailed(path, F::Busy);
        QVERIFY(notice.Text().isEmpty());
        f.session->SetPortSetting(QString::fromLatin1(UnitSession::AutoDetect));
        Q_EMIT f.session->portOpenFailed(u"/dev/ttyS0"_s, F::PermissionDenied);
        QVERIFY(notice.Text().isEmpty());
        QVERIFY(PortNotice::PermissionText(u"/dev/ttyUSB0"_s, QString()).contains(u"group"_s));
    }

    // The popup shows its room as reported and waits for the unit's mute
    // report; the bottom is "-oo dB"; an unknown model gets the deepest range.
    void volumePopup()
    {
        VolumePopupDlg& popup = u->desktop->Popup();
        u->window->show();
        u->Feed({Report(Variable::MainPower, 1), Report(Variable::MainVolume, -20 & 0xFF),
                 Report(Variable::ZoneVolume, -30 & 0xFF), Report(Variable::ZoneMute, 1)});
        popup.Open(QPoint(100, 300));
        QVERIFY(QTest::qWaitForWindowActive(&popup));
        SaveShot(popup, u"volume-popup"_s);
        QCOMPARE(PopupState(), u"Main Volume 20/62 -20 dB, live"_s);
        u->Feed({Report(Variable::ZoneVolume, -40 & 0xFF), Report(Variable::MainVolume, 5)});
        QCOMPARE(PopupState(), u"Main Volume -5/62 5 dB, live"_s);
        u->Feed({Report(Variable::MainPower, 0)});
        QCOMPARE(PopupState(), u"Main Volume -5/62 5 dB"_s);
        u->Feed({Report(Variable::MainPower, 1), Report(Variable::MainMute, 0)});
        auto* mute = PopupChild<QPushButton>(u"mute"_s);
        u->sent.clear();
        QTest::mouseClick(mute, Qt::LeftButton);
        QCOMPARE(u->sent, QList{Bytes({MessageType::Key, KeyCode::MainMute})});
        QVERIFY(!mute->isChecked()); // until the unit reports it
        u->Feed({Report(Variable::MainMute, 1)});
        QCOMPARE(PopupState(), u"Main Volume -5/62 5 dB, live, muted"_s);

        u->sent.clear();
        auto* slider = PopupChild<QSlider>(u"volume"_s);
        QTest::keyClick(slider, Qt::Key_Up);
        QTest::keyClick(slider, Qt::Key_PageDown);
        slider->setSliderDown(true);
        slider->setSliderPosition(61);
        QCOMPARE(PopupText(u"value"_s), u"5 dB"_s); // the unit has not answered
        slider->setSliderPosition(62);
        QCOMPARE(PopupText(u"value"_s), u"-oo dB"_s);
        slider->setSliderDown(false);
        const QByteArray lowest = Bytes({MessageType::Set, Variable::MainVolume, 194});
        QCOMPARE(u->sent,
                 (QList{Bytes({MessageType::Set, Variable::MainVolume, -61}), lowest, lowest}));
        u->Feed({Report(Variable::MainVolume, 194)}); // the unit's lowest reads the same
        QCOMPARE(PopupState(), u"Main Volume 62/62 -oo dB, live, muted"_s);
        QCOMPARE(PopupText(u"unitName"_s), u"K220"_s);
        u->window->activateWindow();
        WAIT_UNTIL(!popup.isVisible());

        u->Feed({Bytes({MessageType::Variable, Variable::Model}) + "X999"});
        popup.SetLeftClick(Options::ZoneVolume);
        popup.Open(QPoint(100, 300));
        QCOMPARE(PopupState(), u"Zone Volume 40/75 -40 dB, muted"_s); // the zone is off
        QCOMPARE(PopupText(u"unitName"_s), u"Unit"_s);
        u->Feed({Report(Variable::ZonePower, 1)});
        QCOMPARE(PopupState(), u"Zone Volume 40/75 -40 dB, live, muted"_s);
        popup.close();
        popup.SetLeftClick(Options::Off);
        popup.Open(QPoint(100, 300));
        QVERIFY(!popup.isVisible());
    }

    // The tray menu's marks show the unit's reported selection only.
    void trayMenuMarksFollowReports()
    {
        u->Feed({Report(Variable::MainSource, 3)}); // main room off: not shown
        QCOMPARE(Marks(), QString());
        u->Feed({Report(Variable::MainPower, 1), Report(Variable::MainSource, 3),
                 Report(Variable::SurroundMode, 12), Report(Variable::ZonePower, 1),
                 Report(Variable::ZoneSource, SourceExternal)});
        QCOMPARE(Marks(), u"main 3, surround 12, zone 8"_s);
        u->desktop->Menu().MainSourceAction(5)->trigger();
        u->desktop->Menu().SurroundAction(0)->trigger();
        u->desktop->Menu().ZoneSourceAction(SourceTuner)->trigger();
        QCOMPARE(u->sent, (QList{Bytes({MessageType::Key, KeyCode::MainSource[5]}),
                                 Bytes({MessageType::Set, Variable::SurroundMode, 0}),
                                 Bytes({MessageType::Key, KeyCode::ZoneSource[SourceTuner]})}));
        QCOMPARE(Marks(), u"main 3, surround 12, zone 8"_s);
        u->Feed({Report(Variable::MainSource, 5)});
        QCOMPARE(Marks(), u"main 5, surround 12, zone 8"_s);
        u->Feed({Report(Variable::MainPower, 0)});
        QCOMPARE(Marks(), u"zone 8"_s);
    }

    void storedByHand_data()
    {
        QTest::addColumn<QByteArray>("conf");
        QTest::addColumn<QString>("loaded");
        const QString defaults = u"Auto Detect|0|1|1|1|0|-1|-1|0"_s;
        QTest::newRow("no store") << QByteArray() << defaults;
        QTest::newRow("by hand, read as numbers")
            << QByteArray("[Settings]\nPort=/dev/ttyUSB0\nAutostartMinimized=0\n"
                          "EnableTrayIcon=junk\nMinimizeToTray= 0 \nLeftClick=1\n"
                          "RetryPeriod=250\n[Position]\nx=5000\ny=-3\n")
            << "/dev/ttyUSB0|0|0|1|0|1|5000|-3|250";
        // A left click outside its actions is Main Volume.
        for (const char* text : {"3", "-1", "x"})
            QTest::addRow("left click %s", text)
                << QByteArray("[Settings]\nLeftClick=") + text << defaults;
        // Anything but a positive number of milliseconds is the adaptive wait.
        for (const char* text : {"adaptive", "-5", "fast"})
            QTest::addRow("retry period %s", text)
                << QByteArray("[Settings]\nRetryPeriod=") + text << defaults;
    }

    void storedByHand()
    {
        QFETCH(QByteArray, conf);
        QDir().mkpath(QFileInfo(ConfFile()).path());
        QFile file(ConfFile());
        QVERIFY(conf.isEmpty() || (file.open(QIODevice::WriteOnly) && file.write(conf) > 0));
        file.close();
        QTEST(Stored(), "loaded");
    }

    // A file in the folder's place makes the entry unreadable and unwritable;
    // the Exec line quotes and escapes the path; "/run" alone is a log-on start.
    void autostartEntry()
    {
        QCOMPARE(XdgAutostartEntry().FilePath(), qEnvironmentVariable("XDG_CONFIG_HOME") +
                                                     u"/autostart/veltrix-pc-interface.desktop"_s);
        QTemporaryDir home;
        QVERIFY(XdgAutostartEntry(home.path()).Remove());
        QCOMPARE(XdgAutostartEntry(home.path()).Exists(), std::optional<bool>(false));
        QFile blocker(home.filePath(u"autostart"_s));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        QCOMPARE(XdgAutostartEntry(home.path()).Exists(), std::optional<bool>());
        QVERIFY(!XdgAutostartEntry(home.path()).Write(u"/bin/true"_s));

        const std::pair<QString, QString> execs[] = {
            {u"/usr/bin/vx"_s, u"/usr/bin/vx /run"_s},
            {u"/home/a b/vx"_s, u"\"/home/a b/vx\" /run"_s},
            {u"/x/\"$y"_s, u"\"/x/\\\\\"\\\\$y\" /run"_s},
            {u"/x\\y"_s, u"\"/x\\\\\\\\y\" /run"_s},
            {u"/x/100%"_s, u"/x/100%% /run"_s},
            {u"/x\ny"_s, QString()}};
        for (const auto& [program, exec] : execs)
            QCOMPARE(XdgAutostartEntry::ExecLine(program), exec);
        for (const char* line : {"prog", "prog /RUN", "prog /run x", "prog /runx"})
            QVERIFY2(!Autostart::IsAutostart(QString::fromLatin1(line).split(u' ')), line);
        QVERIFY(Autostart::IsAutostart({u"prog"_s, u"/run"_s}));
    }

    // Last, as it takes the unit away: a newly named port drops the unit at
    // once and is probed next; the same port, or Auto Detect, changes nothing.
    void changedNamedPortReconnects()
    {
        UnitSession& session = *u->session;
        QSignalSpy shown(&session.Live(), &LiveStatus::connectionShown);
        session.ChangePortSetting(QString::fromLatin1(UnitSession::AutoDetect));
        session.ChangePortSetting(u->unit->SlavePath());
        QVERIFY(session.Status().connected && shown.isEmpty());
        QSignalSpy failed(&session, &UnitSession::portOpenFailed);
        session.ChangePortSetting(u"/nonexistent/ttyUSB7"_s);
        QVERIFY(!session.Status().connected && !session.Link().IsOpen() && session.IsProbing());
        QCOMPARE(shown, QList<QVariantList>{{false}});
        WAIT_UNTIL(!failed.isEmpty());
        QCOMPARE(failed.first().at(0).toString(), u"/nonexistent/ttyUSB7"_s);
    }
};

QTEST_MAIN(TestDesktopIntegration)
#include "test_desktop_integration.moc"
