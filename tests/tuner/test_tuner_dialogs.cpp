#include "common/message_box.h"
#include "common/message_table.h"
#include "panel/test_control_panel_fixture.h"
#include "sim_session.h"
#include "simulated_receiver.h"
#include "test_files.h"
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

#include <tuple>

namespace {

using DlgBand = NewTunerPresetDlg::Band;

// The centre of a cell; row -1 is below the last row, on no row.
QPoint Cell(PresetListCtrl* list, int row, int column = 0)
{
    const QRect rect =
        list->visualItemRect(list->item(row < 0 ? list->rowCount() - 1 : row, column));
    return row < 0 ? QPoint(rect.center().x(), rect.bottom() + 3 * rect.height()) : rect.center();
}

// Presses on row `from`, drags it over the given rows in turn and lets go;
// with none, a click.
void Drag(PresetListCtrl* list, int from, const QList<int>& over = {})
{
    QTest::mousePress(list->viewport(), Qt::LeftButton, {}, Cell(list, from));
    for (int row : over)
        QTest::mouseMove(list->viewport(), Cell(list, row));
    QTest::mouseRelease(list->viewport(), Qt::LeftButton, {},
                        Cell(list, over.isEmpty() ? from : over.last()));
}

void DoubleClick(PresetListCtrl* list, int row, int column)
{
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, Cell(list, row, column));
}

// The presets as the dialog's rows show them, read back from the texts.
TunerPresetList Shown(const TunerPresetsDlg& dialog)
{
    TunerPresetList shown;
    const PresetListCtrl* fm = dialog.FmList();
    for (int row = 0; row < fm->rowCount(); ++row)
        shown.AddFm(fm->Text(row, 0).toInt(), TunerEntry::ParseFm(fm->Text(row, 1)),
                    fm->Text(row, 2) == u"yes"_s ? 1 : 0, fm->Text(row, 3));
    const PresetListCtrl* am = dialog.AmList();
    for (int row = 0; row < am->rowCount(); ++row)
        shown.AddAm(am->Text(row, 0).toInt(), TunerEntry::ParseAm(am->Text(row, 1)));
    return shown;
}

const auto ClickButton = [](QWidget* dialog, const QString& name) {
    dialog->findChild<QAbstractButton*>(name)->click();
};

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
    // A drag moves every column but the number, telling each row it passes
    // (back and forth too); a press beside the rows drags nothing and
    // forgets the clicked row. Only a double click on the name column edits,
    // typing over the name in upper case up to the name length; a click on
    // another row or Enter commits, Escape or an emptied edit keeps the name.
    void presetList()
    {
        PresetListCtrl list; // rows "1".."3" with the texts A, B, C in columns 1 to 3
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
        QSignalSpy dragged(&list, &PresetListCtrl::rowDragged);
        const auto rows = [&] {
            QStringList texts;
            for (int column : {0, 1, 3})
                for (int row = 0; row < 3; ++row)
                    texts << list.Text(row, column);
            return texts.join(u' ');
        };
        for (const auto& [from, over, told] : {std::tuple{0, QList<int>{1, 2}, 2},
                                               {0, QList<int>{1, 1, 1, 0}, 4},
                                               {-1, QList<int>{0, 2}, 4}}) {
            Drag(&list, from, over);
            QCOMPARE(rows(), u"1 2 3 B1 C1 A1 B3 C3 A3"_s);
            QCOMPARE(dragged.size(), told);
        }
        QCOMPARE(list.ClickedRow(), -1);
        QSignalSpy committed(&list, &PresetListCtrl::editCommitted);
        DoubleClick(&list, 1, 1);
        QVERIFY(!list.IsEditing());
        // Typed, then ended by a key or, with none, a click on row 2.
        for (const auto& [typed, key, name] : {std::tuple{"jazz fm1x", Qt::Key_unknown, "JAZZ FM1"},
                                               {"\b", Qt::Key_Return, "JAZZ FM1"},
                                               {"pop", Qt::Key_Escape, "JAZZ FM1"},
                                               {"rock", Qt::Key_Return, "ROCK"}}) {
            DoubleClick(&list, 1, 3);
            QVERIFY(list.NameEditor() && list.NameEditor()->isVisible());
            QTest::keyClicks(list.NameEditor(), QString::fromLatin1(typed));
            if (key == Qt::Key_unknown)
                Drag(&list, 2);
            else
                QTest::keyClick(list.NameEditor(), key);
            QVERIFY(!list.IsEditing());
            QCOMPARE(list.Text(1, 3), QString::fromLatin1(name));
        }
        QCOMPARE(committed.size(), 2);
    }

    // Typed text is taken at OK (or before a step); spins step by 50 kHz or
    // the AM step; out-of-band values become the band's first channel.
    void frequencyField()
    {
        for (const auto& [band, step, typed, spins, text] :
             {std::tuple{DlgBand::Fm, 10, "108.5", 1, "87.50 MHz"},
              {DlgBand::Fm, 10, "97.3", 2, "97.40 MHz"},
              {DlgBand::Am, 10, "1711", 0, "530 kHz"},
              // 530 kHz would be stored as 522 kHz with the 9 kHz step.
              {DlgBand::Am, 9, "", -1, "531 kHz"},
              {DlgBand::Am, 9, "530", 0, "531 kHz"}}) {
            NewTunerPresetDlg dialog(band, step, QList<bool>(10, false));
            dialog.show();
            auto* field = dialog.findChild<FrequencySpinBox*>(u"frequency"_s);
            field->selectAll();
            QTest::keyClicks(field, QString::fromLatin1(typed));
            if (spins != 0)
                field->stepBy(spins);
            const int shown = MessageBox::Shown();
            ClickButton(&dialog, u"ok"_s);
            QCOMPARE(dialog.result(), int(QDialog::Accepted));
            QCOMPARE(MessageBox::Shown(), shown); // a free number asks nothing
            const QString expected = QString::fromLatin1(text);
            QCOMPARE(field->text() + u'|' + dialog.FrequencyText(), expected + u'|' + expected);
            QCOMPARE(dialog.Frequency(), band == DlgBand::Fm ? TunerEntry::ParseFm(expected)
                                                             : TunerEntry::ParseAm(expected));
        }
    }

    // A number in use is overwritten only on Yes (asked once on each OK).
    void addOverwriteAndDelete()
    {
        TunerPresetsDlg dialog(OneThreeFive());
        dialog.show();
        // 94.99 typed is listed as the 95.00 MHz the unit will hold.
        AnswerNewPreset(2, u"94.99"_s, u"two"_s, false);
        ClickButton(&dialog, u"addEdit"_s);
        const int asked = MessageBox::Shown();
        for (const auto answer : {QMessageBox::No, QMessageBox::Yes}) {
            MessageBox::SetNextAnswer(answer);
            AnswerNewPreset(3, u"101.7"_s, u"NEWS"_s);
            ClickButton(&dialog, u"addEdit"_s);
            QCOMPARE(MessageBox::LastText(), MessageTable::Text(Message::PresetExists));
            QCOMPARE(Lines(dialog.List()).contains(u"FM 3 9000 0 THREE"_s),
                     answer == QMessageBox::No);
        }
        QCOMPARE(MessageBox::Shown(), asked + 2);
        QCOMPARE(Lines(dialog.List()),
                 (QStringList{u"FM 1 8750 1 ONE"_s, u"FM 2 9500 0 TWO"_s, u"FM 3 10170 1 NEWS"_s,
                              u"FM 5 10000 0 FIVE"_s, u"AM 1 530"_s, u"AM 2 1000"_s}));
        QCOMPARE(Lines(Shown(dialog)), Lines(dialog.List()));

        // Delete takes the clicked line of the band shown.
        MessageBox::SetNextAnswer(QMessageBox::Ok);
        ClickButton(&dialog, u"delete"_s);
        QCOMPARE(MessageBox::LastText(), MessageTable::Text(Message::SelectLineToDelete));
        Drag(dialog.FmList(), 1);
        ClickButton(&dialog, u"delete"_s);
        QVERIFY(!Lines(Shown(dialog)).contains(u"FM 2 9500 0 TWO"_s));
        dialog.Tabs()->setCurrentIndex(1); // AM
        for (int row : {1, 0}) {
            Drag(dialog.AmList(), row);
            ClickButton(&dialog, u"delete"_s);
        }
        QCOMPARE(dialog.AmList()->rowCount(), 0);
        MessageBox::SetNextAnswer(QMessageBox::Ok);
        ClickButton(&dialog, u"delete"_s);
        QCOMPARE(MessageBox::LastText(), MessageTable::Text(Message::NoPresetsToDelete));
        QCOMPARE(dialog.List().FmCount(), 3);
    }

    // A file's values off the unit's channels are listed as the unit will
    // hold them (its 9 kHz step stays), said once; a refused file leaves the
    // list as it was and says why. (Whole round trips are the command line's.)
    void saveAndLoad()
    {
        QTemporaryDir dir;
        const auto put = [&](const char* name, const QByteArray& text) {
            QVERIFY(WriteFile(dir.filePath(QString::fromLatin1(name)), text));
        };
        const auto use = [&](TunerPresetsDlg& dialog, const char* button, const char* name) {
            MessageBox::SetNextAnswer(QMessageBox::Ok);
            TunerPresetsDlg::SetNextFileName(dir.filePath(QString::fromLatin1(name)));
            ClickButton(&dialog, QString::fromLatin1(button));
        };
        TunerPresetList nine;
        nine.SetAmStepSize(9);
        TunerPresetsDlg unit9(nine);
        unit9.show();
        put("offgrid.vxf",
            "<TunerPresets>\r\n\tAM Step Size = 10\r\n\tAM Preset = 1\r\n\tAM Frequency = 1000\r\n"
            "\tFM Preset = 2\r\n\tFM Frequency = 88.07\r\n\tFM Mute = 0\r\n"
            "\tFM Preset Name = CLASSIC ROCKS\r\n</TunerPresets>\r\n");
        use(unit9, "load", "offgrid.vxf");
        QCOMPARE(MessageBox::LastText(),
                 MessageTable::Text(Message::TunerPresetsSnapped).arg(2).arg(9));
        const QStringList held{u"FM 2 8805 0 CLASSIC"_s, u"AM 1 999"_s};
        QCOMPARE(Lines(unit9.List()), held);
        QCOMPARE(Lines(Shown(unit9)), held);
        QCOMPARE(unit9.List().AmStepSize(), 9);

        TunerPresetsDlg dialog(OneThreeFive());
        const QStringList before = Lines(dialog.List());
        put("other.vxf", " <TunerPresets>\r\n</TunerPresets>\r\n");
        for (const auto& [button, name, message] :
             {std::tuple{"load", "other.vxf", Message::NotTunerPresetFile},
              {"load", "missing.vxf", Message::TunerFileUnreadable},
              {"save", "no/such/folder.vxf", Message::TunerFileUnwritable}}) {
            use(dialog, button, name);
            QVERIFY2(
                MessageBox::LastText().startsWith(MessageTable::Text(message).section(u'%', 0, 0)),
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
        constexpr int at = TunerPresetList::ImageAddress, size = TunerPresetList::ImageSize;
        const QByteArray before = sim.Eeprom();
        const int step = TunerPresetList::StepSizeFromFlag(before.at(19));
        TunerPresetList::Image image{};
        std::copy_n(before.cbegin() + at, image.size(), image.begin());
        const TunerPresetList was = TunerPresetList::Decode(image, step);
        TunerPresetList shown = was; // as the dialog is to show it when it opens
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
        // A drag moves a whole station to the preset number of its new row,
        // in both bands; neither it nor a name still being typed in place is
        // lost to the refresh of a later command.
        QVERIFY(edit([&](TunerPresetsDlg& dialog) {
            Drag(dialog.FmList(), 0, {2});
            DoubleClick(dialog.FmList(), 0, 3);
            QTest::keyClicks(dialog.FmList()->NameEditor(), u"x"_s);
            dialog.Tabs()->setCurrentIndex(1); // AM
            Drag(dialog.AmList(), 1, {0});
            dialog.Tabs()->setCurrentIndex(0);
            AnswerNewPreset(20, u"101.7"_s, u"new"_s, false);
            ClickButton(&dialog, u"addEdit"_s);
            shown = Shown(dialog);
            ClickButton(&dialog, u"ok"_s);
        }));
        TunerPresetList moved = was; // FM 1..3 hold stations 2, 3, 1; AM 1 and 2 swap
        const QList<FmPreset>& fm = was.FmPresets();
        const QList<AmPreset>& am = was.AmPresets();
        for (int row = 0; row < 3; ++row)
            moved.ReplaceFm(row, {row + 1, fm[(row + 1) % 3].frequency, fm[(row + 1) % 3].mute,
                                  row == 0 ? u"X"_s : fm[(row + 1) % 3].name});
        moved.ReplaceAm(0, {1, am[1].frequency});
        moved.ReplaceAm(1, {2, am[0].frequency});
        moved.AddFm(20, 10170, 0, u"NEW"_s);
        moved.Sort();
        QCOMPARE(Lines(shown), Lines(moved));
        const TunerPresetList::Image encoded = moved.Encode(step);
        const QByteArray written = sim.Eeprom();
        QCOMPARE(written.mid(at, size).toHex(' '),
                 QByteArray(reinterpret_cast<const char*>(encoded.data()), size).toHex(' '));
        QCOMPARE(QByteArray(written).replace(at, size, before.mid(at, size)), before);

        QVERIFY(edit([](TunerPresetsDlg& dialog) {
            Drag(dialog.FmList(), 0);
            ClickButton(&dialog, u"delete"_s);
            ClickButton(&dialog, u"cancel"_s);
        }));
        QCOMPARE(sim.Eeprom(), written);
        QVERIFY(f.panel->isEnabled());
    }
};

QTEST_MAIN(TestTunerDialogs)
#include "test_tuner_dialogs.moc"
