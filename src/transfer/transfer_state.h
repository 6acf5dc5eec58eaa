#pragma once

#include <cstdint>

// Where the memory transfers stand. One instance lives as long as the
// session; -1 (or 255 for the 8-bit live-setup index) means idle.
// The block size itself is kept with the model facts (ModelFacts::blockSize)
// because the field positions depend on it.
//
// At most one phase flag of a read is set at a time; a reply is taken only
// when it answers the pending request (setupIndex or memAddress), so the
// flags never act on their own.
struct TransferState
{
    static constexpr int IdleIndex = 255;
    static constexpr int IdleAddress = -1;

    int setupIndex = IdleIndex;   // pending live-setup index, 0..S-1
    int memAddress = IdleAddress; // pending EEPROM read address
    int blockBase = 0;            // size byte B (current setup) or status byte P(k) of the block
    int presetNumber = 0;         // 0 current setup, 1..5 A/V preset, 6 tuner presets
    int amStepSize = 10;          // kHz, 9 or 10; 10 until read from the unit

    bool readingSize = false;       // the block-size read is pending
    bool readingSetup = false;      // live-setup read, or the block of an A/V preset
    bool readingTable = false;      // the 20-byte surround mode table
    bool readingPresetName = false; // the 13-byte name of an A/V preset
    bool readingTuner = false;      // AM step flag and tuner preset image
    bool writingEeprom = false;     // an EEPROM write runs
    bool savingToFile = false;      // reads feed the settings-file save, not a dialog
};
