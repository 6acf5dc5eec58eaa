#pragma once

#include <QString>

// One FM preset of the receiver.
struct FmPreset
{
    int number = 0;    // preset number 1..30
    int frequency = 0; // 10 kHz units: 8750 is 87.50 MHz
    int mute = 0;      // FM mute: 0 off, nonzero on (as read from the unit, 0..255)
    QString name;      // at most 8 characters reach the unit; trimmed
};

// One AM preset of the receiver.
struct AmPreset
{
    int number = 0;    // preset number 1..10
    int frequency = 0; // kHz
};
