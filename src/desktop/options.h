#pragma once

#include <QString>

// The program's persisted options with their defaults.
struct Options
{
    QString port = QStringLiteral("Auto Detect");
    bool autostartMinimized = true;
    bool enableTrayIcon = true;
    bool minimizeToTray = true;
    int leftClick = 0; // 0: the volume popup works on the main room, 1: on the zone
    int x = -1;        // window position; -1 centres it
    int y = -1;
};
