#pragma once

// Names of the setup block's fields. A field is named by its canonical
// offset: its position in the full layout of a K230 or K240 with firmware
// v2.00 or later. ModelFacts::ImageOffset maps a canonical offset to the
// position in the attached unit's block; SettingsImage does that mapping.
//
// Bit 0 is the least significant bit. A "code" is the value stored in a field
// or in its bits; the code lists are noted beside each field.
namespace SettingsField {

// Input records of inputs 0..9 (SettingsImage::InputRecord): three bytes at
// 3·i with the extended layout, two bytes at 2·i without it.
inline constexpr int InputRecords = 0;
inline constexpr int InputRecordsEnd = 30;

inline constexpr int TriggersAndRelay = 30; // see SettingsBits
inline constexpr int OnScreenDisplay = 31;  // see SettingsBits
inline constexpr int DynamicRange = 32;     // see SettingsBits; whole byte below v1.26
inline constexpr int PlIIDimension = 33;    // 0..6 for -3..+3
inline constexpr int PlIICenterWidth = 34;  // 0..7
inline constexpr int PlIIPanorama = 35;     // 0 off, 1 on
inline constexpr int Neo6CenterGain = 36;   // 0..5 for 0.0..0.5; absent below v1.23
inline constexpr int DecoderOptions = 37;   // see SettingsBits
inline constexpr int EnhancedStereo1 =
    38; // channel bits, see EnhancedStereoChannel; absent below v2.00
inline constexpr int EnhancedStereo2 = 39;   // as EnhancedStereo1
inline constexpr int FrontSpeakers = 40;     // 0 Small, 1 Large
inline constexpr int CenterSpeaker = 41;     // 0 None, 1 Small, 2 Large
inline constexpr int SurroundSpeakers = 42;  // as CenterSpeaker
inline constexpr int BackSpeakers = 43;      // as CenterSpeaker
inline constexpr int BackSpeakersSetup = 44; // 0 "L", 1 "L/R"
inline constexpr int Subwoofer = 45;         // see SettingsBits; one value below v1.23

// Levels: code = dB + 12 (0..24 for -12..+12 dB).
inline constexpr int FrontLeftLevel = 46;
inline constexpr int CenterLevel = 47;
inline constexpr int FrontRightLevel = 48;
inline constexpr int SurroundRightLevel = 49;
inline constexpr int BackRightLevel = 50;
inline constexpr int BackLeftLevel = 51;
inline constexpr int SurroundLeftLevel = 52;
inline constexpr int SubwooferLevel = 53;

// Distances: code 0..39 for 1..40 ft or 0.3..12.0 m, as DistanceUnit says.
inline constexpr int FrontDistance = 54;
inline constexpr int CenterDistance = 55;
inline constexpr int SurroundDistance = 56;
inline constexpr int BackDistance = 57;
inline constexpr int Unused58 = 58;     // meaning unknown; carried unchanged
inline constexpr int DistanceUnit = 59; // 0 feet, 1 metres

inline constexpr int Treble = 60;         // code = (dB + 10) / 2 (0..10 for -10..+10 dB)
inline constexpr int Bass = 61;           // as Treble
inline constexpr int SpeakerOutputs = 62; // see SettingsBits; absent on the K110
inline constexpr int Source = 63;         // main source + 1 (1..10)
inline constexpr int MainVolume = 64;     // 18 - main volume in dB, as a byte
// The block's last byte: ZoneVolumeFixed means "Fixed", anything else
// "Variable". On units whose block ends with ZoneVolume the two are one byte.
inline constexpr int ZoneVolumeControl = 65;
// Zone volume in dB as a signed byte, or ZoneVolumeUnset (see SettingsCode).
inline constexpr int ZoneVolume = 66;

// One past the last field; ImageOffset(FullLayoutEnd) is the expected size.
inline constexpr int FullLayoutEnd = 67;

} // namespace SettingsField

// Fixed codes stored in the setup block.
namespace SettingsCode {
inline constexpr int ZoneVolumeFixed = 165;  // ZoneVolumeControl: fixed zone volume
inline constexpr int ZoneVolumeVariable = 0; // what the program stores for "Variable"
inline constexpr int ZoneVolumeUnset = 236;  // ZoneVolume when the live value is out of range
// Live zone volumes strictly between these bounds (dB) are stored as they are.
inline constexpr int ZoneVolumeAbove = -61;
inline constexpr int ZoneVolumeBelow = 18;
// MainVolume holds MainVolumeReference - main volume (dB).
inline constexpr int MainVolumeReference = 18;
} // namespace SettingsCode

// Bit positions of the Enhanced Stereo channel bytes (1 = channel on).
namespace EnhancedStereoChannel {
inline constexpr int Front = 0;
inline constexpr int Center = 1;
inline constexpr int Surround = 2;
inline constexpr int Back = 3;
} // namespace EnhancedStereoChannel

// A group of bits inside one field: `width` bits starting at bit `shift`.
struct BitField
{
    int canonical;
    int shift;
    int width;
};

// The bit fields of the setup block. Unless marked "old", the layout is that
// of firmware v2.00 and later; "old" fields are those of older firmware.
namespace SettingsBits {
inline constexpr BitField AutoTrigger = {SettingsField::TriggersAndRelay, 0,
                                         2}; // 0 Main, 1 Zone, 2 Both
inline constexpr BitField ZoneRelay = {SettingsField::TriggersAndRelay, 2, 2}; // 0 None, 1 A, 2 B
inline constexpr BitField OldTrigger1Source = {SettingsField::TriggersAndRelay, 0,
                                               1}; // 0 Main, 1 Zone
inline constexpr BitField OldTrigger2Source = {SettingsField::TriggersAndRelay, 1,
                                               1}; // 0 Main, 1 Zone
inline constexpr BitField OldAutoTrigger = {SettingsField::TriggersAndRelay, 2, 2};
inline constexpr BitField OldZoneRelay = {SettingsField::TriggersAndRelay, 4, 2};

inline constexpr BitField OsdBackground = {SettingsField::OnScreenDisplay, 0, 1};
inline constexpr BitField TemporaryOsd = {SettingsField::OnScreenDisplay, 1, 1};

// 0 = 100 %, 1 = 75 %, 2 = 50 %, 3 = 25 %; below v1.26 the whole byte.
inline constexpr BitField DolbyDynamicRange = {SettingsField::DynamicRange, 0, 2};
inline constexpr BitField DtsDynamicRange = {SettingsField::DynamicRange, 2, 1};

inline constexpr BitField DtsEsMatrix = {SettingsField::DecoderOptions, 0, 1}; // 0 Auto, 1 On
inline constexpr BitField DolbyExMode = {SettingsField::DecoderOptions, 1, 1}; // 0 Auto, 1 On
inline constexpr BitField MainZoneDsp = {SettingsField::DecoderOptions, 2,
                                         1}; // 0 "7.1/Off", 1 "5.1/2.0"

inline constexpr BitField SubwooferOn = {SettingsField::Subwoofer, 0, 1};
inline constexpr BitField EnhancedBass = {SettingsField::Subwoofer, 1, 1};
// 0..6 for 40, 60, 80, 100, 120, 150, 200 Hz
inline constexpr BitField Crossover = {SettingsField::Subwoofer, 2, 3};
// v1.23 up to v2.00: no Enhanced Bass bit, the crossover starts at bit 1.
inline constexpr BitField OldCrossover = {SettingsField::Subwoofer, 1, 3};

inline constexpr BitField SpeakersA = {SettingsField::SpeakerOutputs, 0, 1};
inline constexpr BitField SpeakersB = {SettingsField::SpeakerOutputs, 1, 1};

// The four channel bits of one Enhanced Stereo byte.
inline constexpr BitField EnhancedStereoChannels1 = {SettingsField::EnhancedStereo1, 0, 4};
inline constexpr BitField EnhancedStereoChannels2 = {SettingsField::EnhancedStereo2, 0, 4};
} // namespace SettingsBits
