#include "tuner/tuner_presets_flow.h"

#include "unit/unit_session.h"

#include <QTimer>

#include <utility>

TunerPresetsFlow::TunerPresetsFlow(UnitSession& unitSession, QObject* parent)
    : QObject(parent), session(unitSession)
{}

bool TunerPresetsFlow::Open()
{
    if (editing)
        return false;
    // Handled after the engine's own call has returned, so the editor's
    // modal loop never runs inside the engine's reply handling. A read that
    // ends early (Cancel, a lost unit) opens nothing.
    return session.Transfer().ReadTunerPresets(ResultTo(this, [this](const TransferResult& result) {
        Q_EMIT readEnded(result);
        if (result.kind != TransferResult::Kind::DataRead)
            return;
        QTimer::singleShot(
            0, this, [this, read = result.tuner, step = result.amStepSize] { Edit(read, step); });
    }));
}

void TunerPresetsFlow::Edit(TunerPresetList presets, int amStepSize)
{
    if (!session.Status().connected)
        return; // lost between the last byte and now: nothing to write to
    editing = true;
    const bool accepted = editor && editor(presets);
    editing = false;
    Q_EMIT editorClosed(accepted);
    if (!accepted)
        return;
    // Encoded with the step of this flow's own read: the unit decodes every
    // AM word with it.
    const bool started = session.Transfer().WriteTunerPresets(
        presets, amStepSize,
        ResultTo(this, [this](const TransferResult& result) { Q_EMIT written(result); }));
    Q_EMIT writeStarted(started);
}
