#pragma once

#include <QCheckBox>

// A check box of the control panel. Its mark belongs to the unit: a click (or
// the space bar) emits clicked() so the panel can send the command, but the
// box never toggles itself; only setChecked() from a report changes it.
// Assistive technology sees a check box whose press and toggle actions click
// it, so they too send the command and leave the mark to the report.
class ReportCheckBox : public QCheckBox
{
    Q_OBJECT

public:
    explicit ReportCheckBox(const QString& text, QWidget* parent = nullptr);

protected:
    void nextCheckState() override;
};
