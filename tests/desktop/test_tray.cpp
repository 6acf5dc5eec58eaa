#include "desktop/desktop_integration.h"
#include "desktop/tray_icon.h"
#include "desktop/tray_menu.h"
#include "desktop/volume_popup_dlg.h"
#include "event_wait.h"
#include "screenshot.h"
#include "scripted_unit.h"
#include "test_bytes.h"
#include "unit/unit_session.h"

#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

QByteArray Report(int variable, int value)
{
    return Bytes({MessageType::Variable, variable, value});
}

} // namespace

// A window with its desktop pieces and a session connected to a scripted
// unit, so commands reach the line.
class TestTray : public QObject
{
    Q_OBJECT

    std::unique_ptr<ScriptedUnit> unit;
    std::unique_ptr<UnitSession> session;
    std::unique_ptr<QMainWindow> window;
    DesktopIntegration* desktop = nullptr;
    QList<QByteArray> sent;

    void Feed(const QList<QByteArray>& payloads)
    {
        for (const QByteArray& p : payloads)
            session->Dispatch(p);
    }
    template <typename T> T* PopupChild(const QString& name) const
    {
        return desktop->Popup().findChild<T*>(name);
    }
    QString PopupText(const QString& name) const { return PopupChild<QLabel>(name)->text(); }
    QSlider* Slider() const { return PopupChild<QSlider>(u"volume"_s); }

    void Connect(const QByteArray& model, Options options = {})
    {
        unit = std::make_unique<ScriptedUnit>();
        unit->SetResponder(ScriptedUnit::Identifying(model, 2, 5));
        session = std::make_unique<UnitSession>();
        UnitSession::Timing timing;
        timing.connectPeriod = 30;
        timing.refreshPause = 5;
        timing.port.readTotal = 60000;
        session->SetTiming(timing);
        session->SetPortSetting(unit->SlavePath());
        window = std::make_unique<QMainWindow>();
        desktop =
            new DesktopIntegration(window.get(), *session, options, nullptr, nullptr, nullptr);
        connect(&session->Link(), &UnitLink::payloadSent, this,
                [this](const QByteArray& payload) { sent.append(payload); });
        session->Start();
        QVERIFY(
            WaitFor([this] { return session->Status().connected && !session->IsProbing(); }, 5000));
        QVERIFY(WaitFor([this] { return !session->Status().facts.versionText.isEmpty(); }, 5000));
        sent.clear();
    }

private Q_SLOTS:
    void cleanup()
    {
        TrayIcon::SetAvailabilityForTests(std::nullopt);
        window.reset();
        session.reset();
        unit.reset();
    }

    void popupUnitNameFollowsTheConnection_data()
    {
        QTest::addColumn<QByteArray>("model");
        QTest::addColumn<QString>("name");
        QTest::newRow("supported") << QByteArray("K230") << u"K230"_s;
        QTest::newRow("unsupported") << QByteArray("X999") << u"Unit"_s;
    }

    void popupUnitNameFollowsTheConnection()
    {
        QFETCH(QByteArray, model);
        QFETCH(QString, name);
        Connect(model);
        QCOMPARE(PopupText(u"unitName"_s), name);
        session->Live().ShowDisconnected();
        QCOMPARE(PopupText(u"unitName"_s), u"N/C"_s);
    }

    // Both rooms' reports are kept; the open popup shows its own room only,
    // and its controls follow that room's power.
    void popupShowsItsRoomAsReported()
    {
        Connect("K220");
        VolumePopupDlg& popup = desktop->Popup();
        Feed({Report(Variable::MainPower, 1), Report(Variable::MainVolume, -20 & 0xFF),
              Report(Variable::ZoneVolume, -30 & 0xFF), Report(Variable::ZoneMute, 1)});
        popup.Open(QPoint(100, 300));
        QVERIFY(popup.isVisible());
        SaveShot(popup, u"volume-popup"_s);
        QCOMPARE(PopupText(u"room"_s), u"Main Volume"_s);
        QCOMPARE(Slider()->maximum(), 62);
        QCOMPARE(Slider()->value(), 20);
        QCOMPARE(PopupText(u"value"_s), u"-20 dB"_s);
        QVERIFY(Slider()->isEnabled());
        QVERIFY(!PopupChild<QPushButton>(u"mute"_s)->isChecked());

        Feed({Report(Variable::ZoneVolume, -40 & 0xFF), Report(Variable::MainVolume, 5)});
        QCOMPARE(Slider()->value(), -5);
        QCOMPARE(PopupText(u"value"_s), u"5 dB"_s);
        Feed({Report(Variable::MainPower, 0)});
        QVERIFY(!Slider()->isEnabled());
        QVERIFY(!PopupChild<QPushButton>(u"mute"_s)->isEnabled());
        QVERIFY(PopupChild<QLabel>(u"unitName"_s)->isEnabled());
        popup.close();

        popup.SetLeftClick(Options::ZoneVolume);
        popup.Open(QPoint(100, 300));
        QCOMPARE(PopupText(u"room"_s), u"Zone Volume"_s);
        QCOMPARE(Slider()->value(), 40);
        QVERIFY(PopupChild<QPushButton>(u"mute"_s)->isChecked());
        QVERIFY(!Slider()->isEnabled()); // the zone is off
        Feed({Report(Variable::ZonePower, 1)});
        QVERIFY(Slider()->isEnabled());
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
        QTest::newRow("K220") << QByteArray("K220") << 62 << 194;
        QTest::newRow("K240") << QByteArray("K240") << 75 << 181;
    }

    // Dragging to the bottom shows "-oo dB" at once and sets the model's
    // lowest volume; keys move the thumb and send nothing.
    void popupRangeAndBottomByModel()
    {
        QFETCH(QByteArray, model);
        QFETCH(int, bottom);
        QFETCH(int, lowestByte);
        Connect(model);
        Feed({Report(Variable::MainPower, 1), Report(Variable::MainVolume, -30 & 0xFF)});
        desktop->Popup().Open(QPoint(50, 400));
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
        QCOMPARE(sent,
                 (QList<QByteArray>{Bytes({MessageType::Set, Variable::MainVolume, 1 - bottom}),
                                    lowest, lowest}));

        // The unit's report of its lowest setting reads the same.
        Feed({Report(Variable::MainVolume, lowestByte)});
        QCOMPARE(slider->value(), bottom);
        QCOMPARE(PopupText(u"value"_s), u"-oo dB"_s);
    }

    void popupMuteWaitsForTheReport_data()
    {
        QTest::addColumn<int>("leftClick");
        QTest::addColumn<int>("power");
        QTest::addColumn<int>("muteVariable");
        QTest::addColumn<int>("key");
        QTest::newRow("main") << int(Options::MainVolume) << int(Variable::MainPower)
                              << int(Variable::MainMute) << int(KeyCode::MainMute);
        QTest::newRow("zone") << int(Options::ZoneVolume) << int(Variable::ZonePower)
                              << int(Variable::ZoneMute) << int(KeyCode::ZoneMute);
    }

    void popupMuteWaitsForTheReport()
    {
        QFETCH(int, leftClick);
        QFETCH(int, power);
        QFETCH(int, muteVariable);
        QFETCH(int, key);
        Connect("K220");
        desktop->Popup().SetLeftClick(leftClick);
        Feed({Report(power, 1)});
        desktop->Popup().Open(QPoint(50, 400));
        auto* mute = PopupChild<QPushButton>(u"mute"_s);
        QTest::mouseClick(mute, Qt::LeftButton);
        QCOMPARE(sent, (QList<QByteArray>{Bytes({MessageType::Key, key})}));
        QVERIFY(!mute->isChecked());
        Feed({Report(muteVariable, 1)});
        QVERIFY(mute->isChecked());
    }

    void popupClosesWhenDeactivated()
    {
        Connect("K220");
        window->show();
        desktop->Popup().Open(QPoint(50, 400));
        QVERIFY(QTest::qWaitForWindowActive(&desktop->Popup()));
        window->activateWindow();
        QTRY_VERIFY(!desktop->Popup().isVisible());
    }

    // The marks show the unit's reported selection only.
    void trayMenuMarksFollowReports()
    {
        Connect("K220");
        TrayMenu& menu = desktop->Menu();
        QCOMPARE(menu.defaultAction(), menu.OpenAction());
        QCOMPARE(menu.ZoneSourceAction(SourceExternal)->text(), u"LOCAL"_s);
        QVERIFY(!menu.SurroundAction(SurroundModeNone));
        QCOMPARE(menu.SurroundAction(13)->text(), u"Dolby Pro Logic IIx - Music"_s);

        Feed({Report(Variable::MainSource, 3)}); // main room off: not shown
        QVERIFY(!menu.MainSourceAction(3)->isChecked());
        Feed({Report(Variable::MainPower, 1), Report(Variable::MainSource, 3),
              Report(Variable::SurroundMode, 12), Report(Variable::ZonePower, 1),
              Report(Variable::ZoneSource, SourceExternal)});
        QVERIFY(menu.MainSourceAction(3)->isChecked());
        QVERIFY(menu.SurroundAction(12)->isChecked());
        QVERIFY(menu.ZoneSourceAction(SourceExternal)->isChecked());

        menu.MainSourceAction(5)->trigger();
        menu.SurroundAction(0)->trigger();
        menu.ZoneSourceAction(SourceTuner)->trigger();
        QCOMPARE(sent,
                 (QList<QByteArray>{Bytes({MessageType::Key, KeyCode::MainSource[5]}),
                                    Bytes({MessageType::Set, Variable::SurroundMode, 0}),
                                    Bytes({MessageType::Key, KeyCode::ZoneSource[SourceTuner]})}));
        QVERIFY(menu.MainSourceAction(3)->isChecked());
        QVERIFY(!menu.MainSourceAction(5)->isChecked());
        QVERIFY(menu.SurroundAction(12)->isChecked());
        QVERIFY(menu.ZoneSourceAction(SourceExternal)->isChecked());

        Feed({Report(Variable::MainSource, 5)});
        QVERIFY(menu.MainSourceAction(5)->isChecked());
        QVERIFY(!menu.MainSourceAction(3)->isChecked());
        Feed({Report(Variable::MainPower, 0)});
        for (int i = 0; i < InputCount; ++i)
            QVERIFY(!menu.MainSourceAction(i)->isChecked());
        QVERIFY(!menu.SurroundAction(12)->isChecked());
        QVERIFY(menu.ZoneSourceAction(SourceExternal)->isChecked());
    }

    // A single click opens the popup only after the double-click time; a
    // double click restores the window instead; Off ignores clicks.
    void trayClicks()
    {
        Connect("K220");
        TrayIcon& tray = desktop->Tray();
        QSignalSpy requested(&tray, &TrayIcon::popupRequested);
        QElapsedTimer clock;
        clock.start();
        tray.OnActivated(QSystemTrayIcon::Trigger);
        QVERIFY(tray.IsClickPending());
        QTRY_COMPARE(requested.size(), 1);
        QVERIFY(clock.elapsed() >= QApplication::doubleClickInterval());
        QTRY_VERIFY(desktop->Popup().isVisible());
        desktop->Popup().close();

        tray.OnActivated(QSystemTrayIcon::Trigger);
        tray.OnActivated(QSystemTrayIcon::DoubleClick);
        QVERIFY(!tray.IsClickPending());
        QVERIFY(window->isVisible());
        QTest::qWait(QApplication::doubleClickInterval() + 50);
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
        Connect("K220", Options{.minimizeToTray = minimizeToTray});
        QCOMPARE(desktop->AddTrayIcon(), tray);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        window->showMinimized();
        QTest::qWait(20);
        QCOMPARE(!window->isVisible(), hidden);
        desktop->Menu().OpenAction()->trigger();
        QVERIFY(window->isVisible());
        QVERIFY(!window->isMinimized());
        desktop->RemoveTrayIcon();
        QVERIFY(!desktop->TrayIconShown());
    }
};

QTEST_MAIN(TestTray)
#include "test_tray.moc"
