#pragma once

#include <QPointer>
#include <QWidget>

#include <span>
#include <vector>

class ReportRadioButton;

// Where the focus goes when a window is activated again: to the control
// that had it when the window was left, or, on a radio button, to the
// button selected in its group (the radio buttons show the unit's
// selection), walking the group from the button after the remembered one
// and ending with the remembered one itself. A group without a selection
// leaves the focus where it is.
class FocusReturn
{
public:
    using Group = std::span<ReportRadioButton* const>;

    // `groups` are views of arrays the window owns, as long as this object.
    FocusReturn(QWidget* window, std::vector<Group> groups);

    // The window's focused control, when there is one.
    void Remember();
    // On activation: remembers the focus first when nothing is remembered.
    void Restore();

private:
    Group GroupOf(const QWidget* widget) const;

    QWidget* window;
    std::vector<Group> groups;
    QPointer<QWidget> remembered;
};
