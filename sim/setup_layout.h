#pragma once

#include "model/model_facts.h"

// Where things lie in the memories of one model and firmware: the fields of
// the setup block (by canonical offset) and the setup area of the EEPROM.
// A field that the unit's layout does not have has no position.
class SetupLayout
{
public:
    static constexpr int SurroundTableSize = 20;
    static constexpr int PresetNameBase = 643; // name of A/V preset k at PresetNameBase + 13·k
    static constexpr int PresetNameSize = 13;
    static constexpr int EmptyPreset = 255;

    // facts: model text and version text; the block size is derived here.
    explicit SetupLayout(const ModelFacts& facts);

    const ModelFacts& Facts() const { return facts; }
    // S: bytes of one setup block, 1..96 for every model text.
    int BlockSize() const { return facts.blockSize; }
    // B: EEPROM address of the block size byte.
    int BlockBase() const { return facts.BlockSizeAddress(); }
    // EEPROM address of the current setup's surround mode table.
    int CurrentTableAddress() const { return BlockBase() + BlockSize() + 1; }
    // P(k), k = 1..5: status byte of A/V preset k; block and table follow it.
    int PresetBase(int k) const;
    static int PresetNameAddress(int k) { return PresetNameBase + PresetNameSize * k; }

    // Position in the block of the field at a canonical offset (0..66), or -1
    // when this layout has no such byte. Canonical 0..29 (the input records)
    // have positions only on units with three-byte records; use
    // InputRecordPosition for the records of every unit.
    int Position(int canonical) const;
    // First byte of the record of input 0..9, and its length (3 or 2).
    int InputRecordPosition(int input) const { return input * InputRecordSize(); }
    int InputRecordSize() const { return facts.HasExtendedLayout() ? 3 : 2; }

private:
    ModelFacts facts;
};
