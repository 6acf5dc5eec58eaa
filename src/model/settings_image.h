#pragma once

#include "model/model_facts.h"
#include "model/settings_field.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>

struct LiveValues;

// The program's copy of one setup block of the receiver (the live setup or an
// A/V preset), byte for byte as the unit stores it, with the 20-byte surround
// mode table and the 13-byte preset name of the block being edited.
//
// The image knows the layout of the unit the block belongs to (model text,
// firmware version and block size S, taken from ModelFacts by Reset), so
// fields are read and written by canonical offset (SettingsField) and land
// at ModelFacts::ImageOffset on the attached unit.
//
// Every index and offset is checked: a read outside the block, the table or
// the name, or of a field the unit does not have, gives -1 (or a record of
// -1s) and a write there changes nothing and returns false. Byte values are
// 0..255; a write stores the low 8 bits of the value it is given, so a
// signed dB value lands as its two's-complement byte.
//
// Single-threaded, like everything that owns it.
class SettingsImage
{
public:
    static constexpr int MaxBlockSize = 96;
    static constexpr int SurroundTableSize = 20;
    static constexpr int PresetNameLength = 13;
    static constexpr int InputRecordCount = 10;

    // One input's assignments. Codes are those of the unit (list indexes of
    // the input page). On a read a field the layout lacks is -1; on a write
    // a field of -1 leaves its bits as they are.
    struct InputRecord
    {
        int digitalSource = -1; // byte 0 bits 0-3: 0 Off, 1 Optical 1 .. 6 Coax 6
        // With trigger codes (HasTriggerCodes): 0 Off, 1 Main, 2 Zone, 3 Both,
        // in byte 0 bits 4-5 and 6-7. Otherwise on/off flags 0 or 1 in bits 4
        // and 5, and a write clears bits 6-7.
        int trigger1 = -1;
        int trigger2 = -1;
        int videoSource = -1;  // byte 1 bits 0-3: 0 Off, 1 DVD .. 6 Video 6
        int analogSource = -1; // byte 1 bits 4-7: 0 Off .. 9 Ext7.1, 10 Tuner
        int analogGain = -1;   // byte 2 bits 0-3, extended layout only: 0..8 for -12..+12 dB
        int videoFormat =
            -1; // byte 2 bits 4-7, extended layout only: 0 COMPOSITE, 1 S-VIDEO, 2 COMPONENT
    };

    // One input's row of the surround mode table. Two-channel codes for
    // stereo and Dolby Digital 2-channel, multichannel codes (0 Direct,
    // 1 Downmix, 2 Enhanced Stereo 1, 3 Enhanced Stereo 2) for DTS and Dolby
    // Digital others; each 0..15. Same -1 convention as InputRecord.
    struct SurroundModes
    {
        int stereo = -1;          // byte 2·i + 1, bits 4-7
        int dts = -1;             // byte 2·i + 1, bits 0-3
        int dolbyTwoChannel = -1; // byte 2·i, bits 4-7
        int dolbyOthers = -1;     // byte 2·i, bits 0-3
    };

    // A block size the buffers can hold and the transfers may use: 1..96.
    // A unit reporting anything else is refused by the caller.
    static bool IsAcceptableBlockSize(int size);

    // Empties the image (all bytes 0) and adopts the layout of `facts`. When
    // facts.blockSize is not acceptable the block is empty (Size() 0), every
    // block access fails, and false is returned; the table and name are
    // still usable.
    bool Reset(const ModelFacts& facts);

    // The layout in force and the block size S (0 when none was accepted).
    const ModelFacts& Facts() const { return facts; }
    int Size() const { return size; }

    // Position in the block of a canonical offset, or -1 when the attached
    // unit has no such field or it falls outside the block: canonical 62 on a
    // K110, 38 and 39 below v2.00, 36 below v1.23, 0..29 without the
    // extended layout (use Input there), anything outside 0..66.
    int Position(int canonical) const;
    bool HasField(int canonical) const { return Position(canonical) >= 0; }

    // Whole byte of a field by canonical offset.
    int Byte(int canonical) const;
    bool SetByte(int canonical, int value);

    // Bits of a field; a write keeps the other bits of the byte. `value` is
    // cut to the field's width.
    int Bits(BitField field) const;
    bool SetBits(BitField field, int value);

    // Raw access by position in the block, for the transfers and for the few
    // places that address a byte without the layout correction.
    int ByteAt(int position) const;
    bool SetByteAt(int position, int value);
    int BitsAt(int position, int shift, int width) const;
    bool SetBitsAt(int position, int shift, int width, int value);

    // Input records 0..9 (see InputRecord). Absent when the record does not
    // fit in the block.
    bool HasTriggerCodes() const;
    InputRecord Input(int input) const;
    bool SetInput(int input, const InputRecord& record);

    // Surround mode table, by input 0..9.
    SurroundModes Surround(int input) const;
    bool SetSurround(int input, const SurroundModes& modes);
    int TableByte(int index) const; // index 0..19
    bool SetTableByte(int index, int value);
    void ClearTable();

    // Preset name: the text up to the first 0 byte or 13 characters,
    // single-byte (Latin-1). SetPresetName stores the first 13 characters
    // and fills the rest with 0; characters outside Latin-1 become '?'.
    QString PresetName() const;
    void SetPresetName(const QString& name);
    int NameByte(int index) const; // index 0..12
    bool SetNameByte(int index, int value);

    // Byte runs as the transfers write them: the S block bytes; the block
    // followed by the surround mode table (S + 20); the 13 name bytes.
    QByteArray BlockBytes() const;
    QByteArray BlockAndTableBytes() const;
    QByteArray NameBytes() const;

    // Fills the fields the unit reports live, before a loaded setup is
    // written: MainVolume = 18 - mainVolume; Source = mainSource + 1 (left
    // as it is when mainSource is not 0..9, i.e. no source selected);
    // ZoneVolume = zoneVolume when -61 < zoneVolume < 18, else 236. The zone
    // volume is written last, so where it shares the block's last byte with
    // the zone volume control, it wins. Volumes in dB, signed.
    void FillFromLiveStatus(int mainVolume, int mainSource, int zoneVolume);
    void FillFromLiveStatus(const LiveValues& status);

private:
    int RecordPosition(int input) const;

    ModelFacts facts;
    int size = 0;
    std::array<std::uint8_t, MaxBlockSize> block{};
    std::array<std::uint8_t, SurroundTableSize> table{};
    // One byte more than the name: a terminating 0 is always there.
    std::array<std::uint8_t, PresetNameLength + 1> name{};
};
