#pragma once

#include "setup/setup_flags.h"

#include <QString>

class SettingsImage;

// What the "Advanced" page edits: the secondary-zone options, the on-screen
// display options, the decoder options and, for an A/V preset on firmware
// v2.00 or later, the preset's name.
//
// Each list field holds the list index, which is the code stored in the
// block, or -1 where the unit has no such field. A code without a list item
// (auto trigger 3, say, or a whole dynamic-range byte of 9 on old firmware)
// is kept: the page shows no selection and, unless the user picks an item,
// Store writes the same code back.
struct AdvancedFields
{
    static constexpr int PresetNameLength = 13;
    static constexpr int VolumeFixed = 0; // list index of "Fixed"
    static constexpr int VolumeVariable = 1;

    int mainZoneDsp = -1;       // 0 "7.1/Off", 1 "5.1/2.0"
    int autoTrigger = -1;       // 0 Main, 1 Zone, 2 Both
    int volumeControl = -1;     // 0 Fixed, 1 Variable; firmware v2.00 or later
    int relay = -1;             // 0 None, 1 Relay A, 2 Relay B; stored from v2.00 only
    int background = -1;        // 0 Off, 1 On
    int temporaryOsd = -1;      // 0 Off, 1 On; always Off below v1.20
    int surroundExMode = -1;    // 0 Auto, 1 On
    int dolbyDynamicRange = -1; // 0 100 %, 1 75 %, 2 50 %, 3 25 %
    int dtsEsMatrix = -1;       // 0 Auto, 1 On
    int dtsDynamicRange = -1;   // 0 Off, 1 On; firmware v1.26 or later
    QString presetName;         // A/V preset on firmware v2.00 or later; at most 13 characters
    // The block's last byte as loaded (-1 when not loaded). Where the zone
    // volume control says "Variable" this byte is the zone volume itself,
    // so Store keeps it unless the control changed from "Fixed".
    int loadedLastByte = -1;

    static AdvancedFields Load(const SettingsImage& image, const SetupFlags& flags);
    void Store(SettingsImage& image, const SetupFlags& flags) const;

    // Whether the page shows the preset name box, and whether the name is
    // carried to and from the block (older firmware has no stored name).
    static bool ShowsPresetName(const SetupFlags& flags) { return flags.EditingPreset(); }
    static bool HasPresetName(const SetupFlags& flags);
    // The on-screen display options are hidden on the "V" models (they are
    // still stored from the fields).
    static bool ShowsOsdOptions(const SetupFlags& flags);
};
