#include "panel/focus_return.h"

#include "panel/report_radio_button.h"

#include <algorithm>
#include <utility>

FocusReturn::FocusReturn(QWidget* owner, std::vector<Group> radioGroups)
    : window(owner), groups(std::move(radioGroups))
{}

void FocusReturn::Remember()
{
    QWidget* focused = window->focusWidget();
    if (focused && window->isAncestorOf(focused))
        remembered = focused;
}

FocusReturn::Group FocusReturn::GroupOf(const QWidget* widget) const
{
    for (Group group : groups) {
        if (std::find(group.begin(), group.end(), widget) != group.end())
            return group;
    }
    return {};
}

void FocusReturn::Restore()
{
    if (!remembered)
        Remember();
    QWidget* target = remembered;
    if (!target)
        return;
    const Group group = GroupOf(target);
    if (group.empty()) {
        target->setFocus(Qt::ActiveWindowFocusReason);
        return;
    }
    const auto start = std::find(group.begin(), group.end(), target) - group.begin();
    const auto size = static_cast<std::ptrdiff_t>(group.size());
    for (std::ptrdiff_t step = 1; step <= size; ++step) {
        ReportRadioButton* button = group[static_cast<std::size_t>((start + step) % size)];
        if (button->isChecked()) {
            button->setFocus(Qt::ActiveWindowFocusReason);
            return;
        }
    }
}
