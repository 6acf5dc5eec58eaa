#pragma once

class SettingsImage;
struct SetupFlags;

// What the "Speaker Setup" page edits: the speaker sizes, the back count, the
// distances with their unit and the subwoofer byte, as list indexes.
//
// A field holds the code read from the setup block, which may lie outside
// its list when the unit stored something this program does not know; such
// a code is shown as no selection, no rule rewrites it, and Store writes it
// back as it was. -1 means the field is absent from the block and is not
// stored.
//
// The subwoofer byte has three forms, chosen by the flags: combined (below
// v1.23: the whole byte is subwooferCombined), separate (v1.23 on: switch and
// crossover bits) and separate with Enhanced Bass (v2.00 on). The fields of
// the form not in use are held at 0.
struct SpeakerFields
{
    static constexpr int FrontSizeCount = 2;   // "Small", "Large"
    static constexpr int SpeakerSizeCount = 3; // "Off", "Small", "Large"
    static constexpr int BackCountCount = 2;   // "L", "L/R"
    static constexpr int DistanceCount = 40;   // 1..40 ft or 0.3..12.0 m
    static constexpr int DistanceUnitCount = 2;
    static constexpr int SwitchCount = 2;    // "Off", "On"
    static constexpr int CrossoverCount = 7; // 40 .. 200 Hz
    static constexpr int CombinedCount = 8;  // "Off", 40 .. 200 Hz

    // Codes of the lists.
    static constexpr int Small = 0; // front size
    static constexpr int Large = 1; // front size
    static constexpr int Off = 0;   // centre, surround, back
    static constexpr int SmallSpeaker = 1;
    static constexpr int BackSingle = 0; // "L"
    static constexpr int BackPair = 1;   // "L/R"
    static constexpr int Feet = 0;
    static constexpr int Meters = 1;

    int frontSize = Large;
    int center = 2;
    int surround = 2;
    int back = 2;
    int backCount = BackSingle;
    int frontDistance = 5;
    int centerDistance = 5;
    int surroundDistance = 5;
    int backDistance = 5;
    int distanceUnit = Feet;
    int subwooferSwitch = 0;
    int crossover = 5;
    int subwooferCombined = 5;
    int enhancedBass = 0;

    static SpeakerFields Load(const SettingsImage& image, const SetupFlags& flags);
    void Store(SettingsImage& image, const SetupFlags& flags) const;

    // The consistency rules, in this order: no subwoofer forces a Large
    // front; a Small front turns every Large centre, surround and back to
    // Small; no surround turns the back Off. A rule only looks at and only
    // rewrites codes of its lists: an unknown code is neither Off nor Small.
    void ApplyRules(const SetupFlags& flags);

    // The subwoofer is on: the switch On (separate form) or the combined
    // list not Off. An unknown code counts as on.
    bool HasSubwoofer(const SetupFlags& flags) const;
    bool HasCenter() const { return center != Off; }
    bool HasSurround() const { return surround != Off; }
    bool HasBack() const { return back != Off; }
    // Only "L" is a single back speaker; an unknown code counts as a pair, so
    // both back levels stay reachable.
    bool HasBackPair() const { return backCount != BackSingle; }

    // What the page offers: the back list only with surround speakers, the
    // crossover only with the switch On, the Enhanced Bass box only where the
    // firmware has it and the front is Large.
    bool BackSelectable() const { return HasSurround(); }
    bool CrossoverSelectable() const { return subwooferSwitch != 0; }
    bool EnhancedBassShown(const SetupFlags& flags) const;
};
