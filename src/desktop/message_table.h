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
} // namespace Message

class MessageTable
{
public:
    // The text of a message; an unknown number gives an empty text.
    static QString Text(int id);
};
