#include "tuner/frequency_spin_box.h"

#include <QLineEdit>

FrequencySpinBox::FrequencySpinBox(QWidget* parent) : QAbstractSpinBox(parent)
{
    setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

void FrequencySpinBox::SetText(const QString& text)
{
    lineEdit()->setText(text);
}

void FrequencySpinBox::stepBy(int steps)
{
    Q_EMIT stepped(steps);
}

QAbstractSpinBox::StepEnabled FrequencySpinBox::stepEnabled() const
{
    // The owner wraps out-of-band values back into the band.
    return StepUpEnabled | StepDownEnabled;
}

void FrequencySpinBox::focusInEvent(QFocusEvent* event)
{
    QAbstractSpinBox::focusInEvent(event);
    selectAll();
}
