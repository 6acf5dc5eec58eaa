#pragma once

#include <QRadioButton>

// A radio button of the control panel. Like ReportCheckBox it never selects
// itself: a click only emits clicked(), and the selection follows the unit's
// report through setChecked(). It is not auto-exclusive, so the panel can
// clear a whole group (a room switched off) and selects one button at a time
// itself. Assistive technology still sees a radio button (Qt would call a
// non-exclusive one a check box), and its press and toggle actions click it
// as a mouse click would.
//
// A double click emits clicked() once for its first click and then
// doubleClicked(); its second press does not click again.
class ReportRadioButton : public QRadioButton
{
    Q_OBJECT

public:
    explicit ReportRadioButton(const QString& text, QWidget* parent = nullptr);

Q_SIGNALS:
    void doubleClicked();

protected:
    void nextCheckState() override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
};
