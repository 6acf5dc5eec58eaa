#pragma once

#include <QAbstractSpinBox>

// A text field with spin arrows whose value its owner keeps: the arrows, the
// arrow keys and the wheel only announce steps (positive = up), and the
// owner sets the text. Gaining the focus selects the whole text.
class FrequencySpinBox : public QAbstractSpinBox
{
    Q_OBJECT

public:
    explicit FrequencySpinBox(QWidget* parent = nullptr);

    void SetText(const QString& text);
    void stepBy(int steps) override;

Q_SIGNALS:
    void stepped(int steps);

protected:
    StepEnabled stepEnabled() const override;
    void focusInEvent(QFocusEvent* event) override;
};
