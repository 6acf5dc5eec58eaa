#include "panel/report_check_box.h"

ReportCheckBox::ReportCheckBox(const QString& text, QWidget* parent) : QCheckBox(text, parent) {}

void ReportCheckBox::nextCheckState()
{
    // The unit reports the new state; until then the box shows the old one.
}
