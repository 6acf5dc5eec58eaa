#include "common/message_box.h"
#include "link/message_set.h"
#include "panel/test_control_panel_fixture.h"
#include "simulated_receiver.h"
#include "tuner_dialog_driver.h"

#include <QSignalSpy>
#include <QTemporaryDir>

// "Edit Presets" against the simulated receiver: after OK the unit's tuner
// table holds exactly the presets the dialog showed, whatever was edited on
// the way; Cancel writes nothing.
namespace {

constexpr int TableAddress = TunerPresetList::ImageAddress;
constexpr int TableSize = TunerPresetList::ImageSize;

QByteArray Bytes(const TunerPresetList::Image& image)
{
    return QByteArray(reinterpret_cast<const char*>(image.data()), qsizetype(image.size()));
}

} // namespace

class TestTunerPresetsE2e : public QObject
{
    Q_OBJECT

    std::unique_ptr<SimulatedReceiver> sim;
    std::unique_ptr<PanelFixture> f;
    int eepromWrites = 0;

    QByteArray Table() const { return sim->Eeprom().mid(TableAddress, TableSize); }
    int UnitStep() const { return TunerPresetList::StepSizeFromFlag(sim->Eeprom().at(19)); }

    // Clicks "Edit Presets" with the dialog's answer queued, and waits for
    // the read and, when the answer accepts, the write.
    bool EditPresets(const TunerPresetsDlg::Answer& answer, bool accepts)
    {
        bool shown = false;
        TunerPresetsDlg::SetNextAnswer([&](TunerPresetsDlg& dialog) {
            shown = true;
            answer(dialog);
        });
        QSignalSpy finished(&f->panel->Session().Transfer(), &MemoryTransfer::transferFinished);
        f->Button(u"editPresets"_s)->click();
        const int transfers = accepts ? 2 : 1;
        const bool done = WaitFor([&] { return finished.size() >= transfers; }, 20000);
        // Past the write-back delay: a write that should not come would be here.
        Pause(300);
        return done && shown && finished.size() == transfers;
    }

private Q_SLOTS:
    void init()
    {
        SimOptions options;
        options.lineRate = 0;
        options.rdsPeriodMs = 0;
        sim = std::make_unique<SimulatedReceiver>(options);
        QVERIFY(sim->Start());
        f = std::make_unique<PanelFixture>(sim->SlavePath());
        QVERIFY(f->Ready());
        eepromWrites = 0;
        connect(sim.get(), &SimulatedReceiver::frameReceived, this, [this](const QByteArray& p) {
            eepromWrites += p.size() > 1 && p[0] == MessageType::Eeprom && p[1] == MemoryOp::Write;
        });
    }
    void cleanup()
    {
        f.reset();
        sim.reset();
    }

    void editsReachTheUnit()
    {
        const QByteArray eeprom = sim->Eeprom();
        const TunerPresetList::Image image = [&] {
            TunerPresetList::Image bytes{};
            std::copy_n(Table().cbegin(), TableSize, bytes.begin());
            return bytes;
        }();
        QTemporaryDir dir;
        const QString path = dir.filePath(u"presets.vxf"_s);
        TunerPresetList shown;
        QVERIFY(EditPresets(
            [&](TunerPresetsDlg& dialog) {
                QVERIFY(QTest::qWaitForWindowExposed(&dialog));
                // Opened on what the unit holds.
                QCOMPARE(Lines(Shown(dialog)), Lines(TunerPresetList::Decode(image, UnitStep())));
                QVERIFY(dialog.FmList()->rowCount() >= 4);
                PresetListCtrl* fm = dialog.FmList();
                AnswerNewPreset(20, u"101.7"_s, u"new"_s, false);
                ClickButton(&dialog, u"addEdit"_s);
                MessageBox::SetNextAnswer(QMessageBox::Yes);
                AnswerNewPreset(fm->Text(1, 0).toInt(), u"95"_s, u"over"_s, true);
                ClickButton(&dialog, u"addEdit"_s);
                ListMouse::Click(fm, 0);
                ClickButton(&dialog, u"delete"_s);
                ListMouse::Drag(fm, 0, {2});
                ListMouse::DoubleClick(fm, ListMouse::Cell(fm, 1, 3));
                QTest::keyClicks(fm->NameEditor(), u"late"_s);
                QTest::keyClick(fm->NameEditor(), Qt::Key_Return);
                const QStringList fmShown = Lines(Shown(dialog)).filter(u"FM"_s);
                QVERIFY(fmShown.at(1).endsWith(u" LATE"_s));
                ShowBand(dialog, false);
                AnswerNewPreset(10, u"1500"_s, {}, false);
                ClickButton(&dialog, u"addEdit"_s);
                // The refresh shows the stations where the drag put them.
                QCOMPARE(Lines(Shown(dialog)).filter(u"FM"_s), fmShown);
                ListMouse::Drag(dialog.AmList(), 0, {1});
                ShowBand(dialog, true);

                // Saved, spoilt, and loaded back.
                TunerPresetsDlg::SetNextFileName(path);
                ClickButton(&dialog, u"save"_s);
                const QStringList saved = Lines(Shown(dialog));
                ListMouse::Click(fm, 0);
                ClickButton(&dialog, u"delete"_s);
                TunerPresetsDlg::SetNextFileName(path);
                ClickButton(&dialog, u"load"_s);
                QCOMPARE(Lines(Shown(dialog)), saved);
                QVERIFY(saved.contains(u"FM 20 10170 0 NEW"_s));
                QVERIFY(saved.contains(u"AM 10 1500"_s));
                shown = Shown(dialog);
                ClickButton(&dialog, u"ok"_s);
            },
            true));
        QCOMPARE(Table().toHex(' '), Bytes(shown.Encode(UnitStep())).toHex(' '));
        QVERIFY(Table() != eeprom.mid(TableAddress, TableSize));
        // Nothing outside the table moved; the step flag is never written.
        QByteArray outside = sim->Eeprom();
        outside.replace(TableAddress, TableSize, eeprom.mid(TableAddress, TableSize));
        QCOMPARE(outside, eeprom);
        QCOMPARE(eepromWrites, TableSize);

        // The unit's table read again shows the same presets.
        QVERIFY(EditPresets(
            [&](TunerPresetsDlg& dialog) {
                QCOMPARE(Lines(Shown(dialog)), Lines(shown));
                ClickButton(&dialog, u"cancel"_s);
            },
            false));
    }

    void cancelWritesNothing()
    {
        const QByteArray eeprom = sim->Eeprom();
        QVERIFY(EditPresets(
            [](TunerPresetsDlg& dialog) {
                ListMouse::Drag(dialog.FmList(), 0, {1});
                ListMouse::Click(dialog.FmList(), 0);
                ClickButton(&dialog, u"delete"_s);
                ClickButton(&dialog, u"cancel"_s);
            },
            false));
        QCOMPARE(eepromWrites, 0);
        QCOMPARE(sim->Eeprom(), eeprom);
        QVERIFY(f->panel->isEnabled());
    }
};

QTEST_MAIN(TestTunerPresetsE2e)
#include "test_tuner_presets_e2e.moc"
