#include "panel/panel_button_accessible.h"

#include <QAbstractButton>

PanelButtonAccessible::PanelButtonAccessible(QAbstractButton* button, QAccessible::Role role,
                                             NameOf name)
    : QAccessibleWidget(button, role), nameOf(name)
{}

QString PanelButtonAccessible::PlainText(const QAbstractButton& button)
{
    const QString text = button.text();
    QString plain;
    plain.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) != QLatin1Char('&'))
            plain.append(text.at(i));
        else if (i + 1 < text.size() && text.at(i + 1) == QLatin1Char('&'))
            plain.append(text.at(++i)); // "&&" is a literal ampersand
    }
    return plain;
}

QAbstractButton* PanelButtonAccessible::Button() const
{
    return static_cast<QAbstractButton*>(widget());
}

QString PanelButtonAccessible::text(QAccessible::Text t) const
{
    if (t == QAccessible::Name) {
        const QString set = widget()->accessibleName();
        return set.isEmpty() ? nameOf(*Button()) : set;
    }
    return QAccessibleWidget::text(t);
}

QAccessible::State PanelButtonAccessible::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    const QAbstractButton* button = Button();
    state.pressed = button->isDown();
    if (button->isCheckable()) {
        state.checkable = true;
        state.checked = button->isChecked();
    }
    return state;
}

QStringList PanelButtonAccessible::actionNames() const
{
    QStringList names;
    if (widget()->isEnabled()) {
        names.append(pressAction());
        if (Button()->isCheckable())
            names.append(toggleAction());
    }
    return names + QAccessibleWidget::actionNames();
}

void PanelButtonAccessible::doAction(const QString& actionName)
{
    if (actionName == pressAction() || actionName == toggleAction())
        Button()->click(); // does nothing while disabled
    else
        QAccessibleWidget::doAction(actionName);
}
