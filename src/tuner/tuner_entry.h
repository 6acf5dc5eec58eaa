#pragma once

#include <QString>

// What the user types into the tuner's frequency and preset fields, as the
// value to send. Each parser reads only the leading part it understands
// (after leading white space) and ignores the rest, so "1000abc" is 1000.
// 0 means "no value": nothing usable was typed, or the value does not fit
// the message that would carry it (16 bits for a frequency, one byte for a
// preset number).
namespace TunerEntry {

// FM in 10 kHz units: "101.7" is 10170, "88.125" is 8812 (the fraction is
// cut to hundredths), "101" is 10100.
int ParseFm(const QString& text);
// AM in kHz: the leading digits.
int ParseAm(const QString& text);
// A preset number: the leading digits.
int ParsePreset(const QString& text);

} // namespace TunerEntry
