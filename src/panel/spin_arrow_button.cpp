#include "panel/spin_arrow_button.h"

#include "panel/panel_button_accessible.h"

namespace {

QString SpokenNameOf(const QAbstractButton& button)
{
    return static_cast<const SpinArrowButton&>(button).SpokenName();
}

QAccessibleInterface* AccessibleFactory(const QString& className, QObject* object)
{
    if (className != QLatin1String(SpinArrowButton::staticMetaObject.className()))
        return nullptr;
    auto* arrow = qobject_cast<SpinArrowButton*>(object);
    return arrow ? new PanelButtonAccessible(arrow, QAccessible::Button, &SpokenNameOf) : nullptr;
}

} // namespace

SpinArrowButton::SpinArrowButton(Qt::ArrowType type, QWidget* parent) : QToolButton(parent)
{
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(&AccessibleFactory);
        return true;
    }();
    Q_UNUSED(factoryInstalled);
    setArrowType(type);
}

QString SpinArrowButton::SpokenName() const
{
    const bool up = arrowType() == Qt::UpArrow;
    const QString spin = parentWidget() ? parentWidget()->accessibleName() : QString();
    if (spin.isEmpty())
        return up ? QStringLiteral("Up") : QStringLiteral("Down");
    return spin + (up ? QStringLiteral(" up") : QStringLiteral(" down"));
}
