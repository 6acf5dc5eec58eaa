#pragma once

#include "model/model_facts.h"

#include <QString>

#include <array>

// Where things lie in the memories of one model and firmware: the fields of
// the setup block (by canonical offset) and the setup area of the EEPROM.
// A field that the unit's layout does not have has no position.
//
// The layout is the simulated unit's own: it is built from the order in which
// the receiver keeps its fields and owes nothing to the program's layout
// code, so a layout fault in the program shows against it.
class SetupLayout
{
public:
    static constexpr int SurroundTableSize = 20;
    static constexpr int PresetNameBase = 643; // name of A/V preset k at PresetNameBase + 13·k
    static constexpr int PresetNameSize = 13;
    static constexpr int EmptyPreset = 255;
    // Canonical offsets run 0..FieldCount - 1.
    static constexpr int FieldCount = 67;

    // modelText: any identification text, case ignored; the firmware is
    // major.minor as the unit reports it.
    SetupLayout(const QString& modelText, int firmwareMajor, int firmwareMinor);

    // Facts that are not layout (the volume that means minus infinity).
    const ModelFacts& Facts() const { return facts; }
    // S: bytes of one setup block.
    int BlockSize() const { return blockSize; }
    // B: EEPROM address of the block size byte.
    int BlockBase() const { return blockBase; }
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
    int InputRecordSize() const { return longRecords ? 3 : 2; }
    // The block has the speaker-output byte, and the unit switches speakers A and B.
    bool HasSpeakerOutputs() const { return speakerOutputs; }

private:
    ModelFacts facts;
    bool longRecords = false;
    bool speakerOutputs = false;
    int blockBase = 0;
    int blockSize = 0;
    std::array<int, FieldCount> positions{};
};
