#pragma once

#include <QString>

#include <cstdint>

// What the program derives from the unit's identification text, firmware
// version text and block size: which models are supported, the model index,
// the extended setup layout, and where a field of the full layout lies in the
// attached unit's setup block.
//
// Text comparisons ignore case. Firmware versions are texts "v%d.%02d",
// compared character by character; an empty version (no version message yet)
// is below every version.
class ModelFacts
{
public:
    // Canonical offset one past the last field of the full layout: the
    // expected block size is ImageOffset(FullLayoutSize).
    static constexpr int FullLayoutSize = 67;
    // Canonical offset of the zone-volume-control byte, always the block's last.
    static constexpr int LastByteOffset = 65;
    // A reported block size of 0 stands for this.
    static constexpr int DefaultBlockSize = 67;

    QString modelText;
    QString versionText;
    int blockSize = -1; // -1 until read from the unit

    // The whole model text is one of the family's names.
    bool IsSupportedModel() const;
    // 1 for a K220, 2 for every other model (supported or not).
    int ModelIndex() const;
    // The first four characters name a K110, K230 or K240: three-byte input
    // records and the longer layout.
    bool HasExtendedLayout() const;
    // A K110 has no speakers A/B switching.
    bool HasSpeakerSwitching() const;
    // The model text is "K220" (the saving and loading of settings files
    // are gated on it).
    bool IsK220() const;

    // The version text is below the given one ("v2.00" style).
    bool VersionBelow(const QString& version) const;
    static bool VersionBelow(const QString& version, const QString& reference);

    // Raw volume byte that means minus infinity on this model (194 or 181).
    int MinusInfinityCode() const;
    // EEPROM address of the block size byte, the base of the setup area.
    int BlockSizeAddress() const;

    // Position in the attached unit's setup block of the field with the given
    // canonical offset (0..67) of the full layout.
    int ImageOffset(int canonical) const;

    // The block size byte as read from EEPROM: signed, 0 meaning 67.
    static int DecodeBlockSize(std::uint8_t raw);
};
