#pragma once

#include "desktop/options.h"

// Reads and writes the options in the per-user settings store: organisation
// "Orvane", application "Veltrix PC Interface", groups "Settings" and
// "Position" (on Linux ~/.config/Orvane/Veltrix PC Interface.conf).
// Values come back from the store as text and are read as numbers; a value
// that is missing or not a number takes its default.
class OptionsStore
{
public:
    static Options Load();
    static void SavePosition(int x, int y);
};
