#pragma once

#include <QString>

// The program's persisted options with their defaults.
struct Options
{
    // What a single click on the tray icon opens.
    enum LeftClickAction
    {
        MainVolume = 0,
        ZoneVolume = 1,
        Off = 2,
    };

    QString port = QStringLiteral("Auto Detect");
    // The log-on entry exists. Not kept in the settings store: the entry
    // itself is the option (see AutostartEntry).
    bool autostart = false;
    bool autostartMinimized = true;
    bool enableTrayIcon = true;
    bool minimizeToTray = true;
    int leftClick = MainVolume; // a LeftClickAction
    int x = -1;                 // window position; -1 centres it
    int y = -1;
    // "RetryPeriod": the fixed wait for a reply in ms, for a unit that
    // misbehaves with quick resends; 0 (the text "adaptive", the default)
    // follows the line's round trips. Read only: set by hand in the file.
    int retryPeriod = 0;
};
