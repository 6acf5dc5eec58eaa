#pragma once

#include <QCheckBox>

// A check box of the control panel. Its mark belongs to the unit: a click (or
// the space bar) emits clicked() so the panel can send the command, but the
// box never toggles itself; only setChecked() from a report changes it.
class ReportCheckBox : public QCheckBox
{
    Q_OBJECT

public:
    explicit ReportCheckBox(const QString& text, QWidget* parent = nullptr);

protected:
    void nextCheckState() override;
};
