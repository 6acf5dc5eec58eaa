#include "panel/report_check_box.h"

#include "panel/panel_button_accessible.h"

namespace {

QAccessibleInterface* AccessibleFactory(const QString& className, QObject* object)
{
    if (className != QLatin1String(ReportCheckBox::staticMetaObject.className()))
        return nullptr;
    auto* box = qobject_cast<ReportCheckBox*>(object);
    return box ? new PanelButtonAccessible(box, QAccessible::CheckBox,
                                           &PanelButtonAccessible::PlainText)
               : nullptr;
}

} // namespace

ReportCheckBox::ReportCheckBox(const QString& text, QWidget* parent) : QCheckBox(parent)
{
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

void ReportCheckBox::nextCheckState()
{
    // The unit reports the new state; until then the box shows the old one.
}
