#include "tuner/tuner_presets_dlg.h"

#include "common/message_box.h"
#include "common/message_table.h"
#include "tuner/dialog_answers.h"
#include "tuner/new_tuner_preset_dlg.h"
#include "tuner/preset_list_ctrl.h"
#include "tuner/tuner_preset_file.h"

#include <QFileDialog>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {

QStringList& FileNames()
{
    static QStringList names;
    return names;
}

constexpr int FmTab = 0;
constexpr int AmTab = 1;

// Flag n - 1 set when a preset numbered n exists; numbers outside 1..count
// (only a hand-edited file has them) mark nothing.
template <typename Preset> QList<bool> UsedNumbers(const QList<Preset>& presets, int count)
{
    QList<bool> used(count, false);
    for (const Preset& preset : presets) {
        if (preset.number >= 1 && preset.number <= count)
            used[preset.number - 1] = true;
    }
    return used;
}

QPushButton* NewButton(const QString& text, const QString& name, QWidget* parent)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

} // namespace

TunerPresetsDlg::TunerPresetsDlg(const TunerPresetList& presets, QWidget* parent)
    : QDialog(parent), list(presets), unitStep(presets.AmStepSize())
{
    setWindowTitle(QStringLiteral("Tuner Presets"));
    setObjectName(QStringLiteral("tunerPresets"));
    setModal(true); // however it is shown: no window behind it opens another
    BuildForm();
    tabs->setCurrentIndex(FmTab);
    Refresh();
}

void TunerPresetsDlg::BuildForm()
{
    tabs = new QTabWidget(this);
    tabs->setObjectName(QStringLiteral("tabs"));
    fmList = new PresetListCtrl(this);
    fmList->setObjectName(QStringLiteral("fmList"));
    fmList->SetColumns({QStringLiteral("FM Preset"), QStringLiteral("FM Frequency"),
                        QStringLiteral("FM Mute"), QStringLiteral("Preset Name")},
                       {NumberWidth, FrequencyWidth, MuteWidth, NameWidth});
    const int nameLeft = NumberWidth + FrequencyWidth + MuteWidth;
    fmList->SetEditColumnLeft(nameLeft);
    fmList->SetEditColumnRight(nameLeft + NameWidth);
    amList = new PresetListCtrl(this);
    amList->setObjectName(QStringLiteral("amList"));
    amList->SetColumns({QStringLiteral("AM Preset"), QStringLiteral("AM Frequency")},
                       {NumberWidth, FrequencyWidth});
    tabs->addTab(fmList, QStringLiteral("FM Preset"));
    tabs->addTab(amList, QStringLiteral("AM Preset"));
    connect(fmList, &PresetListCtrl::rowDragged, this, &TunerPresetsDlg::TakeFmRows);
    connect(fmList, &PresetListCtrl::editCommitted, this, &TunerPresetsDlg::TakeFmRows);
    connect(amList, &PresetListCtrl::rowDragged, this, &TunerPresetsDlg::TakeAmRows);

    QPushButton* save = NewButton(QStringLiteral("&Save"), QStringLiteral("save"), this);
    QPushButton* load = NewButton(QStringLiteral("&Load"), QStringLiteral("load"), this);
    QPushButton* addEdit = NewButton(QStringLiteral("&Add/Edit"), QStringLiteral("addEdit"), this);
    QPushButton* remove = NewButton(QStringLiteral("&Delete"), QStringLiteral("delete"), this);
    QPushButton* ok = NewButton(QStringLiteral("&OK"), QStringLiteral("ok"), this);
    ok->setDefault(true);
    QPushButton* cancel = NewButton(QStringLiteral("&Cancel"), QStringLiteral("cancel"), this);
    connect(save, &QPushButton::clicked, this, &TunerPresetsDlg::Save);
    connect(load, &QPushButton::clicked, this, &TunerPresetsDlg::Load);
    connect(addEdit, &QPushButton::clicked, this, &TunerPresetsDlg::AddEdit);
    connect(remove, &QPushButton::clicked, this, &TunerPresetsDlg::Delete);
    connect(ok, &QPushButton::clicked, this, &TunerPresetsDlg::Accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* commands = new QHBoxLayout;
    commands->addWidget(save);
    commands->addWidget(load);
    commands->addStretch(1);
    commands->addWidget(addEdit);
    commands->addWidget(remove);
    auto* closing = new QHBoxLayout;
    closing->addStretch(1);
    closing->addWidget(ok);
    closing->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs);
    layout->addLayout(commands);
    layout->addLayout(closing);
}

bool TunerPresetsDlg::FmShown() const
{
    return tabs->currentIndex() != AmTab;
}

void TunerPresetsDlg::Refresh()
{
    list.Sort();
    amList->DeleteAllRows();
    const QList<AmPreset>& am = list.AmPresets();
    for (int i = 0; i < am.size(); ++i)
        amList->AddRow(
            {QString::number(am[i].number), TunerPresetList::AmFrequencyText(am[i].frequency)}, i);
    fmList->DeleteAllRows();
    const QList<FmPreset>& fm = list.FmPresets();
    for (int i = 0; i < fm.size(); ++i)
        fmList->AddRow({QString::number(fm[i].number),
                        TunerPresetList::FmFrequencyText(fm[i].frequency),
                        fm[i].mute != 0 ? QStringLiteral("yes") : QStringLiteral("no"), fm[i].name},
                       i);
}

void TunerPresetsDlg::TakeRows()
{
    fmList->CommitEdit();
    TakeFmRows();
    TakeAmRows();
}

// Row i shows the number of record i and, in its other columns, the station
// of the record its item data names (itself until a drag moved it). Record
// i takes that station and the name the row shows; afterwards every row
// names its own record again.
void TunerPresetsDlg::TakeFmRows()
{
    const QList<FmPreset> before = list.FmPresets();
    const int rows = std::min(fmList->rowCount(), static_cast<int>(before.size()));
    for (int row = 0; row < rows; ++row) {
        int source = fmList->RowData(row);
        if (source < 0 || source >= rows)
            source = row;
        FmPreset preset = before[source];
        preset.number = before[row].number;
        preset.name = fmList->Text(row, PresetListCtrl::EditColumn);
        list.ReplaceFm(row, preset);
        fmList->SetRowData(row, row);
    }
}

void TunerPresetsDlg::TakeAmRows()
{
    const QList<AmPreset> before = list.AmPresets();
    const int rows = std::min(amList->rowCount(), static_cast<int>(before.size()));
    for (int row = 0; row < rows; ++row) {
        int source = amList->RowData(row);
        if (source < 0 || source >= rows)
            source = row;
        list.ReplaceAm(row, AmPreset{before[row].number, before[source].frequency});
        amList->SetRowData(row, row);
    }
}

void TunerPresetsDlg::AddEdit()
{
    TakeRows();
    const bool fm = FmShown();
    const QList<bool> used = fm ? UsedNumbers(list.FmPresets(), TunerPresetList::FmCapacity)
                                : UsedNumbers(list.AmPresets(), TunerPresetList::AmCapacity);
    NewTunerPresetDlg dialog(fm ? NewTunerPresetDlg::Band::Fm : NewTunerPresetDlg::Band::Am,
                             list.AmStepSize(), used, this);
    if (!dialog.Run())
        return;
    const int number = dialog.PresetNumber();
    if (fm) {
        const FmPreset preset{number, dialog.Frequency(), dialog.FmMute(), dialog.Name()};
        const int at = list.FindFm(number);
        if (at < 0)
            list.AddFm(preset.number, preset.frequency, preset.mute, preset.name);
        else
            list.ReplaceFm(at, preset);
    } else {
        const int at = list.FindAm(number);
        if (at < 0)
            list.AddAm(number, dialog.Frequency());
        else
            list.ReplaceAm(at, AmPreset{number, dialog.Frequency()});
    }
    // A typed frequency off the unit's channels is listed as the unit will hold it.
    list.SnapToUnit();
    Refresh();
}

void TunerPresetsDlg::Delete()
{
    TakeRows();
    const bool fm = FmShown();
    const int count = fm ? list.FmCount() : list.AmCount();
    if (count == 0) {
        MessageBox::Information(this, MessageTable::Text(Message::NoPresetsToDelete));
        return;
    }
    const int row = (fm ? fmList : amList)->ClickedRow();
    if (row < 0 || row >= count) {
        MessageBox::Information(this, MessageTable::Text(Message::SelectLineToDelete));
        return;
    }
    if (fm)
        list.RemoveFm(row);
    else
        list.RemoveAm(row);
    Refresh();
}

void TunerPresetsDlg::Load()
{
    TakeRows();
    const QString path = AskFileName(false);
    if (path.isEmpty())
        return;
    QString error;
    switch (TunerPresetFile::Load(path, list, &error)) {
    case TunerPresetFile::Outcome::Done: {
        // The unit keeps its own AM step: the file's presets go on its channels.
        list.SetAmStepSize(unitStep);
        const int changed = list.SnapToUnit();
        Refresh();
        if (changed > 0)
            MessageBox::Information(
                this, MessageTable::Text(Message::TunerPresetsSnapped).arg(changed).arg(unitStep));
        break;
    }
    case TunerPresetFile::Outcome::NotTunerPresetFile:
        MessageBox::Information(this, MessageTable::Text(Message::NotTunerPresetFile));
        break;
    case TunerPresetFile::Outcome::CutOff:
        MessageBox::Error(this, MessageTable::Text(Message::TunerFileCutOff));
        break;
    case TunerPresetFile::Outcome::Failed:
        MessageBox::Error(this, MessageTable::Text(Message::TunerFileUnreadable).arg(path, error));
        break;
    }
}

void TunerPresetsDlg::Save()
{
    TakeRows();
    const QString path = AskFileName(true);
    if (path.isEmpty())
        return;
    QString error;
    if (TunerPresetFile::Save(path, list, &error) != TunerPresetFile::Outcome::Done)
        MessageBox::Error(this, MessageTable::Text(Message::TunerFileUnwritable).arg(path, error));
}

void TunerPresetsDlg::Accept()
{
    TakeRows();
    // What is written is what the list shows (already on the unit's channels).
    list.SnapToUnit();
    accept();
}

QString TunerPresetsDlg::AskFileName(bool save)
{
    if (!FileNames().isEmpty())
        return FileNames().takeFirst();
    QFileDialog dialog(this);
    dialog.setNameFilters(
        {QStringLiteral("Veltrix Files (*.vxf)"), QStringLiteral("All Files (*)")});
    dialog.setDefaultSuffix(QStringLiteral("vxf"));
    if (save) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}

bool TunerPresetsDlg::Run()
{
    return DialogAnswers<TunerPresetsDlg>::Run(*this);
}

std::function<bool(TunerPresetList&)> TunerPresetsDlg::Editor(QWidget* parent)
{
    return [parent](TunerPresetList& presets) {
        TunerPresetsDlg dialog(presets, parent);
        if (!dialog.Run())
            return false;
        presets = dialog.List();
        return true;
    };
}

void TunerPresetsDlg::SetNextAnswer(Answer answer)
{
    DialogAnswers<TunerPresetsDlg>::Queue(std::move(answer));
}

void TunerPresetsDlg::SetNextFileName(const QString& path)
{
    FileNames().append(path);
}
