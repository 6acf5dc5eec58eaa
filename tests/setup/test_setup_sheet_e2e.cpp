#include "common/message_box.h"
#include "common/message_table.h"
#include "panel/test_control_panel_fixture.h"
#include "screenshot.h"
#include "setup/setup_fields.h"
#include "setup/setup_flow.h"
#include "setup/setup_sheet.h"
#include "sim_session.h"
#include "simulated_receiver.h"
#include "transfer/eeprom_map.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QSignalSpy>

// The Receiver Setup sheet from the Unit menu against the simulated
// receiver: what OK writes is exactly what the pages changed, byte for
// byte; OK without a change writes the same bytes; Cancel writes nothing.
namespace {

// One list per page that every model and firmware has: the first page's of
// the current setup, then of a preset, then the four pages both have.
const char* const Lists[] = {"digitalAudio0",  "dts0",      "frontDistance",
                             "frontLeftLevel", "dimension", "dolbyDynamicRange"};

enum class Answer
{
    Cancel,
    Unchanged,
    Edited,
};

// Answers a sheet of block k; Edited takes the next item of one list on each
// page and gives a new input or preset name.
bool AnswerSheet(SetupSheet& sheet, int k, Answer answer)
{
    if (answer != Answer::Edited)
        return answer == Answer::Unchanged;
    for (const char* name : Lists) {
        auto* list = sheet.findChild<QComboBox*>(QString::fromLatin1(name));
        if (qstrcmp(name, k == 0 ? "dts0" : "digitalAudio0") == 0)
            continue;
        if (!list)
            return false;
        const int target = (list->currentIndex() + 1) % list->count();
        list->setCurrentIndex(target);
        Q_EMIT list->activated(target);
    }
    if (k == 0)
        sheet.findChild<QLineEdit*>(u"name4"_s)->setText(u"PLAYER"_s);
    else if (auto* name = sheet.findChild<QLineEdit*>(u"presetName"_s))
        name->setText(u"LATE NIGHT"_s);
    return true;
}

} // namespace

class TestSetupSheetE2e : public QObject
{
    Q_OBJECT

    std::unique_ptr<SimulatedReceiver> sim;
    std::unique_ptr<PanelFixture> f; // after its unit, so it goes first

    bool Connect(const QString& model, const QString& firmware)
    {
        f.reset(); // the panel goes before its unit
        sim = std::make_unique<SimulatedReceiver>(UnpacedUnit(model, firmware));
        f = sim->Start() ? std::make_unique<PanelFixture>(sim->SlavePath()) : nullptr;
        return f && f->Ready();
    }
    int Size() const { return f->panel->Session().Status().facts.blockSize; }
    int PresetAddress(int k) const
    {
        const ModelFacts& facts = f->panel->Session().Status().facts;
        return EepromMap::PresetAddress(facts.BlockSizeAddress(), Size(), k);
    }

    // The block as the unit holds it (a preset's with its table and name), in
    // an image of the unit's layout.
    SettingsImage UnitBlock(int k) const
    {
        SettingsImage image;
        image.Reset(f->panel->Session().Status().facts);
        const QByteArray block = k == 0 ? sim->LiveSetup().left(Size())
                                        : sim->Eeprom().mid(PresetAddress(k) + 1, Size() + 20);
        const QByteArray name =
            k == 0 ? QByteArray() : sim->Eeprom().mid(EepromMap::PresetNameAddress(k), 13);
        for (int i = 0; i < Size(); ++i)
            image.SetByteAt(i, quint8(block[i]));
        for (int i = Size(); i < block.size(); ++i)
            image.SetTableByte(i - Size(), quint8(block[i]));
        for (int i = 0; i < name.size(); ++i)
            image.SetNameByte(i, quint8(name[i]));
        return image;
    }

    // Opens block k from the menu, answers the sheet, waits for the write.
    bool OpenAndAnswer(int k, Answer answer)
    {
        bool shown = false;
        SetupSheet::SetNextAnswer([&](SetupSheet& sheet) {
            shown = true;
            if (k == 0 && answer == Answer::Cancel)
                SaveShot(sheet, u"setup-sheet"_s);
            return sheet.windowTitle() == SetupSheet::Caption(k) && AnswerSheet(sheet, k, answer);
        });
        QSignalSpy finished(&f->panel->Session().Transfer(), &MemoryTransfer::transferFinished);
        f->panel->findChild<QAction*>(k == 0 ? u"currentSetup"_s : u"avSetup%1"_s.arg(k))
            ->trigger();
        // The read, then (on OK) the write.
        const int transfers = answer == Answer::Cancel ? 1 : 2;
        const bool done = WaitFor([&] { return shown && finished.size() >= transfers; }, 20000);
        if (answer == Answer::Cancel)
            Pause(50); // a write it started would be on the line by now
        return done && shown && finished.size() == transfers;
    }

private Q_SLOTS:
    void setupBlocksRoundTrip_data()
    {
        QTest::addColumn<QString>("model");
        QTest::addColumn<QString>("firmware");
        for (const char* row : {"K230 v2.05", "K220 v1.20", "K240 v1.26"})
            QTest::newRow(row) << QString::fromLatin1(row, 4) << QString::fromLatin1(row + 5);
    }
    void setupBlocksRoundTrip()
    {
        QFETCH(QString, model);
        QFETCH(QString, firmware);
        QVERIFY(Connect(model, firmware));
        int writesBefore = 0;
        QObject::connect(sim.get(), &SimulatedReceiver::frameReceived, [&](const QByteArray& p) {
            writesBefore += p.size() > 1 && p[1] == MemoryOp::Write &&
                            (p[0] == MessageType::LiveSetup || p[0] == MessageType::Eeprom);
        });

        for (int k = 0; k <= AvPresetCount; ++k) {
            const QByteArray eeprom = sim->Eeprom();
            const QByteArray live = sim->LiveSetup();
            if (k > 0 && sim->Eeprom().at(PresetAddress(k)) == char(0xFF)) {
                // An empty preset says so and opens nothing.
                MessageBox::SetNextAnswer(QMessageBox::Ok);
                QSignalSpy empty(f->panel->findChild<SetupFlow*>(), &SetupFlow::presetEmpty);
                f->panel->findChild<QAction*>(u"avSetup%1"_s.arg(k))->trigger();
                QVERIFY(empty.wait(5000));
                QCOMPARE(MessageBox::LastText(), MessageTable::Text(Message::PresetEmpty));
                continue;
            }
            const SettingsImage before = UnitBlock(k);

            const int writes = writesBefore;
            if (k == 0) { // the same for every block
                QVERIFY2(OpenAndAnswer(k, Answer::Cancel), "cancel");
                QCOMPARE(writesBefore, writes);
            }
            QVERIFY(OpenAndAnswer(k, Answer::Unchanged));
            QVERIFY(writesBefore > writes); // the whole block again
            QCOMPARE(sim->Eeprom(), eeprom);
            QCOMPARE(sim->LiveSetup(), live);

            QVERIFY(OpenAndAnswer(k, Answer::Edited));
            // What the same answer gives on a sheet of the block read before.
            const SetupFlags flags = SetupFlags::For(f->panel->Session().Status().facts, k);
            SetupFields fields = SetupFields::Load(before, flags);
            SetupSheet::SetNextAnswer(
                [k](SetupSheet& sheet) { return AnswerSheet(sheet, k, Answer::Edited); });
            QVERIFY(SetupSheet(fields, flags).Run(fields));
            SettingsImage expected = before;
            fields.Store(expected, flags);
            QVERIFY(expected.BlockBytes() != before.BlockBytes());
            // The block with its table and name, and nothing else.
            QByteArray want = eeprom;
            if (k > 0) {
                want.replace(PresetAddress(k) + 1, Size() + 20, expected.BlockAndTableBytes());
                want.replace(EepromMap::PresetNameAddress(k), 13, expected.NameBytes());
            }
            QCOMPARE(sim->Eeprom(), want);
            QCOMPARE(UnitBlock(k).BlockBytes(), expected.BlockBytes());
            if (k > 0 && flags.newFirmware)
                QCOMPARE(UnitBlock(k).PresetName(), u"LATE NIGHT"_s);
            if (k == 0) {
                QTRY_COMPARE(f->panel->Session().Live().InputCaption(4), u"PLAYER"_s);
                QCOMPARE(f->Button(u"mainSource4"_s)->text(), u"PLAYER"_s);
            }
        }
    }

    // While a sheet is open, the panel's entries that open another are
    // disabled, and a screen reader's press on one (it reaches a window the
    // sheet blocks) opens nothing; they come back when it closes.
    void oneSheetAtATime()
    {
        QVERIFY(Connect(u"K230"_s, u"v2.05"_s));
        QAction* other = f->panel->findChild<QAction*>(u"avSetup3"_s);
        QVERIFY(other->isEnabled());
        QSignalSpy started(&f->panel->Session().Transfer(), &MemoryTransfer::transferStarted);
        bool blocked = false;
        bool shown = false;
        SetupSheet::SetNextAnswer([&](SetupSheet&) {
            shown = true;
            blocked = !other->isEnabled() && !f->Button(u"editPresets"_s)->isEnabled();
            const qsizetype before = started.size();
            QAccessibleInterface* menu =
                QAccessible::queryAccessibleInterface(f->panel->findChild<QMenu*>(u"unitMenu"_s));
            for (int i = 0; menu && i < menu->childCount(); ++i) {
                QAccessibleInterface* item = menu->child(i);
                if (item->text(QAccessible::Name).startsWith(u"A/V Setup 3"_s) &&
                    item->actionInterface())
                    item->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
            }
            Pause(100); // a read it started would be under way by now
            blocked = blocked && started.size() == before;
            return false;
        });
        f->panel->findChild<QAction*>(u"currentSetup"_s)->trigger();
        QVERIFY(WaitFor([&] { return shown && other->isEnabled(); }, 20000));
        QVERIFY(blocked);
        QCOMPARE(started.size(), 1);
    }
};

QTEST_MAIN(TestSetupSheetE2e)
#include "test_setup_sheet_e2e.moc"
