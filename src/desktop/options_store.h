#pragma once

#include "desktop/options.h"

// Reads and writes the options in the per-user settings store: organisation
// "Orvane", application "Veltrix PC Interface", groups "Settings" and
// "Position" (on Linux ~/.config/Orvane/Veltrix PC Interface.conf).
// Values come back from the store as text and are read as numbers; a value
// that is missing or not a number, or a left-click action outside 0..2,
// takes its default. The autostart flag is not stored here.
class OptionsStore
{
public:
    static Options Load();
    // The "Settings" group: port, the three flags and the left-click action.
    static void SaveSettings(const Options& options);
    static void SavePosition(int x, int y);
};
