#pragma once

#include "model/live_presenter.h"

#include <QObject>

struct ControlPanelForm;
class UnitSession;

// The control panel's Main and Zone groups, its connection line, bottom
// buttons and unit menu as the live status reports them. A room's controls
// are enabled while the unit reports it on and emptied when it goes off;
// check marks, radio selections and texts move only on the unit's reports,
// worded by LivePresenter. It keeps no value of its own.
class PanelStatusView : public QObject
{
    Q_OBJECT

public:
    // `form` belongs to `parent`, the window; `session` outlives both.
    PanelStatusView(const ControlPanelForm& form, UnitSession& session, QObject* parent);

private:
    void ConnectSwitches();
    void ConnectValues();
    void ShowConnection(bool connected);
    void ShowMainPower(bool on);
    void ShowZonePower(bool on);
    void RefreshConnectionLine();
    void ShowInputName(int index, const QString& name);

    const ControlPanelForm& form;
    UnitSession& session;
    LivePresenter presenter;
};
