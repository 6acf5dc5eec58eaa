#pragma once

#include <cstdint>

// The setup block fields that mirror live variables, by canonical offset, and
// their byte encodings. The unit keeps these bytes of its live setup in step
// with the variables, and takes the variables from them when a setup is
// recalled or written.
class SetupFields
{
public:
    static constexpr int Treble = 60;         // code (dB + 10) / 2
    static constexpr int Bass = 61;           // as Treble
    static constexpr int SpeakerOutputs = 62; // bit 0 A, bit 1 B
    static constexpr int Source = 63;         // main source + 1
    static constexpr int MainVolume = 64;     // 18 - dB
    static constexpr int ZoneVolume = 66;     // signed dB, or a marker
    static constexpr std::uint8_t ZoneVolumeFixed = 0xA5;
    static constexpr std::uint8_t ZoneVolumeOutOfRange = 0xEC;

    static constexpr int ToneLimit = 10; // dB either way
    static constexpr int ToneStep = 2;

    static int ToneCode(int dB) { return (dB + ToneLimit) / ToneStep; }
    // -1 for a code outside 0..10.
    static int ToneFromCode(int code);
    static int MainVolumeByte(int dB) { return (18 - dB) & 0xFF; }
    static int MainVolumeFromByte(int byte) { return 18 - byte; }
    // Volumes above -61 and below 18 as a signed byte, others as the marker.
    static int ZoneVolumeByte(int dB);
    // false for the markers and for values outside that range.
    static bool ZoneVolumeFromByte(int byte, int* dB);
};
