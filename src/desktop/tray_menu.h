#pragma once

#include "link/message_set.h"

#include <QMenu>

#include <array>

class QAction;
class QActionGroup;
class UnitSession;

// The tray icon's menu "Tray": "Open" (the default entry), "About...", and
// the submenus "Main Source", "Surround Mode" and "Zone Source", whose
// entries send the same commands as the control panel's radio buttons.
// Their radio marks show the unit's reported selection only: choosing an
// entry sends the command and leaves the mark where it was until the unit
// reports, and a room switched off clears its marks.
class TrayMenu : public QMenu
{
    Q_OBJECT

public:
    explicit TrayMenu(UnitSession& session, QWidget* parent = nullptr);

    QAction* OpenAction() const { return openAction; }
    QAction* AboutAction() const { return aboutAction; }
    // The entry of source 0..9 or surround mode 0..13; null for other
    // values and for the mode without an entry.
    QAction* MainSourceAction(int source) const;
    QAction* ZoneSourceAction(int source) const;
    QAction* SurroundAction(int mode) const;

Q_SIGNALS:
    void openTriggered();
    void aboutTriggered();

private:
    // A source submenu, main room or zone, its entries into `entries`.
    void AddSourceMenu(const QString& title, bool zone, std::array<QAction*, InputCount>& entries);
    void ShowMarks();

    UnitSession& session;
    QAction* openAction = nullptr;
    QAction* aboutAction = nullptr;
    std::array<QAction*, InputCount> mainSources{};
    std::array<QAction*, SurroundModeCount> surroundModes{};
    std::array<QAction*, InputCount> zoneSources{};
};
