#include "desktop/message_box.h"
#include "desktop/message_table.h"
#include "setup/rename_input_dlg.h"
#include "test_control_panel_fixture.h"

#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>

namespace {

QList<QByteArray> Keys(std::initializer_list<int> codes)
{
    QList<QByteArray> out;
    for (int code : codes)
        out.append(Bytes({MessageType::Key, code}));
    return out;
}

// Every check mark and radio selection of the window, by object name.
QMap<QString, bool> CheckStates(const QWidget& window)
{
    QMap<QString, bool> states;
    for (const QAbstractButton* b : window.findChildren<QAbstractButton*>()) {
        if (b->isCheckable())
            states.insert(b->objectName(), b->isChecked());
    }
    return states;
}

QByteArray NameFrame(int input, const char* name13)
{
    return Bytes({MessageType::Set, Variable::InputName, input}) + QByteArray(name13);
}

// What a widget sees of a double click: a click, the second press, the
// double click and the second release.
void DoubleClick(QWidget* target)
{
    const QPoint at = PanelFixture::Near(target);
    QTest::mouseClick(target, Qt::LeftButton, {}, at);
    QTest::mousePress(target, Qt::LeftButton, {}, at);
    QTest::mouseDClick(target, Qt::LeftButton, {}, at);
    QTest::mouseRelease(target, Qt::LeftButton, {}, at);
}

} // namespace

class TestControlPanel : public QObject
{
    Q_OBJECT

    std::unique_ptr<PanelFixture> f;

    void RoomsOn() { f->Feed({Report(Variable::MainPower, 1), Report(Variable::ZonePower, 1)}); }
    QString UnitMenuTitle() const { return f->Find<QMenu>(u"unitMenu"_s)->title(); }

private Q_SLOTS:
    void initTestCase()
    {
        f = std::make_unique<PanelFixture>();
        QVERIFY(f->Ready());
    }
    void init() { f->Reset(); }
    void cleanupTestCase() { f.reset(); }

    // Without a unit only the bottom row's "Edit Presets" can be used.
    void withoutUnitEverythingIsDisabled()
    {
        ControlPanelDlg panel(Options{}, false);
        for (const QString& name :
             Names("mainPower mainMute speakersA mainVolume mainSource0 surround13 bassSpin "
                   "recall1 store5 zonePower zoneSource9 zoneVolumeSpin bandFm frequency "
                   "presetSpin seekUp fmMute radioText saveSettings loadSettings "
                   "mainVolumeLabel bandLabel")) {
            QWidget* w = panel.findChild<QWidget*>(name);
            QVERIFY2(w && !w->isEnabled(), qPrintable(name));
        }
        QVERIFY(panel.findChild<QWidget*>(u"editPresets"_s)->isEnabled());
        QVERIFY(!panel.findChild<QAction*>(u"refresh"_s)->isEnabled());
    }

    void connectedView()
    {
        QCOMPARE(f->panel->ConnectionLine(),
                 u"Connected to K220 v2.05 on "_s + f->unit.SlavePath());
        QCOMPARE(UnitMenuTitle(), u"&K220"_s);
        for (const QString& name : Names("mainPower zonePower saveSettings loadSettings"))
            QVERIFY2(f->Enabled(name), qPrintable(name));
        QVERIFY(!f->Enabled(u"mainMute"_s));
        QVERIFY(f->Find<QAction>(u"refresh"_s)->isEnabled());
        QVERIFY(f->Find(u"warning"_s)->isHidden());
        QStringList menus;
        for (QAction* a : f->panel->menuBar()->actions())
            menus.append(a->text());
        QCOMPARE(menus, Names("&File &K220 &Help"));
    }

    void controlSendsItsFrame_data()
    {
        QTest::addColumn<QList<QByteArray>>("setup");
        QTest::addColumn<QString>("control");
        QTest::addColumn<int>("answer"); // of the store confirmation, 0 = none
        QTest::addColumn<QList<QByteArray>>("expected");

        const QList<QByteArray> main = {Report(Variable::MainPower, 1)};
        const QList<QByteArray> zone = {Report(Variable::ZonePower, 1)};
        auto row = [](const QString& control, const QList<QByteArray>& setup,
                      const QList<QByteArray>& expected, const char* tag = "", int answer = 0) {
            QTest::addRow("%s%s", qPrintable(control), tag)
                << setup << control << answer << expected;
        };

        row(u"mainPower"_s, {}, Keys({128}));
        row(u"mainMute"_s, main, Keys({148}));
        row(u"mainMute"_s, main + QList{Report(Variable::MainMute, 1)}, Keys({148}), " checked");
        row(u"speakersA"_s, main, Keys({206}));
        row(u"speakersB"_s, main, Keys({207}));
        row(u"tapeMonitor"_s, main, Keys({141}));
        row(u"toneDefeat"_s, main, Keys({220}));
        row(u"mainVolumeSpin/up"_s, main, Keys({136}));
        row(u"mainVolumeSpin/down"_s, main, Keys({140}));
        const int mainKeys[] = {194, 192, 193, 48, 49, 30, 133, 137, 46, 221};
        const int zoneKeys[] = {168, 169, 170, 171, 172, 173, 165, 166, 179, 175};
        for (int i = 0; i < InputCount; ++i) {
            row(u"mainSource%1"_s.arg(i), main, Keys({mainKeys[i]}));
            row(u"zoneSource%1"_s.arg(i), zone, Keys({zoneKeys[i]}));
        }
        for (int mode : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 12, 13})
            row(u"surround%1"_s.arg(mode), main, {Bytes({21, 40, mode})});
        row(u"bassSpin/up"_s, main + QList{Report(Variable::Bass, -2)}, {Bytes({21, 33, 0})});
        row(u"bassSpin/down"_s, main + QList{Report(Variable::Bass, 0)}, {Bytes({21, 33, 254})});
        row(u"trebleSpin/up"_s, main + QList{Report(Variable::Treble, 3)}, {Bytes({21, 32, 5})});
        row(u"trebleSpin/down"_s, main + QList{Report(Variable::Treble, -5)},
            {Bytes({21, 32, 249})});
        const int recallKeys[] = {58, 59, 195, 196, 198};
        for (int n = 1; n <= AvPresetCount; ++n) {
            row(u"recall%1"_s.arg(n), main, Keys({recallKeys[n - 1]}));
            row(u"store%1"_s.arg(n), main, {Bytes({25, n})}, " yes", QMessageBox::Yes);
            row(u"store%1"_s.arg(n), main, {}, " no", QMessageBox::No);
        }
        row(u"zonePower"_s, {}, Keys({180}));
        row(u"zoneMute"_s, zone, Keys({160}));
        row(u"zoneVolumeSpin/up"_s, zone, Keys({34}));
        row(u"zoneVolumeSpin/down"_s, zone, Keys({35}));

        // Tuner keys: the main room's while main TUNER is selected, else the
        // zone's while zone TUNER is.
        const QList<QByteArray> mainTuner = main + QList{Report(Variable::MainSource, SourceTuner),
                                                         Report(Variable::TunerBand, Band::Fm)};
        const QList<QByteArray> zoneTuner =
            main + zone +
            QList{Report(Variable::MainSource, 6), Report(Variable::ZoneSource, SourceTuner)};
        const struct
        {
            const char* control;
            int mainKey;
            int zoneKey;
        } tunerKeys[] = {{"bandAm", 130, 161},           {"bandFm", 129, 162},
                         {"seekUp", 135, 183},           {"seekDown", 134, 184},
                         {"frequencySpin/up", 212, 181}, {"frequencySpin/down", 211, 182},
                         {"presetSpin/up", 210, 163},    {"presetSpin/down", 209, 164}};
        for (const auto& key : tunerKeys) {
            row(QLatin1String(key.control), mainTuner, Keys({key.mainKey}), " main");
            row(QLatin1String(key.control), zoneTuner, Keys({key.zoneKey}), " zone");
        }
        row(u"fmMute"_s, mainTuner, {Bytes({21, 47, 1})}, " unchecked");
        row(u"fmMute"_s, mainTuner + QList{Report(Variable::FmMute, 1)}, {Bytes({21, 47, 0})},
            " checked");
    }

    // Each control sends exactly its message, and no click changes a check
    // mark or a radio selection anywhere in the window.
    void controlSendsItsFrame()
    {
        QFETCH(QList<QByteArray>, setup);
        QFETCH(QString, control);
        QFETCH(int, answer);
        QFETCH(QList<QByteArray>, expected);
        for (const QByteArray& report : setup)
            f->Feed(report);
        f->ClearSent();
        const int boxes = MessageBox::Shown();
        if (answer)
            MessageBox::SetNextAnswer(static_cast<QMessageBox::StandardButton>(answer));
        const QMap<QString, bool> before = CheckStates(*f->panel);

        f->Click(control);

        QCOMPARE(f->Sent(), expected);
        QCOMPARE(CheckStates(*f->panel), before);
        QCOMPARE(MessageBox::Shown() - boxes, answer ? 1 : 0);
        if (answer)
            QCOMPARE(MessageBox::LastText(), MessageTable::Text(Message::StorePresetConfirm));
    }

    // Neither the mouse nor the space bar changes a mark; the report does.
    void onlyReportsChangeSelections()
    {
        RoomsOn();
        f->Feed({Report(Variable::MainSource, 2), Report(Variable::SurroundMode, 12),
                 Report(Variable::MainMute, 1)});
        for (const QString& name :
             Names("mainMute toneDefeat mainSource5 surround3 surround12 zoneSource1")) {
            QAbstractButton* b = f->Button(name);
            const bool was = b->isChecked();
            QTest::mouseClick(b, Qt::LeftButton, {}, PanelFixture::Near(b));
            b->setFocus();
            QTest::keyClick(b, Qt::Key_Space);
            QVERIFY2(b->isChecked() == was, qPrintable(name));
        }
        QVERIFY(f->Checked(u"mainSource2"_s) && f->Checked(u"surround12"_s));

        f->Feed({Report(Variable::MainSource, 5), Report(Variable::SurroundMode, 13),
                 Report(Variable::MainMute, 0), Report(Variable::ToneDefeat, 1)});
        QVERIFY(!f->Checked(u"mainSource2"_s) && f->Checked(u"mainSource5"_s));
        QVERIFY(!f->Checked(u"surround12"_s) && f->Checked(u"surround13"_s));
        QVERIFY(!f->Checked(u"mainMute"_s) && f->Checked(u"toneDefeat"_s));
    }

    void powerOffClearsTheRoom_data()
    {
        QTest::addColumn<int>("surround");
        QTest::newRow("direct") << 0;
        QTest::newRow("pro logic IIx movie") << 12;
        QTest::newRow("pro logic IIx music") << 13;
    }

    void powerOffClearsTheRoom()
    {
        QFETCH(int, surround);
        RoomsOn();
        for (int variable :
             {Variable::MainMute, Variable::SpeakersA, Variable::SpeakersB, Variable::TapeMonitor,
              Variable::ToneDefeat, Variable::SignalType, Variable::ZoneMute})
            f->Feed(Report(variable, 1));
        f->Feed({Report(Variable::MainVolume, -20), Report(Variable::Bass, 4),
                 Report(Variable::Treble, -2), Report(Variable::MainSource, 3),
                 Report(Variable::SurroundMode, surround), Report(Variable::ZoneVolume, -30),
                 Report(Variable::ZoneSource, 1)});
        QVERIFY(f->Checked(u"surround%1"_s.arg(surround)));
        QCOMPARE(f->Text(u"signalType"_s), u"Dolby Digital"_s);

        f->Feed(Report(Variable::MainPower, 0));
        QVERIFY(f->Enabled(u"mainPower"_s) && !f->Checked(u"mainPower"_s));
        for (const QAbstractButton* b : f->panel->findChildren<QAbstractButton*>()) {
            const QString name = b->objectName();
            for (const char* stem : {"surround", "mainSource", "recall", "store"}) {
                if (name.startsWith(QLatin1String(stem)))
                    QVERIFY2(!b->isEnabled() && !b->isChecked(), qPrintable(name));
            }
        }
        for (const QString& name : Names("mainMute speakersA speakersB tapeMonitor toneDefeat"))
            QVERIFY2(!f->Enabled(name) && !f->Checked(name), qPrintable(name));
        for (const QString& name : Names("mainVolume signalType bass treble"))
            QVERIFY2(!f->Enabled(name) && f->Text(name).isEmpty(), qPrintable(name));
        for (const QString& name : Names("mainVolumeSpin bassSpin trebleSpin mainVolumeLabel "
                                         "signalTypeLabel bassLabel trebleLabel recallLabel "
                                         "storeLabel"))
            QVERIFY2(!f->Enabled(name), qPrintable(name));
        QVERIFY(f->Checked(u"zoneMute"_s) && f->Checked(u"zoneSource1"_s));

        f->Feed(Report(Variable::ZonePower, 0));
        QVERIFY(!f->Checked(u"zoneMute"_s) && !f->Checked(u"zoneSource1"_s));
        QVERIFY(f->Text(u"zoneVolume"_s).isEmpty());
        for (const QString& name : Names("zoneSource1 zoneVolumeSpin zoneVolumeLabel zoneMute"))
            QVERIFY2(!f->Enabled(name), qPrintable(name));

        // Reports while a room is off are not shown.
        f->Feed({Report(Variable::MainMute, 1), Report(Variable::MainSource, 4),
                 Report(Variable::MainVolume, -10), Report(Variable::ZoneSource, 2)});
        QVERIFY(!f->Checked(u"mainMute"_s) && !f->Checked(u"mainSource4"_s));
        QVERIFY(!f->Checked(u"zoneSource2"_s) && f->Text(u"mainVolume"_s).isEmpty());
    }

    void volumeText_data()
    {
        QTest::addColumn<QByteArray>("model");
        QTest::addColumn<int>("raw");
        QTest::addColumn<QString>("text");
        QTest::newRow("K220 194") << QByteArray("K220") << 194 << u"-oo dB"_s;
        QTest::newRow("K220 181") << QByteArray("K220") << 181 << u"-75 dB"_s;
        QTest::newRow("K230 194") << QByteArray("K230") << 194 << u"-62 dB"_s;
        QTest::newRow("K230 181") << QByteArray("K230") << 181 << u"-oo dB"_s;
        QTest::newRow("K110 181") << QByteArray("K110") << 181 << u"-oo dB"_s;
        QTest::newRow("K240 0") << QByteArray("K240") << 0 << u"0 dB"_s;
        QTest::newRow("K220 +12") << QByteArray("K220") << 12 << u"12 dB"_s;
        QTest::newRow("unsupported 181") << QByteArray("X999") << 181 << u"-oo dB"_s;
    }

    void volumeText()
    {
        QFETCH(QByteArray, model);
        QFETCH(int, raw);
        QFETCH(QString, text);
        f->Feed(ModelReport(model.constData()));
        RoomsOn();
        f->Feed({Report(Variable::MainVolume, raw), Report(Variable::ZoneVolume, raw)});
        QCOMPARE(f->Text(u"mainVolume"_s), text);
        QCOMPARE(f->Text(u"zoneVolume"_s), text);
    }

    void reportsReachTheirControls()
    {
        RoomsOn();
        const char* signalNames[] = {"Analog", "Dolby Digital", "DTS", "Digital PCM", "HDCD"};
        for (int v = 0; v < SignalTypeCount; ++v) {
            f->Feed(Report(Variable::SignalType, v));
            QCOMPARE(f->Text(u"signalType"_s), QLatin1String(signalNames[v]));
        }
        f->Feed({Report(Variable::SignalType, 5), Report(Variable::SignalType, -1)});
        QCOMPARE(f->Text(u"signalType"_s), u"HDCD"_s);

        f->Feed({Report(Variable::Bass, -6), Report(Variable::Treble, 10)});
        QCOMPARE(f->Text(u"bass"_s), u"-6 dB"_s);
        QCOMPARE(f->Text(u"treble"_s), u"10 dB"_s);

        const std::pair<int, const char*> marks[] = {
            {Variable::MainMute, "mainMute"},     {Variable::SpeakersA, "speakersA"},
            {Variable::SpeakersB, "speakersB"},   {Variable::TapeMonitor, "tapeMonitor"},
            {Variable::ToneDefeat, "toneDefeat"}, {Variable::ZoneMute, "zoneMute"}};
        for (const auto& [variable, control] : marks) {
            f->Feed(Report(variable, 1));
            QVERIFY2(f->Checked(QLatin1String(control)), control);
            f->Feed(Report(variable, 0));
            QVERIFY2(!f->Checked(QLatin1String(control)), control);
        }

        // Values outside a group select nothing and clear nothing.
        f->Feed({Report(Variable::MainSource, 7), Report(Variable::ZoneSource, 8),
                 Report(Variable::SurroundMode, 9), Report(Variable::MainSource, 10),
                 Report(Variable::MainSource, -1), Report(Variable::ZoneSource, 99),
                 Report(Variable::SurroundMode, 11), Report(Variable::SurroundMode, 14),
                 Report(Variable::SurroundMode, -3)});
        QVERIFY(f->Checked(u"mainSource7"_s) && f->Checked(u"zoneSource8"_s));
        QVERIFY(f->Checked(u"surround9"_s));
        int selected = 0;
        for (const QRadioButton* b : f->panel->findChildren<QRadioButton*>())
            selected += b->isChecked() ? 1 : 0;
        QCOMPARE(selected, 3);
    }

    void inputNamesRenameButtons()
    {
        f->Feed({Bytes({20, 55, 3}) + "GAME", Bytes({20, 55, 8}) + "AUX",
                 Bytes({20, 55, 10}) + "EVIL", Bytes({20, 55, 0xFF}) + "EVIL"});
        QCOMPARE(f->Button(u"mainSource3"_s)->text(), u"GAME"_s);
        QCOMPARE(f->Button(u"zoneSource3"_s)->text(), u"GAME"_s);
        // Input 8 is LOCAL in the zone, which keeps its caption.
        QCOMPARE(f->Button(u"mainSource8"_s)->text(), u"AUX"_s);
        QCOMPARE(f->Button(u"zoneSource8"_s)->text(), u"LOCAL"_s);
        for (const QAbstractButton* b : f->panel->findChildren<QAbstractButton*>())
            QVERIFY(b->text() != u"EVIL"_s);
        f->Feed({Bytes({20, 55, 3}) + "VIDEO 4", Bytes({20, 55, 8}) + "EXTERNAL 7.1"});
    }

    void speakersFollowTheModel_data()
    {
        QTest::addColumn<QByteArray>("model");
        QTest::addColumn<bool>("speakers");
        QTest::newRow("K110") << QByteArray("K110") << false;
        QTest::newRow("K110V") << QByteArray("K110V") << false;
        QTest::newRow("k110 lower case") << QByteArray("k110") << false;
        QTest::newRow("K240") << QByteArray("K240") << true;
    }

    void speakersFollowTheModel()
    {
        QFETCH(QByteArray, model);
        QFETCH(bool, speakers);
        f->Feed(ModelReport(model.constData()));
        QCOMPARE(!f->Find(u"speakersA"_s)->isHidden(), speakers);
        QCOMPARE(!f->Find(u"speakersB"_s)->isHidden(), speakers);
        // A K220 afterwards has them.
        f->Feed(ModelReport("K220"));
        QVERIFY(!f->Find(u"speakersA"_s)->isHidden() && !f->Find(u"speakersB"_s)->isHidden());
    }

    void unsupportedUnitShowsTheWarning_data()
    {
        QTest::addColumn<QByteArray>("model");
        QTest::addColumn<QString>("title");
        QTest::newRow("unknown") << QByteArray("X999") << u"Unit"_s;
        QTest::newRow("prefix of a family name") << QByteArray("K22") << u"Unit"_s;
        QTest::newRow("K230V") << QByteArray("K230V") << u"&K230V"_s;
    }

    void unsupportedUnitShowsTheWarning()
    {
        QFETCH(QByteArray, model);
        QFETCH(QString, title);
        f->Feed(ModelReport(model.constData()));
        QCOMPARE(UnitMenuTitle(), title);
        QCOMPARE(!f->Find(u"warning"_s)->isHidden(), title == u"Unit"_s);
        QVERIFY(f->panel->ConnectionLine().startsWith(u"Connected to "_s + QLatin1String(model)));
    }

    void powerShowsTheWaitCursor_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<int>("variable");
        QTest::newRow("main") << u"mainPower"_s << int{Variable::MainPower};
        QTest::newRow("zone") << u"zonePower"_s << int{Variable::ZonePower};
    }

    void powerShowsTheWaitCursor()
    {
        QFETCH(QString, control);
        QFETCH(int, variable);
        f->Click(control);
        QVERIFY(f->panel->IsWaiting());
        QCOMPARE(f->panel->cursor().shape(), Qt::WaitCursor);
        f->Feed({Bytes({MessageType::Version, 2, 5}), Report(Variable::MainSource, 1)});
        QVERIFY(f->panel->IsWaiting());
        f->Feed(Report(variable, 1));
        QVERIFY(!f->panel->IsWaiting());
        QCOMPARE(f->panel->cursor().shape(), Qt::ArrowCursor);
    }

    void waitEndsByItself()
    {
        f->panel->StartWait(30);
        QVERIFY(f->panel->IsWaiting());
        QTRY_VERIFY_WITH_TIMEOUT(!f->panel->IsWaiting(), 2000);
        QCOMPARE(f->panel->cursor().shape(), Qt::ArrowCursor);
    }

    void focusReturnsToTheUnitsSelection()
    {
        RoomsOn();
        f->Feed({Report(Variable::MainSource, 2), Report(Variable::SurroundMode, 1)});
        QWidget* window = f->panel.get();
        auto focusAfterReactivation = [&](const QString& focused, const QString& meanwhile,
                                          const QByteArray& report) {
            f->Button(focused)->setFocus();
            QEvent deactivate(QEvent::WindowDeactivate);
            QCoreApplication::sendEvent(window, &deactivate);
            f->Button(meanwhile)->setFocus();
            if (!report.isEmpty())
                f->Feed(report);
            QEvent activate(QEvent::WindowActivate);
            QCoreApplication::sendEvent(window, &activate);
            return window->focusWidget()->objectName();
        };
        // The focus follows the unit's new source.
        QCOMPARE(
            focusAfterReactivation(u"mainSource2"_s, u"recall1"_s, Report(Variable::MainSource, 7)),
            u"mainSource7"_s);
        // The walk through a group wraps around.
        QCOMPARE(focusAfterReactivation(u"surround12"_s, u"recall1"_s, {}), u"surround1"_s);
        // Not a radio button: it gets the focus back.
        QCOMPARE(focusAfterReactivation(u"toneDefeat"_s, u"recall3"_s, {}), u"toneDefeat"_s);
        // A group without a selection leaves the focus where it is.
        QCOMPARE(focusAfterReactivation(u"zoneSource4"_s, u"recall2"_s, {}), u"recall2"_s);
    }

    void renameByDoubleClick_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("key");
        QTest::addColumn<std::optional<QString>>("answer");
        QTest::addColumn<QByteArray>("expected"); // empty: nothing after the key

        auto row = [](const char* tag, const QString& button, int key,
                      std::optional<QString> answer, const QByteArray& expected) {
            QTest::newRow(tag) << button << key << answer << expected;
        };
        row("cancel", u"mainSource2"_s, 193, std::nullopt, {});
        row("empty name", u"mainSource2"_s, 193, QString(), {});
        row("blank name", u"mainSource2"_s, 193, u"   "_s, {});
        row("unchanged", u"mainSource2"_s, 193, u"VCR"_s, NameFrame(2, "VCR          "));
        row("seven characters", u"mainSource2"_s, 193, u"LASERDC"_s, NameFrame(2, "LASERDC      "));
        row("thirteen characters", u"mainSource2"_s, 193, u"ABCDEFGHIJKLM"_s,
            NameFrame(2, "ABCDEFGHIJKLM"));
        row("twenty characters cut", u"mainSource2"_s, 193, u"ABCDEFGHIJKLMNOPQRST"_s,
            NameFrame(2, "ABCDEFGHIJKLM"));
        row("from the zone", u"zoneSource2"_s, 170, u"DECK"_s, NameFrame(2, "DECK         "));
        row("external 7.1", u"mainSource8"_s, 46, u"AUX"_s, NameFrame(8, "AUX          "));
    }

    // The first click sends the source's key, then the dialog opens on the
    // main button's caption; the caption waits for the unit's report.
    void renameByDoubleClick()
    {
        QFETCH(QString, button);
        QFETCH(int, key);
        QFETCH(std::optional<QString>, answer);
        QFETCH(QByteArray, expected);
        RoomsOn();
        RenameInputDlg::SetNextAnswer(answer);
        const int dialogs = RenameInputDlg::Shown();
        QAbstractButton* mainButton = f->Button(u"mainSource"_s + button.back());
        const QString caption = mainButton->text();

        DoubleClick(f->Button(button));
        QTRY_COMPARE(RenameInputDlg::Shown(), dialogs + 1);

        QList<QByteArray> frames = Keys({key});
        if (!expected.isEmpty())
            frames.append(expected);
        QCOMPARE(f->Sent(), frames);
        QCOMPARE(RenameInputDlg::LastOldName(), caption);
        QCOMPARE(mainButton->text(), caption);
    }

    void tunerAndLocalCannotBeRenamed_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("key");
        QTest::newRow("main tuner") << u"mainSource9"_s << 221;
        QTest::newRow("zone tuner") << u"zoneSource9"_s << 175;
        QTest::newRow("zone local") << u"zoneSource8"_s << 179;
    }

    void tunerAndLocalCannotBeRenamed()
    {
        QFETCH(QString, button);
        QFETCH(int, key);
        RoomsOn();
        const int dialogs = RenameInputDlg::Shown();
        DoubleClick(f->Button(button));
        QTest::qWait(20);
        QCOMPARE(RenameInputDlg::Shown(), dialogs);
        QCOMPARE(f->Sent(), Keys({key}));
    }

    void sendInputName_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption"); // empty: nothing changes, nothing is sent
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("padded") << 2 << u"VCR"_s << u"VCR"_s << NameFrame(2, "VCR          ");
        QTest::newRow("trailing spaces")
            << 4 << u"GAME   "_s << u"GAME"_s << NameFrame(4, "GAME         ");
        QTest::newRow("tuner") << 9 << u"FM RADIO"_s << u"FM RADIO"_s
                               << NameFrame(9, "FM RADIO     ");
        QTest::newRow("long") << 0 << u"ABCDEFGHIJKLMNOP"_s << u"ABCDEFGHIJKLMNOP"_s
                              << NameFrame(0, "ABCDEFGHIJKLM");
        QTest::newRow("blank") << 1 << u"    "_s << QString() << QByteArray();
        QTest::newRow("index 10") << 10 << u"X"_s << QString() << QByteArray();
        QTest::newRow("index -1") << -1 << u"X"_s << QString() << QByteArray();
    }

    void sendInputName()
    {
        QFETCH(int, index);
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QFETCH(QByteArray, expected);
        QStringList before;
        for (const QAbstractButton* b : f->panel->findChildren<QAbstractButton*>())
            before.append(b->text());
        f->panel->SendInputName(index, name);
        if (caption.isEmpty()) {
            QVERIFY(f->Sent().isEmpty());
            QStringList after;
            for (const QAbstractButton* b : f->panel->findChildren<QAbstractButton*>())
                after.append(b->text());
            QCOMPARE(after, before);
            return;
        }
        QCOMPARE(f->Sent(), QList<QByteArray>{expected});
        QCOMPARE(f->Button(u"mainSource%1"_s.arg(index))->text(), caption);
        f->Feed(Bytes({20, 55, index}) + DefaultSourceNames[static_cast<std::size_t>(index)]);
    }

    void lostUnitShowsNotConnected()
    {
        PanelFixture lost("K230");
        QVERIFY(lost.Ready());
        lost.Feed({Report(Variable::MainPower, 1), Report(Variable::MainSource, SourceTuner),
                   Report(Variable::ZonePower, 1)});
        QVERIFY(lost.Enabled(u"bandFm"_s));
        lost.unit.Vanish();
        QTRY_COMPARE(lost.panel->ConnectionLine(), u"Not Connected"_s);
        for (const QString& name :
             Names("mainPower zonePower mainSource9 bandFm zoneMute saveSettings loadSettings"))
            QVERIFY2(!lost.Enabled(name) && !lost.Checked(name), qPrintable(name));
        QVERIFY(lost.Enabled(u"editPresets"_s));
        QCOMPARE(lost.Find<QMenu>(u"unitMenu"_s)->title(), u"Unit"_s);
        QVERIFY(!lost.Find<QAction>(u"refresh"_s)->isEnabled());
    }
};

QTEST_MAIN(TestControlPanel)
#include "test_control_panel.moc"
