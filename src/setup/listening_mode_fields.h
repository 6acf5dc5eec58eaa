#pragma once

#include <array>

class SettingsImage;
struct SetupFlags;
struct SpeakerFields;

// What the "Listening Modes" page edits: the Pro Logic II music mode, the
// NEO:6 music mode's center gain and the channels of the two Enhanced Stereo
// modes, as list indexes.
//
// Bytes of the Pro Logic II and NEO:6 settings are stored whole; a code
// outside its list is kept as read and written back unchanged. The Enhanced
// Stereo bytes keep their bits 4-7. A field the firmware or the block lacks
// is -1 and is not stored.
struct ListeningModeFields
{
    static constexpr int DimensionCount = 7;   // -3 .. +3
    static constexpr int CenterWidthCount = 8; // 0 .. 7
    static constexpr int PanoramaCount = 2;    // "Off", "On"
    static constexpr int CenterGainCount = 6;  // 0.0 .. 0.5

    // Channels of an Enhanced Stereo mode, in the order of their bits.
    enum Channel
    {
        Front,
        Center,
        Surround,
        Back,
        ChannelCount
    };
    using Channels = std::array<int, ChannelCount>; // 0 Off, 1 On; -1 absent

    int dimension = 3;
    int centerWidth = 0;
    int panorama = 0;
    int centerGain = -1;
    Channels enhancedStereo1{-1, -1, -1, -1};
    Channels enhancedStereo2{-1, -1, -1, -1};

    static ListeningModeFields Load(const SettingsImage& image, const SetupFlags& flags);
    void Store(SettingsImage& image, const SetupFlags& flags) const;

    // The Enhanced Stereo channels that the speakers allow to be switched:
    // front always, the others only when their speakers are not Off. A
    // channel that cannot be switched keeps its value.
    static std::array<bool, ChannelCount> SwitchableChannels(const SpeakerFields& speakers);
};
