#pragma once

#include <QString>

// The program's message texts by number, read once from the message table
// resource. Dialogs and message boxes take their texts from here, and tests
// compare against these texts rather than copies.
namespace Message {
inline constexpr int StorePresetConfirm = 16400;
inline constexpr int SizeMismatch = 16425;
inline constexpr int NeedsFirmware205 = 16435;
inline constexpr int UnsupportedUnit = 16437;
inline constexpr int PresetEmpty = 17000;
inline constexpr int ReadingCurrentSetup = 17001; // %1 model name
inline constexpr int ReadingPreset = 17002;       // %1 preset number, %2 model name
inline constexpr int ReadingTunerPresets = 17003; // %1 model name
inline constexpr int WritingCurrentSetup = 17004; // %1 model name
inline constexpr int WritingPreset = 17005;       // %1 preset number, %2 model name
inline constexpr int WritingEeprom = 17006;       // %1 bytes sent so far, %2 bytes in all
inline constexpr int BlockSizeUnknown = 17007;
inline constexpr int BlockSizeInvalid = 17008; // %1 the size the unit reported
inline constexpr int WriteUnconfirmed = 17009; // %1 unconfirmed bytes, %2 bytes written
inline constexpr int BlockMismatch = 17010;    // %1 bytes in the image, %2 the unit's size
} // namespace Message

class MessageTable
{
public:
    // The text of a message; an unknown number gives an empty text.
    static QString Text(int id);
};
