#pragma once

#include "setup_layout.h"

#include <QByteArray>

// What a unit holds when it leaves the factory, for one model and firmware.
class FactoryImage
{
public:
    static constexpr int EepromSize = 2048;

    // The setup in force: S bytes at the layout's positions.
    static QByteArray LiveSetup(const SetupLayout& layout);

    // The whole EEPROM: AM step flag (10 kHz), the tuner table with twelve
    // named FM presets and four AM presets, the block size at B followed by a
    // copy of the live setup and the current surround mode table, A/V
    // presets 1..3 stored with names and 4..5 empty. Unused bytes are 0xFF,
    // as in erased EEPROM.
    static QByteArray Eeprom(const SetupLayout& layout);
};
