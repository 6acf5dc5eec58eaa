#include "panel/report_radio_button.h"

#include "panel/panel_button_accessible.h"

#include <QMouseEvent>

namespace {

QAccessibleInterface* AccessibleFactory(const QString& className, QObject* object)
{
    if (className != QLatin1String(ReportRadioButton::staticMetaObject.className()))
        return nullptr;
    auto* button = qobject_cast<ReportRadioButton*>(object);
    return button ? new PanelButtonAccessible(button, QAccessible::RadioButton,
                                              &PanelButtonAccessible::PlainText)
                  : nullptr;
}

} // namespace

ReportRadioButton::ReportRadioButton(const QString& text, QWidget* parent) : QRadioButton(parent)
{
    setAutoExclusive(false);
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(&AccessibleFactory);
        return true;
    }();
    Q_UNUSED(factoryInstalled);
    // Set here, not by the base: setText() announces the name to assistive
    // technology, which looks the interface up and keeps it for the object's
    // life; from the base's constructor it would find Qt's own.
    setText(text);
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
