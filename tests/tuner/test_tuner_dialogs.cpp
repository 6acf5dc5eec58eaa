#include "common/message_box.h"
#include "common/message_table.h"
#include "panel/test_control_panel_fixture.h"
#include "sim_session.h"
#include "simulated_receiver.h"
#include "tuner/frequency_spin_box.h"
#include "tuner/new_tuner_preset_dlg.h"
#include "tuner/preset_list_ctrl.h"
#include "tuner/tuner_entry.h"
#include "tuner/tuner_presets_dlg.h"
#include "tuner/tuner_presets_flow.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

namespace {

using DlgBand = NewTunerPresetDlg::Band;

// Mouse work on a preset list, sent to its viewport as the platform would.
namespace ListMouse {

void Send(PresetListCtrl* list, QEvent::Type type, QPoint at, Qt::MouseButton button,
          Qt::MouseButtons held)
{
    QWidget* viewport = list->viewport();
    QMouseEvent event(type, QPointF(at), viewport->mapToGlobal(QPointF(at)), button, held,
                      Qt::NoModifier);
    QApplication::sendEvent(viewport, &event);
}

QPoint Cell(PresetListCtrl* list, int row, int column = 0)
{
    return list->visualItemRect(list->item(row, column)).center();
}

// Below the last row: on no row.
QPoint BelowRows(PresetListCtrl* list)
{
    const QRect last = list->visualItemRect(list->item(list->rowCount() - 1, 0));
    return {last.center().x(), last.bottom() + 3 * last.height()};
}

void Press(PresetListCtrl* list, QPoint at)
{
    Send(list, QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
}
void MoveHeld(PresetListCtrl* list, QPoint at)
{
    Send(list, QEvent::MouseMove, at, Qt::NoButton, Qt::LeftButton);
}
void Release(PresetListCtrl* list, QPoint at)
{
    Send(list, QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
}
void Click(PresetListCtrl* list, int row)
{
    Press(list, Cell(list, row));
    Release(list, Cell(list, row));
}
void DoubleClick(PresetListCtrl* list, QPoint at)
{
    Press(list, at);
    Release(list, at);
    Send(list, QEvent::MouseButtonDblClick, at, Qt::LeftButton, Qt::LeftButton);
    Release(list, at);
}
// Presses on a row and drags it over the given rows in turn.
void Drag(PresetListCtrl* list, int from, const QList<int>& over)
{
    Press(list, Cell(list, from));
    for (int row : over)
        MoveHeld(list, Cell(list, row));
    Release(list, Cell(list, over.isEmpty() ? from : over.last()));
}

} // namespace ListMouse

// The presets as the dialog's rows show them, read back from the texts.
TunerPresetList Shown(const TunerPresetsDlg& dialog)
{
    TunerPresetList shown;
    shown.SetAmStepSize(dialog.List().AmStepSize());
    const PresetListCtrl* fm = dialog.FmList();
    for (int row = 0; row < fm->rowCount(); ++row)
        shown.AddFm(fm->Text(row, 0).toInt(), TunerEntry::ParseFm(fm->Text(row, 1)),
                    fm->Text(row, 2) == u"yes"_s ? 1 : 0, fm->Text(row, 3));
    const PresetListCtrl* am = dialog.AmList();
    for (int row = 0; row < am->rowCount(); ++row)
        shown.AddAm(am->Text(row, 0).toInt(), TunerEntry::ParseAm(am->Text(row, 1)));
    return shown;
}

void ClickButton(QWidget* dialog, const QString& name)
{
    dialog->findChild<QAbstractButton*>(name)->click();
}

void ShowBand(TunerPresetsDlg& dialog, bool fm)
{
    dialog.Tabs()->setCurrentIndex(fm ? 0 : 1);
}

// A list as lines, for comparisons that show what differs.
QStringList Lines(const TunerPresetList& list)
{
    QStringList lines;
    for (const FmPreset& p : list.FmPresets())
        lines
            << u"FM %1 %2 %3 %4"_s.arg(p.number).arg(p.frequency).arg(p.mute).arg(p.name).trimmed();
    for (const AmPreset& p : list.AmPresets())
        lines << u"AM %1 %2"_s.arg(p.number).arg(p.frequency);
    return lines;
}

// Answers the next New Tuner Preset dialog: the number, the typed
// frequency, for FM the name and the mute flag, then OK.
void AnswerNewPreset(int number, const QString& frequency, const QString& name = {},
                     bool mute = true)
{
    NewTunerPresetDlg::SetNextAnswer([=](NewTunerPresetDlg& dialog) {
        dialog.findChild<QComboBox*>(u"presetNumber"_s)->setCurrentIndex(number - 1);
        auto* field = dialog.findChild<FrequencySpinBox*>(u"frequency"_s);
        field->selectAll();
        QTest::keyClicks(field, frequency);
        QTest::keyClicks(dialog.findChild<QLineEdit*>(u"presetName"_s), name);
        dialog.findChild<QCheckBox*>(u"fmMute"_s)->setChecked(mute);
        ClickButton(&dialog, u"ok"_s);
    });
}

// Rows "1".."3" with the texts A, B, C in columns 1 to 3.
void FillAbc(PresetListCtrl& list)
{
    list.SetColumns({u"No"_s, u"One"_s, u"Two"_s, u"Name"_s}, {60, 60, 60, 100});
    for (int row = 0; row < 3; ++row) {
        const QString text = QString(QChar(u'A' + row));
        list.AddRow({QString::number(row + 1), text + u'1', text + u'2', text + u'3'}, row);
    }
    list.SetEditColumnLeft(180);
    list.SetEditColumnRight(280);
    list.resize(400, 300);
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
}

// Column c of every row, joined: "A1 B1 C1".
QString Column(const PresetListCtrl& list, int column)
{
    QStringList texts;
    for (int row = 0; row < list.rowCount(); ++row)
        texts << list.Text(row, column);
    return texts.join(u' ');
}

// FM 1, 3 and 5 with their own stations; AM 1 and 2.
TunerPresetList OneThreeFive()
{
    TunerPresetList list;
    list.AddFm(1, 8750, 1, u"ONE"_s);
    list.AddFm(3, 9000, 0, u"THREE"_s);
    list.AddFm(5, 10000, 0, u"FIVE"_s);
    list.AddAm(1, 530);
    list.AddAm(2, 1000);
    return list;
}

} // namespace

class TestTunerDialogs : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The number column stays; the other columns and the item data move.
    void dragMovesRowsButNotNumbers_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<QList<int>>("over");
        QTest::addColumn<QString>("names");
        QTest::addColumn<int>("notifications");
        QTest::newRow("first to last") << 0 << QList<int>{2} << u"B3 C3 A3"_s << 1;
        QTest::newRow("last to first") << 2 << QList<int>{0} << u"C3 A3 B3"_s << 1;
        QTest::newRow("step by step") << 0 << QList<int>{1, 2} << u"B3 C3 A3"_s << 2;
        QTest::newRow("back and forth over one row")
            << 0 << QList<int>{1, 1, 1, 0} << u"A3 B3 C3"_s << 2;
        QTest::newRow("press beside the rows") << -1 << QList<int>{0, 2} << u"A3 B3 C3"_s << 0;
    }
    void dragMovesRowsButNotNumbers()
    {
        QFETCH(int, from);
        QFETCH(QList<int>, over);
        QFETCH(QString, names);
        QFETCH(int, notifications);
        PresetListCtrl list;
        FillAbc(list);
        QSignalSpy dragged(&list, &PresetListCtrl::rowDragged);
        if (from < 0) {
            ListMouse::Press(&list, ListMouse::BelowRows(&list));
            for (int row : over)
                ListMouse::MoveHeld(&list, ListMouse::Cell(&list, row));
            ListMouse::Release(&list, ListMouse::Cell(&list, over.last()));
        } else {
            ListMouse::Drag(&list, from, over);
        }
        QCOMPARE(Column(list, 0), u"1 2 3"_s);
        QCOMPARE(Column(list, 3), names);
        QCOMPARE(Column(list, 1), QString(names).replace(u'3', u'1'));
        QCOMPARE(dragged.size(), notifications);
        // The item data went with the texts: row r names the row it came from.
        for (int row = 0; row < 3; ++row)
            QCOMPARE(list.RowData(row), names.split(u' ')[row][0].unicode() - u'A');
        if (from >= 0)
            QCOMPARE(list.currentRow(), over.last());
    }

    void inPlaceEditOfTheNameColumn()
    {
        PresetListCtrl list;
        FillAbc(list);
        QSignalSpy committed(&list, &PresetListCtrl::editCommitted);

        // Outside the bounds: a plain double click.
        ListMouse::DoubleClick(&list, ListMouse::Cell(&list, 1, 1));
        QVERIFY(!list.IsEditing());

        ListMouse::DoubleClick(&list, ListMouse::Cell(&list, 1, 3));
        QLineEdit* edit = list.NameEditor();
        QVERIFY(edit && edit->isVisible());
        QCOMPARE(edit->selectedText(), u"B3"_s);
        QTest::keyClicks(edit, u"jazz fm1x"_s);
        QCOMPARE(edit->text(), u"JAZZ FM1"_s); // upper case, the ninth refused
        ListMouse::Click(&list, 2);
        QVERIFY(!list.IsEditing());
        QCOMPARE(list.Text(1, 3), u"JAZZ FM1"_s);
        QCOMPARE(committed.size(), 1);
        QCOMPARE(list.ClickedRow(), 2);

        // An emptied edit keeps the old name.
        ListMouse::DoubleClick(&list, ListMouse::Cell(&list, 0, 3));
        list.NameEditor()->clear();
        ListMouse::Click(&list, 2);
        QCOMPARE(list.Text(0, 3), u"A3"_s);

        // Enter commits and goes no further; Escape drops the edit.
        ListMouse::DoubleClick(&list, ListMouse::Cell(&list, 0, 3));
        QTest::keyClicks(list.NameEditor(), u"rock"_s);
        QTest::keyClick(list.NameEditor(), Qt::Key_Return);
        QCOMPARE(list.Text(0, 3), u"ROCK"_s);
        ListMouse::DoubleClick(&list, ListMouse::Cell(&list, 0, 3));
        QTest::keyClicks(list.NameEditor(), u"pop"_s);
        QTest::keyClick(list.NameEditor(), Qt::Key_Escape);
        QVERIFY(!list.IsEditing());
        QCOMPARE(list.Text(0, 3), u"ROCK"_s);

        // A press beside the rows forgets the clicked row.
        ListMouse::Press(&list, ListMouse::BelowRows(&list));
        QCOMPARE(list.ClickedRow(), -1);
    }

    // Typed text is taken at OK (or before a step); spins step by 50 kHz or
    // the AM step; out-of-band values become the band's first channel.
    void frequencyField_data()
    {
        QTest::addColumn<int>("band");
        QTest::addColumn<int>("step");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("spins"); // positive: up arrow
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("frequency");
        const int fm = int(DlgBand::Fm);
        const int am = int(DlgBand::Am);
        QTest::newRow("FM start") << fm << 10 << u""_s << 0 << u"87.50 MHz"_s << 8750;
        QTest::newRow("FM up") << fm << 10 << u""_s << 1 << u"87.55 MHz"_s << 8755;
        QTest::newRow("FM down below band") << fm << 10 << u""_s << -1 << u"87.50 MHz"_s << 8750;
        QTest::newRow("FM top of band") << fm << 10 << u"108.5"_s << 0 << u"108.50 MHz"_s << 10850;
        QTest::newRow("FM up from top") << fm << 10 << u"108.5"_s << 1 << u"87.50 MHz"_s << 8750;
        QTest::newRow("FM typed 97.3") << fm << 10 << u"97.3"_s << 0 << u"97.30 MHz"_s << 9730;
        QTest::newRow("FM typed then up") << fm << 10 << u"97.3"_s << 2 << u"97.40 MHz"_s << 9740;
        QTest::newRow("FM typed 200") << fm << 10 << u"200"_s << 0 << u"87.50 MHz"_s << 8750;
        QTest::newRow("AM10 start") << am << 10 << u""_s << 0 << u"530 kHz"_s << 530;
        QTest::newRow("AM10 up") << am << 10 << u""_s << 1 << u"540 kHz"_s << 540;
        QTest::newRow("AM10 down") << am << 10 << u""_s << -1 << u"530 kHz"_s << 530;
        QTest::newRow("AM10 above") << am << 10 << u"1711"_s << 0 << u"530 kHz"_s << 530;
        QTest::newRow("AM9 start") << am << 9 << u""_s << 0 << u"531 kHz"_s << 531;
        QTest::newRow("AM9 up") << am << 9 << u""_s << 1 << u"540 kHz"_s << 540;
        // 530 kHz would be stored as 522 kHz with the 9 kHz step.
        QTest::newRow("AM9 down") << am << 9 << u""_s << -1 << u"531 kHz"_s << 531;
        QTest::newRow("AM9 typed 530") << am << 9 << u"530"_s << 0 << u"531 kHz"_s << 531;
    }
    void frequencyField()
    {
        QFETCH(int, band);
        QFETCH(int, step);
        QFETCH(QString, typed);
        QFETCH(int, spins);
        QFETCH(QString, text);
        QFETCH(int, frequency);
        NewTunerPresetDlg dialog(DlgBand(band), step, QList<bool>(10, false));
        dialog.show();
        auto* field = dialog.findChild<FrequencySpinBox*>(u"frequency"_s);
        if (!typed.isEmpty()) {
            field->selectAll();
            QTest::keyClicks(field, typed);
        }
        for (int i = 0; i < std::abs(spins); ++i)
            field->stepBy(spins > 0 ? 1 : -1);
        if (spins != 0)
            QCOMPARE(field->text(), text);
        const int shown = MessageBox::Shown();
        ClickButton(&dialog, u"ok"_s);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(MessageBox::Shown(), shown); // a free number asks nothing
        QCOMPARE(field->text(), text);
        QCOMPARE(dialog.FrequencyText(), text);
        QCOMPARE(dialog.Frequency(), frequency);
        QVERIFY(dialog.IsNew());
        QCOMPARE(dialog.findChild<QCheckBox*>(u"fmMute"_s)->isVisibleTo(&dialog), band == 0);
    }

    void overwriteAsksFirst()
    {
        NewTunerPresetDlg dialog(DlgBand::Fm, 10, {false, false, true});
        QCOMPARE(dialog.findChild<QComboBox*>(u"presetNumber"_s)->count(), 30);
        dialog.show();
        dialog.findChild<QComboBox*>(u"presetNumber"_s)->setCurrentIndex(2);
        QTest::keyClicks(dialog.findChild<QLineEdit*>(u"presetName"_s), u"talk"_s);
        dialog.findChild<FrequencySpinBox*>(u"frequency"_s)->stepBy(2);

        MessageBox::SetNextAnswer(QMessageBox::No);
        ClickButton(&dialog, u"ok"_s);
        QCOMPARE(MessageBox::LastText(), MessageTable::Text(Message::PresetExists));
        QVERIFY(dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(dialog.findChild<QComboBox*>(u"presetNumber"_s)->currentIndex(), 2);
        QCOMPARE(dialog.findChild<QLineEdit*>(u"presetName"_s)->text(), u"TALK"_s);
        QCOMPARE(dialog.findChild<FrequencySpinBox*>(u"frequency"_s)->text(), u"87.60 MHz"_s);

        MessageBox::SetNextAnswer(QMessageBox::Yes);
        ClickButton(&dialog, u"ok"_s);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.PresetNumber(), 3);
        QVERIFY(!dialog.IsNew());
        QCOMPARE(dialog.Frequency(), 8760);
        QCOMPARE(dialog.FmMute(), 1); // a new preset is muted unless cleared
        QCOMPARE(dialog.Name(), u"TALK"_s);
    }

    void addOverwriteAndDelete()
    {
        TunerPresetsDlg dialog(OneThreeFive());
        dialog.show();
        QCOMPARE(dialog.Tabs()->tabText(0), u"FM Preset"_s);
        QCOMPARE(dialog.FmList()->Text(0, 1), u"87.50 MHz"_s);
        QCOMPARE(dialog.FmList()->Text(0, 2), u"yes"_s);

        // 94.99 typed is listed as the 95.00 MHz the unit will hold.
        AnswerNewPreset(2, u"94.99"_s, u"two"_s, false);
        ClickButton(&dialog, u"addEdit"_s);
        QCOMPARE(Column(*dialog.FmList(), 0), u"1 2 3 5"_s);
        QCOMPARE(dialog.FmList()->Text(1, 1), u"95.00 MHz"_s);
        QCOMPARE(dialog.FmList()->Text(1, 2), u"no"_s);

        MessageBox::SetNextAnswer(QMessageBox::Yes);
        AnswerNewPreset(3, u"101.7"_s, u"NEWS"_s);
        ClickButton(&dialog, u"addEdit"_s);
        QCOMPARE(Lines(dialog.List()),
                 (QStringList{u"FM 1 8750 1 ONE"_s, u"FM 2 9500 0 TWO"_s, u"FM 3 10170 1 NEWS"_s,
                              u"FM 5 10000 0 FIVE"_s, u"AM 1 530"_s, u"AM 2 1000"_s}));
        QCOMPARE(Lines(Shown(dialog)), Lines(dialog.List()));

        // Delete takes the clicked line of the band shown.
        MessageBox::SetNextAnswer(QMessageBox::Ok);
        ClickButton(&dialog, u"delete"_s);
        QCOMPARE(MessageBox::LastText(), MessageTable::Text(Message::SelectLineToDelete));
        ListMouse::Click(dialog.FmList(), 1);
        ClickButton(&dialog, u"delete"_s);
        QCOMPARE(Column(*dialog.FmList(), 0), u"1 3 5"_s);

        ShowBand(dialog, false);
        ListMouse::Click(dialog.AmList(), 1);
        ClickButton(&dialog, u"delete"_s);
        ListMouse::Click(dialog.AmList(), 0);
        ClickButton(&dialog, u"delete"_s);
        QCOMPARE(dialog.AmList()->rowCount(), 0);
        MessageBox::SetNextAnswer(QMessageBox::Ok);
        ClickButton(&dialog, u"delete"_s);
        QCOMPARE(MessageBox::LastText(), MessageTable::Text(Message::NoPresetsToDelete));
        QCOMPARE(dialog.List().FmCount(), 3);
    }

    // A drag moves a whole station to the preset number of its new row, in
    // both bands, and neither a drag nor a name typed in place is lost to
    // the refresh of a later command.
    void dragMovesWholeStations()
    {
        TunerPresetsDlg::SetNextAnswer([](TunerPresetsDlg& dialog) {
            QVERIFY(QTest::qWaitForWindowExposed(&dialog));
            ListMouse::Drag(dialog.FmList(), 0, {2});
            ListMouse::DoubleClick(dialog.FmList(), ListMouse::Cell(dialog.FmList(), 0, 3));
            QTest::keyClicks(dialog.FmList()->NameEditor(), u"x"_s);
            ShowBand(dialog, false);
            ListMouse::Drag(dialog.AmList(), 1, {0});
            ShowBand(dialog, true);
            AnswerNewPreset(4, u"88"_s);
            ClickButton(&dialog, u"addEdit"_s);
            ClickButton(&dialog, u"ok"_s);
        });
        TunerPresetList list = OneThreeFive();
        QVERIFY(TunerPresetsDlg::Editor(nullptr)(list));
        QCOMPARE(Lines(list),
                 (QStringList{u"FM 1 9000 0 X"_s, u"FM 3 10000 0 FIVE"_s, u"FM 4 8800 1"_s,
                              u"FM 5 8750 1 ONE"_s, u"AM 1 1000"_s, u"AM 2 530"_s}));
    }

    void saveAndLoad()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"presets.vxf"_s);
        TunerPresetsDlg dialog(OneThreeFive());
        dialog.show();
        TunerPresetsDlg::SetNextFileName(path);
        ClickButton(&dialog, u"save"_s);
        const QStringList saved = Lines(dialog.List());

        ListMouse::Click(dialog.FmList(), 0);
        ClickButton(&dialog, u"delete"_s);
        TunerPresetsDlg::SetNextFileName(path);
        ClickButton(&dialog, u"load"_s);
        QCOMPARE(Lines(dialog.List()), saved);
        QCOMPARE(Lines(Shown(dialog)), saved);

        // A file's values off the unit's channels are listed as the unit will
        // hold them (its 9 kHz step stays), and that is said once.
        TunerPresetList nine;
        nine.SetAmStepSize(9);
        TunerPresetsDlg unit9(nine);
        unit9.show();
        QFile offGrid(dir.filePath(u"offgrid.vxf"_s));
        QVERIFY(offGrid.open(QIODevice::WriteOnly));
        offGrid.write("<TunerPresets>\r\n\tAM Step Size = 10\r\n\tAM Preset = 1\r\n"
                      "\tAM Frequency = 1000\r\n\tFM Preset = 2\r\n\tFM Frequency = 88.07\r\n"
                      "\tFM Mute = 0\r\n\tFM Preset Name = CLASSIC ROCKS\r\n</TunerPresets>\r\n");
        offGrid.close();
        MessageBox::SetNextAnswer(QMessageBox::Ok);
        TunerPresetsDlg::SetNextFileName(offGrid.fileName());
        ClickButton(&unit9, u"load"_s);
        QCOMPARE(MessageBox::LastText(),
                 MessageTable::Text(Message::TunerPresetsSnapped).arg(2).arg(9));
        const QStringList held{u"FM 2 8805 0 CLASSIC"_s, u"AM 1 999"_s};
        QCOMPARE(Lines(unit9.List()), held);
        QCOMPARE(Lines(Shown(unit9)), held);
        QCOMPARE(unit9.List().AmStepSize(), 9);

        // Refusals leave the list as it was.
        QFile other(dir.filePath(u"other.vxf"_s));
        QVERIFY(other.open(QIODevice::WriteOnly));
        other.write(" <TunerPresets>\r\n</TunerPresets>\r\n");
        other.close();
        ListMouse::Click(dialog.FmList(), 0);
        ClickButton(&dialog, u"delete"_s);
        const QStringList before = Lines(dialog.List());
        struct Refusal
        {
            QString path;
            bool load;
            QString message;
        };
        const Refusal refusals[] = {
            {other.fileName(), true, MessageTable::Text(Message::NotTunerPresetFile)},
            {dir.filePath(u"missing.vxf"_s), true,
             MessageTable::Text(Message::TunerFileUnreadable).section(u'%', 0, 0)},
            {dir.filePath(u"no/such/folder.vxf"_s), false,
             MessageTable::Text(Message::TunerFileUnwritable).section(u'%', 0, 0)},
        };
        for (const Refusal& refusal : refusals) {
            MessageBox::SetNextAnswer(QMessageBox::Ok);
            TunerPresetsDlg::SetNextFileName(refusal.path);
            ClickButton(&dialog, refusal.load ? u"load"_s : u"save"_s);
            QVERIFY2(MessageBox::LastText().startsWith(refusal.message),
                     qPrintable(MessageBox::LastText()));
            QCOMPARE(Lines(dialog.List()), before);
        }
    }

    // "Edit Presets" against the simulated receiver: after OK the unit's
    // tuner table holds exactly the presets the dialog showed and nothing
    // else moved (the AM step flag is never written); opened again the
    // dialog shows them, and Cancel writes nothing.
    void editPresetsOnTheUnit()
    {
        SimulatedReceiver sim(UnpacedUnit(u"K230"_s, u"v2.05"_s));
        QVERIFY(sim.Start());
        PanelFixture f(sim.SlavePath());
        QVERIFY(f.Ready());
        int writes = 0;
        connect(&sim, &SimulatedReceiver::frameReceived, this, [&](const QByteArray& p) {
            writes += p.size() > 1 && p[0] == MessageType::Eeprom && p[1] == MemoryOp::Write;
        });
        const auto table = [&sim] {
            return sim.Eeprom().mid(TunerPresetList::ImageAddress, TunerPresetList::ImageSize);
        };
        const QByteArray before = sim.Eeprom();
        const int step = TunerPresetList::StepSizeFromFlag(before.at(19));
        TunerPresetList::Image image{};
        std::copy_n(table().cbegin(), image.size(), image.begin());
        TunerPresetList shown = TunerPresetList::Decode(image, step);
        QSignalSpy closed(&f.features->Presets(), &TunerPresetsFlow::editorClosed);
        // Opens the dialog on what the unit holds, answers it, and waits
        // until the flow and any write it started have ended.
        const auto edit = [&](const std::function<void(TunerPresetsDlg&)>& answer) {
            TunerPresetsDlg::SetNextAnswer([&](TunerPresetsDlg& dialog) {
                QCOMPARE(Lines(Shown(dialog)), Lines(shown));
                answer(dialog);
            });
            closed.clear();
            f.Button(u"editPresets"_s)->click();
            return WaitFor([&] { return !closed.isEmpty(); }, 20000) &&
                   WaitFor([&] { return !f.session->Transfer().IsBusy(); }, 20000);
        };
        QVERIFY(edit([&](TunerPresetsDlg& dialog) {
            AnswerNewPreset(20, u"101.7"_s, u"new"_s, false);
            ClickButton(&dialog, u"addEdit"_s);
            ListMouse::Click(dialog.FmList(), 0);
            ClickButton(&dialog, u"delete"_s);
            ListMouse::Drag(dialog.FmList(), 0, {2});
            ShowBand(dialog, false);
            AnswerNewPreset(10, u"1500"_s);
            ClickButton(&dialog, u"addEdit"_s);
            shown = Shown(dialog);
            ClickButton(&dialog, u"ok"_s);
        }));
        QVERIFY(Lines(shown).contains(u"FM 20 10170 0 NEW"_s));
        const TunerPresetList::Image encoded = shown.Encode(step);
        QCOMPARE(table().toHex(' '), QByteArray(reinterpret_cast<const char*>(encoded.data()),
                                                qsizetype(encoded.size()))
                                         .toHex(' '));
        QByteArray outside = sim.Eeprom();
        outside.replace(TunerPresetList::ImageAddress, TunerPresetList::ImageSize,
                        before.mid(TunerPresetList::ImageAddress, TunerPresetList::ImageSize));
        QCOMPARE(outside, before);
        QCOMPARE(writes, TunerPresetList::ImageSize);

        const QByteArray written = sim.Eeprom();
        QVERIFY(edit([](TunerPresetsDlg& dialog) {
            ListMouse::Click(dialog.FmList(), 0);
            ClickButton(&dialog, u"delete"_s);
            ClickButton(&dialog, u"cancel"_s);
        }));
        QCOMPARE(writes, TunerPresetList::ImageSize);
        QCOMPARE(sim.Eeprom(), written);
        QVERIFY(f.panel->isEnabled());
    }
};

QTEST_MAIN(TestTunerDialogs)
#include "test_tuner_dialogs.moc"
