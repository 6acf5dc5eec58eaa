#pragma once

// The receiver's message set: message types, live variables and key codes.
// This is the one table of protocol numbers; logic uses these names, never
// bare numbers. All values are payload bytes (unsigned octets on the wire).

#include <array>
#include <cstdint>

namespace MessageType {
// To the unit: query a variable ({20, variable}); from the unit: a report
// ({20, variable, value bytes...}).
inline constexpr std::uint8_t Variable = 20;
inline constexpr std::uint8_t Set = 21;         // {21, variable, value} or {21, var, lo, hi}
inline constexpr std::uint8_t Key = 22;         // {22, code}
inline constexpr std::uint8_t Version = 23;     // {23} query; {23, major, minor} reply
inline constexpr std::uint8_t StorePreset = 25; // {25, n}, n = 1..5
inline constexpr std::uint8_t PsName = 27;      // {27, 8 characters}
inline constexpr std::uint8_t RadioText = 28;   // {28, offset, characters...}
inline constexpr std::uint8_t LiveSetup = 29;   // live setup block, 8-bit index
inline constexpr std::uint8_t Eeprom = 30;      // EEPROM, 16-bit address
} // namespace MessageType

// Second byte of a type-29 or type-30 request.
namespace MemoryOp {
inline constexpr std::uint8_t Read = 0;
inline constexpr std::uint8_t Write = 1;
inline constexpr std::uint8_t EndWrite = 2; // type 29 only: end of a live-setup write
} // namespace MemoryOp

namespace Variable {
inline constexpr std::uint8_t Model = 20; // text, the rest of the payload
inline constexpr std::uint8_t MainPower = 21;
inline constexpr std::uint8_t MainVolume = 23; // signed dB; model-specific minus infinity
inline constexpr std::uint8_t MainMute = 24;
inline constexpr std::uint8_t ZoneVolume = 27; // as MainVolume
inline constexpr std::uint8_t ZoneMute = 28;
inline constexpr std::uint8_t TapeMonitor = 31;
inline constexpr std::uint8_t Treble = 32;       // signed dB
inline constexpr std::uint8_t Bass = 33;         // signed dB
inline constexpr std::uint8_t SignalType = 39;   // 0..4, see SignalTypeNames
inline constexpr std::uint8_t SurroundMode = 40; // 0..13 except 11
inline constexpr std::uint8_t TunerBand = 43;    // 0 AM, 1 FM
inline constexpr std::uint8_t AmFrequency = 44;  // 16-bit little-endian, kHz
inline constexpr std::uint8_t FmFrequency = 45;  // 16-bit little-endian, 10 kHz units
inline constexpr std::uint8_t FmMute = 47;
inline constexpr std::uint8_t ZonePower = 52;
inline constexpr std::uint8_t MainSource = 53; // 0..9
inline constexpr std::uint8_t ZoneSource = 54; // 0..9 (8 = LOCAL)
inline constexpr std::uint8_t InputName = 55;  // index 0..9, then the name
inline constexpr std::uint8_t AmPreset = 56;   // 0 = none
inline constexpr std::uint8_t FmPreset = 57;   // 0 = none
inline constexpr std::uint8_t SpeakersA = 58;
inline constexpr std::uint8_t SpeakersB = 59;
inline constexpr std::uint8_t ToneDefeat = 60;
inline constexpr std::uint8_t All = 255; // query only: report every variable
} // namespace Variable

// Values of the band, source and surround variables.
namespace Band {
inline constexpr int Am = 0;
inline constexpr int Fm = 1;
} // namespace Band

inline constexpr int InputCount = 10;        // sources 0..9
inline constexpr int SourceTuner = 9;        // source value of TUNER
inline constexpr int SourceExternal = 8;     // EXTERNAL 7.1 in the main room, LOCAL in the zone
inline constexpr int InputNameLength = 13;   // names are sent padded to exactly 13 characters
inline constexpr int SurroundModeCount = 14; // values 0..13; 11 has no mode
inline constexpr int SurroundModeNone = 11;
inline constexpr int SignalTypeCount = 5;
inline constexpr int AvPresetCount = 5;

inline constexpr std::array<const char*, InputCount> DefaultSourceNames = {
    "DVD",     "SATELLITE", "VCR",  "VIDEO 4",      "VIDEO 5",
    "VIDEO 6", "CD",        "DISC", "EXTERNAL 7.1", "TUNER"};
inline constexpr const char* ZoneLocalName = "LOCAL";

inline constexpr std::array<const char*, SignalTypeCount> SignalTypeNames = {
    "Analog", "Dolby Digital", "DTS", "Digital PCM", "HDCD"};

// Surround modes by value; SurroundModeNone has no mode and an empty name.
inline constexpr std::array<const char*, SurroundModeCount> SurroundModeNames = {
    "Direct",
    "Downmix",
    "Dolby Pro Logic",
    "Dolby Pro Logic II - Movie",
    "Dolby Pro Logic II - Music",
    "DTS NEO:6 - Cinema",
    "DTS NEO:6 - Music",
    "Matrix 7.1",
    "EARS",
    "Enhanced Stereo 1",
    "Enhanced Stereo 2",
    "",
    "Dolby Pro Logic IIx - Movie",
    "Dolby Pro Logic IIx - Music"};

namespace KeyCode {
inline constexpr std::uint8_t MainPower = 128;
inline constexpr std::uint8_t ZonePower = 180;
inline constexpr std::uint8_t MainMute = 148;
inline constexpr std::uint8_t ZoneMute = 160;
inline constexpr std::uint8_t MainVolumeUp = 136;
inline constexpr std::uint8_t MainVolumeDown = 140;
inline constexpr std::uint8_t ZoneVolumeUp = 34;
inline constexpr std::uint8_t ZoneVolumeDown = 35;
inline constexpr std::uint8_t SpeakersA = 206;
inline constexpr std::uint8_t SpeakersB = 207;
inline constexpr std::uint8_t TapeMonitor = 141;
inline constexpr std::uint8_t ToneDefeat = 220;

// Source keys by source value 0..9.
inline constexpr std::array<std::uint8_t, InputCount> MainSource = {194, 192, 193, 48, 49,
                                                                    30,  133, 137, 46, 221};
inline constexpr std::array<std::uint8_t, InputCount> ZoneSource = {168, 169, 170, 171, 172,
                                                                    173, 165, 166, 179, 175};
// Recall of A/V preset 1..5, by preset number - 1.
inline constexpr std::array<std::uint8_t, AvPresetCount> RecallPreset = {58, 59, 195, 196, 198};

// Tuner keys come in a main-room and a zone variant.
struct TunerKeys
{
    std::uint8_t bandAm;
    std::uint8_t bandFm;
    std::uint8_t seekUp;
    std::uint8_t seekDown;
    std::uint8_t frequencyUp;
    std::uint8_t frequencyDown;
    std::uint8_t presetUp;
    std::uint8_t presetDown;
};
inline constexpr TunerKeys MainTuner = {130, 129, 135, 134, 212, 211, 210, 209};
inline constexpr TunerKeys ZoneTuner = {161, 162, 183, 184, 181, 182, 163, 164};
} // namespace KeyCode

// Payload limits of a frame: the receive buffer holds 63 payload bytes and
// the checksum byte; longer frames are dropped.
inline constexpr int MaxPayload = 63;
