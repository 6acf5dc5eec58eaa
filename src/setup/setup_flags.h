#pragma once

#include "model/model_facts.h"

#include <QString>

// What the setup pages are told about the block they edit: which block it is
// and what the attached unit's model and firmware allow. Derived once per
// opening of the sheet (or per section of a settings file) from the unit's
// facts; the pages and their field records never compare versions
// themselves.
//
// Firmware versions are compared as text, ignoring case (ModelFacts); an
// unknown version is below every threshold.
struct SetupFlags
{
    int presetNumber = 0;        // 0 the current setup, 1..5 an A/V preset
    QString modelText;           // the connected model's name, e.g. "K230"
    int modelIndex = 2;          // 1 for a K220, else 2
    bool extendedLayout = false; // K110, K230, K240: three-byte input records

    bool temporaryOsd = false;      // v1.20 on: both on-screen display bits
    bool separateSubwoofer = false; // v1.23 on: subwoofer switch apart from the crossover
    bool neo6CenterGain = false;    // v1.23 on
    bool dtsDynamicRange = false;   // v1.26 on: the dynamic range byte holds two fields
    // v2.00 on: trigger codes on the inputs, auto trigger and relay in their
    // new bits, Enhanced Stereo groups, Enhanced Bass, PLIIx surround modes,
    // the preset name, the zone volume control and the relay shown.
    bool newFirmware = false;

    bool EditingPreset() const { return presetNumber != 0; }
    bool IsK220() const { return modelIndex == 1; }
    // PLIIx modes on the Surround Modes page (only shown for a preset).
    bool PlIIx() const { return EditingPreset() && newFirmware; }

    static SetupFlags For(const ModelFacts& facts, int presetNumber)
    {
        SetupFlags flags;
        flags.presetNumber = presetNumber;
        flags.modelText = facts.modelText;
        flags.modelIndex = facts.ModelIndex();
        flags.extendedLayout = facts.HasExtendedLayout();
        flags.temporaryOsd = !facts.VersionBelow(QStringLiteral("v1.20"));
        flags.separateSubwoofer = !facts.VersionBelow(QStringLiteral("v1.23"));
        flags.neo6CenterGain = flags.separateSubwoofer;
        flags.dtsDynamicRange = !facts.VersionBelow(QStringLiteral("v1.26"));
        flags.newFirmware = !facts.VersionBelow(QStringLiteral("v2.00"));
        return flags;
    }
};
