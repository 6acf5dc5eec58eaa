#include "tuner/tuner_presets_flow.h"

#include "unit/unit_session.h"

#include <QTimer>

#include <utility>

TunerPresetsFlow::TunerPresetsFlow(UnitSession& unitSession, QObject* parent)
    : QObject(parent), session(unitSession)
{
    MemoryTransfer& transfer = session.Transfer();
    // A read that ends early (Cancel, a lost unit) delivers nothing.
    connect(&transfer, &MemoryTransfer::transferFinished, this,
            [this](MemoryTransfer::Outcome outcome) {
                if (outcome != MemoryTransfer::Outcome::Completed)
                    awaiting = false;
            });
    // Handled after the transfer's own signal has returned, so the editor's
    // modal loop never runs inside the engine's reply handling.
    connect(&transfer, &MemoryTransfer::tunerPresetsRead, this,
            [this](const TunerPresetList& read) {
                if (!std::exchange(awaiting, false) || session.Transfer().State().savingToFile)
                    return;
                QTimer::singleShot(0, this, [this, read] { Edit(read); });
            });
}

bool TunerPresetsFlow::Open()
{
    if (editing)
        return false;
    awaiting = session.Transfer().ReadTunerPresets();
    return awaiting;
}

void TunerPresetsFlow::Edit(TunerPresetList presets)
{
    if (!session.Status().connected)
        return; // lost between the last byte and now: nothing to write to
    editing = true;
    const bool accepted = editor && editor(presets);
    editing = false;
    Q_EMIT editorClosed(accepted);
    if (accepted)
        Q_EMIT writeStarted(session.Transfer().WriteTunerPresets(presets));
}
