#include "panel/report_radio_button.h"

#include <QMouseEvent>

ReportRadioButton::ReportRadioButton(const QString& text, QWidget* parent)
    : QRadioButton(text, parent)
{
    setAutoExclusive(false);
}

void ReportRadioButton::nextCheckState()
{
    // Selected only by the unit's report.
}

void ReportRadioButton::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QRadioButton::mouseDoubleClickEvent(event);
        return;
    }
    // The platform may have delivered the second press already: without it
    // the following release does not click a second time.
    setDown(false);
    event->accept();
    Q_EMIT doubleClicked();
}
