#pragma once

#include "model/tuner_preset_list.h"
#include "transfer/transfer_result.h"

#include <QObject>

#include <functional>

class UnitSession;

// "Edit Presets" from the unit and back: Open reads the AM step flag and the
// tuner preset image; when the read completes, the decoded presets go to the
// editor (the Tuner Presets dialog). On OK the edited list is encoded for
// the unit's AM step and written back after the write-back delay; Cancel
// writes nothing.
//
// The flow hears only its own read and write: the list goes back encoded
// with the AM step its own read found. The editor runs modally and may take
// any time; it is called after the engine's call has returned, on the
// session's thread.
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
    // The read asked by Open ended (once, also when it was refused); the
    // editor follows a DataRead.
    void readEnded(const TransferResult& result);
    // The editor closed; accepted tells OK from Cancel.
    void editorClosed(bool accepted);
    // After OK: whether the write-back was scheduled.
    void writeStarted(bool started);
    // The write-back scheduled after OK ended (once, when it was scheduled).
    void written(const TransferResult& result);

private:
    void Edit(TunerPresetList presets, int amStepSize);

    UnitSession& session;
    Editor editor;
    bool editing = false; // the editor is open
};
