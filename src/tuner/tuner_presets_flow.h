#pragma once

#include "model/tuner_preset_list.h"

#include <QObject>

#include <functional>

class UnitSession;

// "Edit Presets" from the unit and back: Open reads the AM step flag and the
// tuner preset image; when the read completes, the decoded presets go to the
// editor (the Tuner Presets dialog). On OK the edited list is encoded for
// the unit's AM step and written back after the write-back delay; Cancel
// writes nothing.
//
// Only reads started by Open reach the editor: a tuner read of the
// settings-file save (savingToFile) is left to that save. The editor runs
// modally and may take any time; it is called after the transfer's signal
// has returned, on the session's thread.
class TunerPresetsFlow : public QObject
{
    Q_OBJECT

public:
    // Shows the presets; true when the user accepted them (the list then
    // holds the edits).
    using Editor = std::function<bool(TunerPresetList& presets)>;

    explicit TunerPresetsFlow(UnitSession& session, QObject* parent = nullptr);

    void SetEditor(Editor edit) { editor = std::move(edit); }

    // Starts the read; false when it cannot start (another transfer runs,
    // the unit is lost).
    bool Open();

Q_SIGNALS:
    // The editor closed; accepted tells OK from Cancel.
    void editorClosed(bool accepted);
    // After OK: whether the write-back was scheduled.
    void writeStarted(bool started);

private:
    void Edit(TunerPresetList presets);

    UnitSession& session;
    Editor editor;
    bool awaiting = false; // a read started by Open has not delivered yet
    bool editing = false;  // the editor is open
};
