#include "desktop/tray_menu.h"

#include "model/live_presenter.h"
#include "unit/unit_session.h"

#include <QActionGroup>

namespace {

// A submenu whose checkable entries form one radio group that may show no
// selection at all (a room that is off).
QActionGroup* RadioGroup(QObject* parent)
{
    auto* group = new QActionGroup(parent);
    group->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    return group;
}

QAction* RadioEntry(QMenu* menu, QActionGroup* group, const QString& text)
{
    QAction* action = menu->addAction(text);
    action->setCheckable(true);
    group->addAction(action);
    return action;
}

template <std::size_t N> void MarkOnly(const std::array<QAction*, N>& entries, int index)
{
    for (std::size_t i = 0; i < N; ++i) {
        if (entries[i])
            entries[i]->setChecked(static_cast<int>(i) == index);
    }
}

template <std::size_t N> QAction* At(const std::array<QAction*, N>& entries, int index)
{
    return index >= 0 && index < static_cast<int>(N) ? entries[static_cast<std::size_t>(index)]
                                                     : nullptr;
}

} // namespace

TrayMenu::TrayMenu(UnitSession& unitSession, QWidget* parent)
    : QMenu(QStringLiteral("Tray"), parent), session(unitSession)
{
    setObjectName(QStringLiteral("trayMenu"));
    openAction = addAction(QStringLiteral("Open"), this, &TrayMenu::openTriggered);
    setDefaultAction(openAction);
    aboutAction = addAction(QStringLiteral("About..."), this, &TrayMenu::aboutTriggered);
    addSeparator();

    AddSourceMenu(QStringLiteral("Main Source"), false, mainSources);

    QMenu* surround = addMenu(QStringLiteral("Surround Mode"));
    QActionGroup* surroundGroup = RadioGroup(this);
    for (int mode = 0; mode < SurroundModeCount; ++mode) {
        if (mode == SurroundModeNone)
            continue;
        QAction* action =
            RadioEntry(surround, surroundGroup, LivePresenter::SurroundModeText(mode));
        connect(action, &QAction::triggered, this, [this, mode] {
            session.Commands().SelectSurroundMode(mode);
            ShowMarks();
        });
        surroundModes[static_cast<std::size_t>(mode)] = action;
    }
    addSeparator();

    AddSourceMenu(QStringLiteral("Zone Source"), true, zoneSources);

    LiveStatus& live = session.Live();
    connect(&live, &LiveStatus::mainSourceChanged, this, &TrayMenu::ShowMarks);
    connect(&live, &LiveStatus::zoneSourceChanged, this, &TrayMenu::ShowMarks);
    connect(&live, &LiveStatus::surroundModeChanged, this, &TrayMenu::ShowMarks);
    connect(&live, &LiveStatus::mainPowerShown, this, &TrayMenu::ShowMarks);
    connect(&live, &LiveStatus::zonePowerShown, this, &TrayMenu::ShowMarks);
    connect(&live, &LiveStatus::connectionShown, this, &TrayMenu::ShowMarks);
    ShowMarks();
}

void TrayMenu::AddSourceMenu(const QString& title, bool zone,
                             std::array<QAction*, InputCount>& entries)
{
    using Room = UnitCommands::Room;
    QMenu* menu = addMenu(title);
    QActionGroup* group = RadioGroup(this);
    const Room room = zone ? Room::Zone : Room::Main;
    for (int i = 0; i < InputCount; ++i) {
        const auto at = static_cast<std::size_t>(i);
        QAction* action = RadioEntry(
            menu, group, LivePresenter::DefaultCaption(i, zone ? LiveRoom::Zone : LiveRoom::Main));
        connect(action, &QAction::triggered, this, [this, room, i] {
            session.Commands().SelectSource(room, i);
            ShowMarks();
        });
        entries[at] = action;
    }
}

QAction* TrayMenu::MainSourceAction(int source) const
{
    return At(mainSources, source);
}

QAction* TrayMenu::ZoneSourceAction(int source) const
{
    return At(zoneSources, source);
}

QAction* TrayMenu::SurroundAction(int mode) const
{
    return At(surroundModes, mode);
}

// The live status keeps the selection the panel shows: a room's last shown
// report, cleared while the room is off.
void TrayMenu::ShowMarks()
{
    const LiveValues& live = session.Status();
    MarkOnly(mainSources, live.mainSource);
    MarkOnly(surroundModes, live.surroundMode);
    MarkOnly(zoneSources, live.zoneSource);
}
