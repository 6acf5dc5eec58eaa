#pragma once

#include "model/live_presenter.h"

#include <QObject>

struct ControlPanelForm;
class UnitSession;

// The control panel's Tuner group: enabled while the tuner is heard (in the
// main room or the zone), emptied when it falls silent; its band, frequency
// and preset follow the unit's reports, worded by LivePresenter. Its
// controls send through UnitCommands; the frequency and preset fields send
// what is typed on Enter or when they lose the focus, and a refused entry
// shows the current value again, selected for the next try.
class TunerFields : public QObject
{
    Q_OBJECT

public:
    // `form` belongs to the window; `session` outlives this object, which
    // must go before the form's fields do, so a field losing the focus as the
    // window closes commits nothing.
    TunerFields(const ControlPanelForm& form, UnitSession& session);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ConnectCommands();
    void UpdateSection(bool heard);
    void ShowBand();
    void ShowFrequency();
    void ShowPreset();
    void CommitFrequency();
    void CommitPreset();

    const ControlPanelForm& form;
    UnitSession& session;
    LivePresenter presenter;
};
