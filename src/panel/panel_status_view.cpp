#include "panel/panel_status_view.h"

#include "panel/control_panel_form.h"
#include "panel/radio_selection.h"
#include "panel/report_check_box.h"
#include "panel/spin_arrows.h"
#include "unit/unit_session.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>

#include <utility>

PanelStatusView::PanelStatusView(const ControlPanelForm& panelForm, UnitSession& unitSession,
                                 QObject* parent)
    : QObject(parent), form(panelForm), session(unitSession), presenter(unitSession.Status())
{
    // Every control starts disabled and empty, as without a unit.
    ShowConnection(false);
    ShowMainPower(false);
    ShowZonePower(false);
    RefreshConnectionLine();

    LiveStatus& status = session.Live();
    connect(&status, &LiveStatus::connectionLineRefreshed, this,
            &PanelStatusView::RefreshConnectionLine);
    connect(&status, &LiveStatus::connectionShown, this, &PanelStatusView::ShowConnection);
    connect(&status, &LiveStatus::mainPowerShown, this, &PanelStatusView::ShowMainPower);
    connect(&status, &LiveStatus::zonePowerShown, this, &PanelStatusView::ShowZonePower);
    connect(&status, &LiveStatus::inputNameReported, this, &PanelStatusView::ShowInputName);
    // A name the program sends shows on the main room's button at once; the
    // zone's follows the unit's report.
    connect(&status, &LiveStatus::inputNameAssumed, this, [this](int index, const QString& name) {
        if (index >= 0 && index < InputCount)
            form.mainSources[static_cast<std::size_t>(index)]->setText(name);
    });
    ConnectSwitches();
    ConnectValues();
}

void PanelStatusView::ConnectSwitches()
{
    using Signal = void (LiveStatus::*)(bool);
    const std::pair<Signal, ReportCheckBox*> switches[] = {
        {&LiveStatus::mainPowerReported, form.mainPower},
        {&LiveStatus::zonePowerReported, form.zonePower},
        {&LiveStatus::mainMuteChanged, form.mainMute},
        {&LiveStatus::zoneMuteChanged, form.zoneMute},
        {&LiveStatus::speakersAChanged, form.speakersA},
        {&LiveStatus::speakersBChanged, form.speakersB},
        {&LiveStatus::tapeMonitorChanged, form.tapeMonitor},
        {&LiveStatus::toneDefeatChanged, form.toneDefeat},
        {&LiveStatus::fmMuteChanged, form.fmMute}};
    for (const auto& [changed, box] : switches)
        connect(&session.Live(), changed, box, &QAbstractButton::setChecked);
}

void PanelStatusView::ConnectValues()
{
    LiveStatus& status = session.Live();
    connect(&status, &LiveStatus::mainVolumeChanged, this,
            [this](int dB) { form.mainVolume->setText(presenter.VolumeText(dB)); });
    connect(&status, &LiveStatus::zoneVolumeChanged, this,
            [this](int dB) { form.zoneVolume->setText(presenter.VolumeText(dB)); });
    connect(&status, &LiveStatus::bassChanged, this,
            [this](int dB) { form.bass->setText(LivePresenter::ToneText(dB)); });
    connect(&status, &LiveStatus::trebleChanged, this,
            [this](int dB) { form.treble->setText(LivePresenter::ToneText(dB)); });
    connect(&status, &LiveStatus::signalTypeChanged, this,
            [this](int type) { form.signalType->setText(LivePresenter::SignalTypeText(type)); });
    connect(&status, &LiveStatus::surroundModeChanged, this,
            [this](int mode) { SelectOnly(form.surroundModes, mode); });
    connect(&status, &LiveStatus::mainSourceChanged, this,
            [this](int source) { SelectOnly(form.mainSources, source); });
    connect(&status, &LiveStatus::zoneSourceChanged, this,
            [this](int source) { SelectOnly(form.zoneSources, source); });
}

void PanelStatusView::ShowConnection(bool connected)
{
    for (ReportCheckBox* power : {form.mainPower, form.zonePower}) {
        power->setEnabled(connected);
        if (!connected)
            power->setChecked(false);
    }
    form.refreshAction->setEnabled(connected);
    form.setupActions[0]->setEnabled(connected);
}

void PanelStatusView::ShowMainPower(bool on)
{
    for (QLabel* label : std::as_const(form.mainLabels))
        label->setEnabled(on);
    for (ReportRadioButton* button : form.mainSources)
        button->setEnabled(on);
    for (ReportRadioButton* button : form.surroundButtons)
        button->setEnabled(on);
    for (std::size_t i = 0; i < AvPresetCount; ++i) {
        form.recallButtons[i]->setEnabled(on);
        form.storeButtons[i]->setEnabled(on);
    }
    for (ReportCheckBox* box :
         {form.mainMute, form.speakersA, form.speakersB, form.tapeMonitor, form.toneDefeat}) {
        box->setEnabled(on);
        if (!on)
            box->setChecked(false);
    }
    for (QLineEdit* field : {form.mainVolume, form.signalType, form.bass, form.treble}) {
        field->setEnabled(on);
        if (!on)
            field->clear();
    }
    for (SpinArrows* spin : {form.mainVolumeSpin, form.bassSpin, form.trebleSpin})
        spin->setEnabled(on);
    if (!on) {
        SelectOnly(form.mainSources, -1);
        SelectOnly(form.surroundButtons, -1);
    }
}

void PanelStatusView::ShowZonePower(bool on)
{
    form.zoneVolumeLabel->setEnabled(on);
    for (ReportRadioButton* button : form.zoneSources)
        button->setEnabled(on);
    form.zoneMute->setEnabled(on);
    form.zoneVolume->setEnabled(on);
    form.zoneVolumeSpin->setEnabled(on);
    if (!on) {
        form.zoneMute->setChecked(false);
        form.zoneVolume->clear();
        SelectOnly(form.zoneSources, -1);
    }
}

void PanelStatusView::RefreshConnectionLine()
{
    const LiveValues& status = session.Status();
    form.connectionLine->setText(presenter.ConnectionLine(session.Link().PortName()));
    if (status.connected) {
        // Only the refresh of a new connection enables them; a transfer may
        // have disabled them since.
        if (status.firstConnectionPending) {
            form.saveSettings->setEnabled(true);
            form.loadSettings->setEnabled(true);
        }
        const bool speakers = status.facts.HasSpeakerSwitching();
        form.speakersA->setVisible(speakers);
        form.speakersB->setVisible(speakers);
    } else {
        form.saveSettings->setEnabled(false);
        form.loadSettings->setEnabled(false);
    }
    const bool supported = presenter.SupportedUnit();
    form.unitMenu->setTitle(presenter.UnitMenuTitle());
    form.warning->setVisible(status.connected && !supported);
    for (QAction* action : form.setupActions)
        action->setEnabled(supported);
}

void PanelStatusView::ShowInputName(int index, const QString& name)
{
    for (LiveRoom room : {LiveRoom::Main, LiveRoom::Zone}) {
        if (!LivePresenter::ShowsInputName(index, room))
            continue;
        auto& buttons = room == LiveRoom::Main ? form.mainSources : form.zoneSources;
        buttons[static_cast<std::size_t>(index)]->setText(name);
    }
}
