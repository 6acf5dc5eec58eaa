#pragma once

#include <cstdint>

// What a memory transfer is doing. One phase at a time: a request is taken
// only when it answers the pending one (setupIndex or memAddress) in the
// phase that asked for it.
enum class TransferPhase
{
    Idle,
    SizeRead,    // the block-size read on its own (asked by a new connection)
    LiveRead,    // the current setup's live bytes
    PresetSize,  // an A/V preset read: the block size first
    PresetBlock, // its status byte, then its S bytes
    Table,       // the 20-byte surround mode table (current setup or preset)
    Name,        // the 13-byte name of an A/V preset
    Tuner,       // AM step flag and tuner preset image
    Range,       // a run of EEPROM bytes, read as they are (ReadEeprom)
    LiveWrite,   // a job of a write run: live setup
    EepromWrite, // a job of a write run: EEPROM
};

// Where the memory transfers stand. One instance lives as long as the
// engine; -1 (or 255 for the 8-bit live-setup index) means idle. The block
// size itself is kept with the model facts (ModelFacts::blockSize) because
// the field positions depend on it.
struct TransferState
{
    static constexpr int IdleIndex = 255;
    static constexpr int IdleAddress = -1;

    TransferPhase phase = TransferPhase::Idle;
    int setupIndex = IdleIndex;   // pending live-setup index, 0..S-1
    int memAddress = IdleAddress; // pending EEPROM read address
    int blockBase = 0;            // size byte B (current setup) or status byte P(k) of the block
    int presetNumber = 0;         // the running setup read: 0 current setup, 1..5 A/V preset
};
