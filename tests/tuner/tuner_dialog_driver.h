#pragma once

#include "model/tuner_preset_list.h"
#include "tuner/frequency_spin_box.h"
#include "tuner/new_tuner_preset_dlg.h"
#include "tuner/preset_list_ctrl.h"
#include "tuner/tuner_entry.h"
#include "tuner/tuner_presets_dlg.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTabWidget>
#include <QTest>

using namespace Qt::StringLiterals;

// Mouse work on a preset list, sent to its viewport as the platform would.
namespace ListMouse {

inline void Send(PresetListCtrl* list, QEvent::Type type, QPoint at, Qt::MouseButton button,
                 Qt::MouseButtons held)
{
    QWidget* viewport = list->viewport();
    QMouseEvent event(type, QPointF(at), viewport->mapToGlobal(QPointF(at)), button, held,
                      Qt::NoModifier);
    QApplication::sendEvent(viewport, &event);
}

inline QPoint Cell(PresetListCtrl* list, int row, int column = 0)
{
    return list->visualItemRect(list->item(row, column)).center();
}

// Below the last row: on no row.
inline QPoint BelowRows(PresetListCtrl* list)
{
    const QRect last = list->visualItemRect(list->item(list->rowCount() - 1, 0));
    return {last.center().x(), last.bottom() + 3 * last.height()};
}

inline void Press(PresetListCtrl* list, QPoint at)
{
    Send(list, QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
}
inline void MoveHeld(PresetListCtrl* list, QPoint at)
{
    Send(list, QEvent::MouseMove, at, Qt::NoButton, Qt::LeftButton);
}
inline void Release(PresetListCtrl* list, QPoint at)
{
    Send(list, QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
}
inline void Click(PresetListCtrl* list, int row)
{
    Press(list, Cell(list, row));
    Release(list, Cell(list, row));
}
inline void DoubleClick(PresetListCtrl* list, QPoint at)
{
    Press(list, at);
    Release(list, at);
    Send(list, QEvent::MouseButtonDblClick, at, Qt::LeftButton, Qt::LeftButton);
    Release(list, at);
}
// Presses on a row and drags it over the given rows in turn.
inline void Drag(PresetListCtrl* list, int from, const QList<int>& over)
{
    Press(list, Cell(list, from));
    for (int row : over)
        MoveHeld(list, Cell(list, row));
    Release(list, Cell(list, over.isEmpty() ? from : over.last()));
}

} // namespace ListMouse

// The presets as the dialog's rows show them, read back from the texts.
inline TunerPresetList Shown(const TunerPresetsDlg& dialog)
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

inline void ClickButton(QWidget* dialog, const QString& name)
{
    dialog->findChild<QAbstractButton*>(name)->click();
}

inline void ShowBand(TunerPresetsDlg& dialog, bool fm)
{
    dialog.Tabs()->setCurrentIndex(fm ? 0 : 1);
}

// A list as lines, for comparisons that show what differs.
inline QStringList Lines(const TunerPresetList& list)
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
inline void AnswerNewPreset(int number, const QString& frequency, const QString& name = {},
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
