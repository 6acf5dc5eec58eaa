#pragma once

#include "model/tuner_preset_list.h"

#include <QDialog>
#include <QString>

#include <functional>

class PresetListCtrl;
class QTabWidget;

// The modal "Tuner Presets" dialog on the presets read from the unit: an FM
// and an AM list on the tabs "FM Preset" and "AM Preset", Add/Edit, Delete,
// Load and Save of a tuner preset file, OK and Cancel. The caller writes
// List() to the unit after OK; Cancel leaves the unit alone.
//
// The lists always show the records in number order, row i record i. What a
// list shows is taken back into the records whenever it changes there (a
// drag, a name typed in place) and before every command, so the records are
// what the user sees: a drag moves a whole station (frequency, mute and
// name) to the preset number of its new row, and no edit is lost to the
// refresh that follows Add/Edit, Delete or Load.
//
// Test hooks: SetNextAnswer queues an answer for the next Run(), which then
// shows the dialog without a modal loop and calls the answer with it; the
// answer works the controls (OK and Cancel included), and Run returns
// whether the dialog was accepted. SetNextFileName queues the path the next
// open or save dialog returns (an empty path stands for Cancel).
class TunerPresetsDlg : public QDialog
{
    Q_OBJECT

public:
    using Answer = std::function<void(TunerPresetsDlg& dialog)>;

    // Column widths of the lists, in pixels; the FM name column is edited in
    // place.
    static constexpr int NumberWidth = 67;
    static constexpr int FrequencyWidth = 100;
    static constexpr int MuteWidth = 55;
    static constexpr int NameWidth = 100;

    explicit TunerPresetsDlg(const TunerPresetList& presets, QWidget* parent = nullptr);

    // True when closed with OK.
    bool Run();
    const TunerPresetList& List() const { return list; }

    QTabWidget* Tabs() const { return tabs; }
    PresetListCtrl* FmList() const { return fmList; }
    PresetListCtrl* AmList() const { return amList; }

    // The editor of the "Edit Presets" flow: a dialog over `parent`.
    static std::function<bool(TunerPresetList&)> Editor(QWidget* parent);

    static void SetNextAnswer(Answer answer);
    static void SetNextFileName(const QString& path);

private:
    void BuildForm();
    bool FmShown() const;
    void Refresh();
    void TakeRows();
    void TakeFmRows();
    void TakeAmRows();
    QString AskFileName(bool save);

    void AddEdit();
    void Delete();
    void Load();
    void Save();
    void Accept();

    TunerPresetList list;
    int unitStep; // the unit's AM step, which a loaded file does not change
    QTabWidget* tabs = nullptr;
    PresetListCtrl* fmList = nullptr;
    PresetListCtrl* amList = nullptr;
};
