#pragma once

#include <QAccessibleWidget>

class QAbstractButton;

// What assistive technology sees of a control-panel button whose state
// belongs to the unit (a report check box or radio button, a spin arrow).
// Every action that would operate the button (press, and toggle for a
// checkable one) goes through QAbstractButton::click(): the button emits
// clicked() so the panel sends the command, and a check mark still changes
// only when the panel applies the unit's report with setChecked(). Qt's own
// button interface would call toggle() and change the mark without a word to
// the unit.
//
// The name is the widget's accessible name when one is set, otherwise what
// `name` gives for the button (asked anew each time, so it follows text
// changes).
class PanelButtonAccessible : public QAccessibleWidget
{
public:
    using NameOf = QString (*)(const QAbstractButton& button);

    PanelButtonAccessible(QAbstractButton* button, QAccessible::Role role, NameOf name);

    // The button's text without its mnemonic marks ("&Mute" -> "Mute").
    static QString PlainText(const QAbstractButton& button);

    QString text(QAccessible::Text t) const override;
    QAccessible::State state() const override;
    QStringList actionNames() const override;
    void doAction(const QString& actionName) override;

private:
    QAbstractButton* Button() const;

    NameOf nameOf;
};
