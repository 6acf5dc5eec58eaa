#pragma once

#include <cstdint>

// Where the memory transfers stand. One instance lives as long as the
// session; -1 (or 255 for the 8-bit live-setup index) means idle.
// The block size itself is kept with the model facts (ModelFacts::blockSize)
// because the field positions depend on it.
struct TransferState
{
    static constexpr int IdleIndex = 255;
    static constexpr int IdleAddress = -1;

    int setupIndex = IdleIndex;   // pending live-setup index, 0..S-1
    int memAddress = IdleAddress; // pending EEPROM address
    int blockBase = 0;            // base of the block being moved
    int presetNumber = 0;         // 0 current setup, 1..5 A/V preset, 6 tuner presets
    int amStepSize = 10;          // kHz, 9 or 10

    bool readingSize = false;
    bool readingSetup = false;
    bool readingTable = false;
    bool readingPresetName = false;
    bool readingTuner = false;
    bool writingEeprom = false;
    bool savingToFile = false;
};
