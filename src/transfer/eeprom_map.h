#pragma once

#include "model/settings_image.h"
#include "model/tuner_preset_list.h"

// Where the transfers find things in the receiver's EEPROM (addresses 0..2047).
//
// B, the base of the setup area, is ModelFacts::BlockSizeAddress(): 768 on a
// K220, 1024 on every other model. S is the block size stored at B.
//
//   19                      AM step flag (0: 9 kHz, else 10 kHz)
//   32 .. 381               tuner preset image (350 bytes)
//   643 + 13·k              name of A/V preset k = 1..5, 13 bytes, 0-padded
//   B                       block size S (signed; 0 stands for 67)
//   B + S + 1 ..            surround mode table of the current setup (20 bytes)
//   P(k) = B + k·(S + 21)   status of A/V preset k: 255 empty, 0 or S present
//   P(k) + 1 ..             setup block of preset k (S bytes), then its table
namespace EepromMap {

inline constexpr int AmStepFlag = TunerPresetList::AmStepFlagAddress;
inline constexpr int TunerImage = TunerPresetList::ImageAddress;
inline constexpr int TunerImageSize = TunerPresetList::ImageSize;
inline constexpr int TunerImageEnd = TunerImage + TunerImageSize; // one past

inline constexpr int SurroundTableSize = SettingsImage::SurroundTableSize;
inline constexpr int PresetNameLength = SettingsImage::PresetNameLength;
inline constexpr int PresetNameBase = 643;

// Status byte values of an A/V preset other than S itself.
inline constexpr int PresetStatusEmpty = 255;
inline constexpr int PresetStatusPresent = 0;

inline constexpr int FirstPreset = 1;
inline constexpr int LastPreset = 5;

constexpr bool IsPresetNumber(int preset)
{
    return preset >= FirstPreset && preset <= LastPreset;
}

// First byte of the name of A/V preset k (1..5).
constexpr int PresetNameAddress(int preset)
{
    return PresetNameBase + PresetNameLength * preset;
}

// Bytes one A/V preset occupies: status, block, surround mode table.
constexpr int PresetStride(int blockSize)
{
    return blockSize + 1 + SurroundTableSize;
}

// Status byte of A/V preset k (1..5).
constexpr int PresetAddress(int base, int blockSize, int preset)
{
    return base + preset * PresetStride(blockSize);
}

// Surround mode table that follows a block whose status (or size) byte is at
// blockBase.
constexpr int TableAddress(int blockBase, int blockSize)
{
    return blockBase + blockSize + 1;
}

} // namespace EepromMap
