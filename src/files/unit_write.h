#pragma once

#include "model/settings_image.h"
#include "model/tuner_preset_list.h"

#include <QByteArray>
#include <QString>

// One write into the receiver that loading a settings file asks for. A load
// gives a list of them; executing it in order, each write finished before
// the next starts, puts the file into the unit.
//
// Every EEPROM range lies inside the unit's mapped regions: the A/V preset
// area of the setup memory (the preset's status byte, its block and table)
// or the tuner preset image at 32..381.
struct UnitWrite
{
    enum class Kind
    {
        // Rename input `index` (0..9) to `name` (1..13 characters; the
        // command pads it with spaces), then wait `pauseAfter` ms.
        InputName,
        // The status byte of A/V preset `index` (1..5) at `address`: one
        // byte, the block size, which marks the preset as present.
        PresetStatus,
        // Block and surround mode table of A/V preset `index` at `address`
        // (the byte after its status): S + 20 bytes.
        PresetBlock,
        // The tuner presets: `tuner`, whose image for the unit's AM step
        // `amStepSize` is `bytes`, at `address` 32.
        TunerPresets,
        // The live setup: `setup`, whose S block bytes are `bytes`; always
        // the last write of a load.
        CurrentSetup,
    };

    Kind kind = Kind::InputName;
    int address = -1; // EEPROM address of bytes[0]; -1 for InputName and CurrentSetup
    QByteArray bytes;
    int index = -1;     // input 0..9, preset 1..5, 0 for the current setup
    QString name;       // InputName
    int pauseAfter = 0; // ms
    TunerPresetList tuner;
    int amStepSize = 0; // TunerPresets: kHz, the step the words are encoded with
    SettingsImage setup;

    bool IsEeprom() const
    {
        return kind == Kind::PresetStatus || kind == Kind::PresetBlock ||
               kind == Kind::TunerPresets;
    }
};
