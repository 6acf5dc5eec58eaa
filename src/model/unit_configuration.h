#pragma once

#include "model/settings_image.h"
#include "model/tuner_preset_list.h"

#include <QString>

#include <array>
#include <optional>

// What a load restores, a verify reads back or a comparison looks at, part by
// part: the current setup, the ten input names, each A/V preset and the
// tuner presets.
struct ConfigurationParts
{
    static constexpr int PresetCount = 5;

    bool currentSetup = true;
    bool inputNames = true;
    std::array<bool, PresetCount> presets{true, true, true, true, true};
    bool tuner = true;

    static ConfigurationParts None()
    {
        ConfigurationParts none;
        none.currentSetup = none.inputNames = none.tuner = false;
        none.presets.fill(false);
        return none;
    }
    // A/V preset k (1..5) is part of it.
    bool Preset(int k) const
    {
        return k >= 1 && k <= PresetCount && presets[static_cast<std::size_t>(k - 1)];
    }
    bool AnyPreset() const
    {
        for (bool each : presets) {
            if (each)
                return true;
        }
        return false;
    }
};

// The whole configuration of one receiver, in one model: what a settings
// file holds, what a save reads from the unit, what a load writes. A unit's
// memory decodes into it, a settings file parses into it, the writer writes
// it and the load plans its writes from it.
//
// The setup blocks are SettingsImages laid out for one unit (its model,
// firmware and block size): the bytes as the unit stores them, with the
// surround mode table. A part that is absent is not in the file (a file
// without the part) or empty in the unit (an A/V preset marked empty).
struct UnitConfiguration
{
    static constexpr int PresetCount = ConfigurationParts::PresetCount;

    // The unit it was saved from, as the file's header says.
    QString modelText;
    QString versionText;
    // The speakers A and B switches as the unit last reported them; a load
    // never writes them from here (the current setup block carries them).
    bool speakerA = false;
    bool speakerB = false;

    std::optional<SettingsImage> currentSetup;
    // Without trailing blanks; an empty name is one the file does not give.
    std::array<QString, SettingsImage::InputRecordCount> inputNames;
    std::array<std::optional<SettingsImage>, PresetCount> presets; // A/V presets 1..5
    std::optional<TunerPresetList> tuner;

    const std::optional<SettingsImage>& Preset(int k) const
    {
        static const std::optional<SettingsImage> none;
        return k >= 1 && k <= PresetCount ? presets[static_cast<std::size_t>(k - 1)] : none;
    }
};
