#include "panel/tuner_fields.h"

#include "panel/control_panel_form.h"
#include "panel/radio_selection.h"
#include "panel/report_check_box.h"
#include "panel/spin_arrows.h"
#include "tuner/tuner_entry.h"
#include "unit/unit_session.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>
#include <utility>

namespace {

// A rewritten field is selected while it has the focus, so typing replaces
// it.
void SetTextSelected(QLineEdit* field, const QString& text)
{
    field->setText(text);
    if (field->hasFocus())
        field->selectAll();
}

// A refused entry: the current value again, selected for the next try.
void Restore(QLineEdit* field, const QString& text)
{
    field->setText(text);
    field->selectAll();
}

bool IsEnterKey(const QKeyEvent* key)
{
    return key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
}

// The preset field takes digits only, as typed; editing and navigation keys
// pass.
bool IsRefusedInPresetField(const QKeyEvent* key)
{
    const QString text = key->text();
    if (text.isEmpty() || (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
        return false;
    return std::any_of(text.cbegin(), text.cend(),
                       [](QChar c) { return c.isPrint() && !(c >= u'0' && c <= u'9'); });
}

} // namespace

TunerFields::TunerFields(const ControlPanelForm& panelForm, UnitSession& unitSession)
    : form(panelForm), session(unitSession), presenter(unitSession.Status())
{
    form.frequency->installEventFilter(this);
    form.preset->installEventFilter(this);
    UpdateSection(false);
    ConnectCommands();

    LiveStatus& status = session.Live();
    connect(&status, &LiveStatus::tunerSectionUpdated, this, &TunerFields::UpdateSection);
    connect(&status, &LiveStatus::tunerBandChanged, this, &TunerFields::ShowBand);
    connect(&status, &LiveStatus::tunerFrequencyChanged, this, &TunerFields::ShowFrequency);
    connect(&status, &LiveStatus::tunerPresetChanged, this, &TunerFields::ShowPreset);
    // A text longer than its field shows its start.
    connect(&status, &LiveStatus::psNameChanged, this, [this](const QString& name) {
        form.psName->setText(name);
        form.psName->setCursorPosition(0);
    });
    connect(&status, &LiveStatus::radioTextChanged, this, [this](const QString& text) {
        form.radioText->setText(text);
        form.radioText->setCursorPosition(0);
    });
}

void TunerFields::ConnectCommands()
{
    using Action = UnitCommands::TunerAction;
    UnitCommands& commands = session.Commands();
    const std::pair<QAbstractButton*, Action> actions[] = {
        {form.bandButtons[Band::Am], Action::BandAm},
        {form.bandButtons[Band::Fm], Action::BandFm},
        {form.seekUp, Action::SeekUp},
        {form.seekDown, Action::SeekDown}};
    for (const auto& [button, action] : actions)
        connect(button, &QAbstractButton::clicked, this,
                [&commands, action = action] { commands.Tuner(action); });
    connect(form.frequencySpin, &SpinArrows::stepped, this,
            [&commands](int delta) { commands.StepFrequency(delta); });
    connect(form.presetSpin, &SpinArrows::stepped, this,
            [&commands](int delta) { commands.StepTunerPreset(delta); });
    connect(form.fmMute, &QCheckBox::clicked, this, [&commands] { commands.ToggleFmMute(); });
}

void TunerFields::UpdateSection(bool heard)
{
    const bool wasLive = form.frequency->isEnabled();
    for (ReportRadioButton* band : form.bandButtons)
        band->setEnabled(heard);
    for (QLabel* label : std::as_const(form.tunerLabels))
        label->setEnabled(heard);
    form.seekDown->setEnabled(heard);
    form.seekUp->setEnabled(heard);
    form.fmMute->setEnabled(heard);
    // Disabled before they are emptied: a field losing the focus this way
    // must not commit what it holds.
    const std::array<QLineEdit*, 4> fields = {form.frequency, form.preset, form.psName,
                                              form.radioText};
    for (QLineEdit* field : fields)
        field->setEnabled(heard);
    form.frequencySpin->setEnabled(heard);
    form.presetSpin->setEnabled(heard);
    const LiveValues& live = session.Status();
    if (!heard) {
        form.fmMute->setChecked(false);
        for (QLineEdit* field : fields)
            field->clear();
        SelectOnly(form.bandButtons, -1);
    } else if (!wasLive && (live.tunerBand == Band::Fm ? live.fmFrequency : live.amFrequency)) {
        // The unit reports the tuner's values whether or not it is heard, and
        // often before the source that makes it heard: show what is known
        // rather than empty fields until the next tuner report.
        ShowBand();
    }
}

void TunerFields::ShowBand()
{
    SelectOnly(form.bandButtons, session.Status().tunerBand);
    ShowFrequency();
    ShowPreset();
}

void TunerFields::ShowFrequency()
{
    SetTextSelected(form.frequency, presenter.FrequencyText());
}

void TunerFields::ShowPreset()
{
    SetTextSelected(form.preset, presenter.PresetText());
}

void TunerFields::CommitFrequency()
{
    if (!form.frequency->isEnabled())
        return;
    const QString text = form.frequency->text();
    const bool fm = session.Status().tunerBand == Band::Fm;
    // Nothing usable, or what the unit has already: the current value.
    if (!session.Commands().SetFrequency(fm ? TunerEntry::ParseFm(text)
                                            : TunerEntry::ParseAm(text)))
        Restore(form.frequency, presenter.FrequencyText());
}

void TunerFields::CommitPreset()
{
    if (!form.preset->isEnabled())
        return;
    if (!session.Commands().SetTunerPreset(TunerEntry::ParsePreset(form.preset->text())))
        Restore(form.preset, presenter.PresetText());
}

bool TunerFields::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != form.frequency && watched != form.preset)
        return QObject::eventFilter(watched, event);
    const bool isFrequency = watched == form.frequency;
    switch (event->type()) {
    case QEvent::KeyPress: {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (IsEnterKey(key)) {
            isFrequency ? CommitFrequency() : CommitPreset();
            return true;
        }
        if (!isFrequency && IsRefusedInPresetField(key))
            return true;
        break;
    }
    case QEvent::FocusOut:
        // A context menu takes the focus only for a moment.
        if (static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason)
            isFrequency ? CommitFrequency() : CommitPreset();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
