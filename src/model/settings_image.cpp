#include "model/settings_image.h"

#include "model/live_status.h"

#include <algorithm>

namespace {

// Firmware where the layout gained the Enhanced Stereo bytes, the trigger
// codes in the input records, and the NEO:6 byte.
const QString& FirmwareWithEnhancedStereo()
{
    static const QString version = QStringLiteral("v2.00");
    return version;
}

const QString& FirmwareWithNeo6()
{
    static const QString version = QStringLiteral("v1.23");
    return version;
}

constexpr int NibbleWidth = 4;
constexpr int HighNibble = 4;
constexpr int ByteBits = 8;

bool IsBitRange(int shift, int width)
{
    return shift >= 0 && width >= 1 && shift + width <= ByteBits;
}

int Mask(int width)
{
    return (1 << width) - 1;
}

int Nibble(std::uint8_t byte, int shift)
{
    return (byte >> shift) & Mask(NibbleWidth);
}

// Replaces `width` bits at `shift` with `value`, unless `value` is -1 (keep).
void PutBits(std::uint8_t& byte, int shift, int width, int value)
{
    if (value < 0)
        return;
    const int mask = Mask(width) << shift;
    byte = static_cast<std::uint8_t>((byte & ~mask) | ((value & Mask(width)) << shift));
}

void PutNibble(std::uint8_t& byte, int shift, int value)
{
    PutBits(byte, shift, NibbleWidth, value);
}

// Byte 0 of an input record: digital source in bits 0-3, triggers above.
constexpr int Trigger1Shift = 4;
constexpr int Trigger2Shift = 6;
constexpr int TriggerCodeWidth = 2;
constexpr int Trigger1FlagBit = 4;
constexpr int Trigger2FlagBit = 5;

} // namespace

bool SettingsImage::IsAcceptableBlockSize(int candidate)
{
    return candidate >= 1 && candidate <= MaxBlockSize;
}

bool SettingsImage::Reset(const ModelFacts& layout)
{
    facts = layout;
    block.fill(0);
    table.fill(0);
    name.fill(0);
    const bool accepted = IsAcceptableBlockSize(layout.blockSize);
    size = accepted ? layout.blockSize : 0;
    return accepted;
}

int SettingsImage::Position(int canonical) const
{
    using namespace SettingsField;
    if (canonical < 0 || canonical >= FullLayoutEnd)
        return -1;
    // Without the extended layout the first bytes hold short input records,
    // so a canonical offset below 30 names nothing there.
    if (canonical < InputRecordsEnd && !facts.HasExtendedLayout())
        return -1;
    // Fields the unit does not have: ImageOffset would map them onto a
    // neighbour's byte.
    if (canonical == SpeakerOutputs && !facts.HasSpeakerSwitching())
        return -1;
    if ((canonical == EnhancedStereo1 || canonical == EnhancedStereo2) &&
        facts.VersionBelow(FirmwareWithEnhancedStereo()))
        return -1;
    if (canonical == Neo6CenterGain && facts.VersionBelow(FirmwareWithNeo6()))
        return -1;
    const int position = facts.ImageOffset(canonical);
    return position >= 0 && position < size ? position : -1;
}

int SettingsImage::Byte(int canonical) const
{
    return ByteAt(Position(canonical));
}

bool SettingsImage::SetByte(int canonical, int value)
{
    return SetByteAt(Position(canonical), value);
}

int SettingsImage::Bits(BitField field) const
{
    return BitsAt(Position(field.canonical), field.shift, field.width);
}

bool SettingsImage::SetBits(BitField field, int value)
{
    return SetBitsAt(Position(field.canonical), field.shift, field.width, value);
}

int SettingsImage::ByteAt(int position) const
{
    if (position < 0 || position >= size)
        return -1;
    return block[static_cast<std::size_t>(position)];
}

bool SettingsImage::SetByteAt(int position, int value)
{
    if (position < 0 || position >= size)
        return false;
    block[static_cast<std::size_t>(position)] = static_cast<std::uint8_t>(value);
    return true;
}

int SettingsImage::BitsAt(int position, int shift, int width) const
{
    const int byte = ByteAt(position);
    if (byte < 0 || !IsBitRange(shift, width))
        return -1;
    return (byte >> shift) & Mask(width);
}

bool SettingsImage::SetBitsAt(int position, int shift, int width, int value)
{
    const int byte = ByteAt(position);
    if (byte < 0 || !IsBitRange(shift, width))
        return false;
    std::uint8_t bits = static_cast<std::uint8_t>(byte);
    PutBits(bits, shift, width, value & Mask(width));
    return SetByteAt(position, bits);
}

bool SettingsImage::HasTriggerCodes() const
{
    return facts.HasExtendedLayout() && !facts.VersionBelow(FirmwareWithEnhancedStereo());
}

int SettingsImage::RecordPosition(int input) const
{
    if (input < 0 || input >= InputRecordCount)
        return -1;
    const bool extended = facts.HasExtendedLayout();
    const int length = extended ? 3 : 2;
    const int first = extended ? facts.ImageOffset(SettingsField::InputRecords) : 0;
    const int position = first + length * input;
    return position >= 0 && position + length <= size ? position : -1;
}

SettingsImage::InputRecord SettingsImage::Input(int input) const
{
    InputRecord record;
    const int position = RecordPosition(input);
    if (position < 0)
        return record;
    const auto at = [this, position](int i) {
        return block[static_cast<std::size_t>(position + i)];
    };
    const std::uint8_t byte0 = at(0);
    record.digitalSource = Nibble(byte0, 0);
    if (HasTriggerCodes()) {
        record.trigger1 = (byte0 >> Trigger1Shift) & Mask(TriggerCodeWidth);
        record.trigger2 = (byte0 >> Trigger2Shift) & Mask(TriggerCodeWidth);
    } else {
        record.trigger1 = (byte0 >> Trigger1FlagBit) & 1;
        record.trigger2 = (byte0 >> Trigger2FlagBit) & 1;
    }
    record.videoSource = Nibble(at(1), 0);
    record.analogSource = Nibble(at(1), HighNibble);
    if (facts.HasExtendedLayout()) {
        record.analogGain = Nibble(at(2), 0);
        record.videoFormat = Nibble(at(2), HighNibble);
    }
    return record;
}

bool SettingsImage::SetInput(int input, const InputRecord& record)
{
    const int position = RecordPosition(input);
    if (position < 0)
        return false;
    const auto at = [this, position](int i) -> std::uint8_t& {
        return block[static_cast<std::size_t>(position + i)];
    };
    std::uint8_t& byte0 = at(0);
    PutNibble(byte0, 0, record.digitalSource);
    if (HasTriggerCodes()) {
        PutBits(byte0, Trigger1Shift, TriggerCodeWidth, record.trigger1);
        PutBits(byte0, Trigger2Shift, TriggerCodeWidth, record.trigger2);
    } else if (record.trigger1 >= 0 || record.trigger2 >= 0) {
        const auto flag = [](int value) { return value < 0 ? -1 : int{value != 0}; };
        PutBits(byte0, Trigger1FlagBit, 1, flag(record.trigger1));
        PutBits(byte0, Trigger2FlagBit, 1, flag(record.trigger2));
        // The flag layout does not use bits 6-7; they are stored cleared.
        PutBits(byte0, Trigger2Shift, TriggerCodeWidth, 0);
    }
    PutNibble(at(1), 0, record.videoSource);
    PutNibble(at(1), HighNibble, record.analogSource);
    if (facts.HasExtendedLayout()) {
        PutNibble(at(2), 0, record.analogGain);
        PutNibble(at(2), HighNibble, record.videoFormat);
    }
    return true;
}

SettingsImage::SurroundModes SettingsImage::Surround(int input) const
{
    SurroundModes modes;
    if (input < 0 || input >= InputRecordCount)
        return modes;
    const std::uint8_t dolby = table[static_cast<std::size_t>(2 * input)];
    const std::uint8_t other = table[static_cast<std::size_t>(2 * input + 1)];
    modes.dolbyTwoChannel = Nibble(dolby, HighNibble);
    modes.dolbyOthers = Nibble(dolby, 0);
    modes.stereo = Nibble(other, HighNibble);
    modes.dts = Nibble(other, 0);
    return modes;
}

bool SettingsImage::SetSurround(int input, const SurroundModes& modes)
{
    if (input < 0 || input >= InputRecordCount)
        return false;
    std::uint8_t& dolby = table[static_cast<std::size_t>(2 * input)];
    std::uint8_t& other = table[static_cast<std::size_t>(2 * input + 1)];
    PutNibble(dolby, HighNibble, modes.dolbyTwoChannel);
    PutNibble(dolby, 0, modes.dolbyOthers);
    PutNibble(other, HighNibble, modes.stereo);
    PutNibble(other, 0, modes.dts);
    return true;
}

int SettingsImage::TableByte(int index) const
{
    if (index < 0 || index >= SurroundTableSize)
        return -1;
    return table[static_cast<std::size_t>(index)];
}

bool SettingsImage::SetTableByte(int index, int value)
{
    if (index < 0 || index >= SurroundTableSize)
        return false;
    table[static_cast<std::size_t>(index)] = static_cast<std::uint8_t>(value);
    return true;
}

void SettingsImage::ClearTable()
{
    table.fill(0);
}

QString SettingsImage::PresetName() const
{
    const auto end = std::find(name.begin(), name.begin() + PresetNameLength, 0);
    return QString::fromLatin1(reinterpret_cast<const char*>(name.data()),
                               static_cast<qsizetype>(end - name.begin()));
}

void SettingsImage::SetPresetName(const QString& text)
{
    const QByteArray bytes = text.left(PresetNameLength).toLatin1();
    name.fill(0);
    std::copy_n(bytes.constData(), std::min<qsizetype>(bytes.size(), PresetNameLength),
                name.begin());
}

int SettingsImage::NameByte(int index) const
{
    if (index < 0 || index >= PresetNameLength)
        return -1;
    return name[static_cast<std::size_t>(index)];
}

bool SettingsImage::SetNameByte(int index, int value)
{
    if (index < 0 || index >= PresetNameLength)
        return false;
    name[static_cast<std::size_t>(index)] = static_cast<std::uint8_t>(value);
    return true;
}

QByteArray SettingsImage::BlockBytes() const
{
    return QByteArray(reinterpret_cast<const char*>(block.data()), size);
}

QByteArray SettingsImage::BlockAndTableBytes() const
{
    return BlockBytes() +
           QByteArray(reinterpret_cast<const char*>(table.data()), SurroundTableSize);
}

QByteArray SettingsImage::NameBytes() const
{
    return QByteArray(reinterpret_cast<const char*>(name.data()), PresetNameLength);
}

void SettingsImage::FillFromLiveStatus(int mainVolume, int mainSource, int zoneVolume)
{
    SetByte(SettingsField::MainVolume, SettingsCode::MainVolumeReference - mainVolume);
    if (mainSource >= 0 && mainSource < InputRecordCount)
        SetByte(SettingsField::Source, mainSource + 1);
    const bool zoneInRange =
        zoneVolume > SettingsCode::ZoneVolumeAbove && zoneVolume < SettingsCode::ZoneVolumeBelow;
    SetByte(SettingsField::ZoneVolume, zoneInRange ? zoneVolume : SettingsCode::ZoneVolumeUnset);
}

void SettingsImage::FillFromLiveStatus(const LiveValues& status)
{
    FillFromLiveStatus(status.mainVolume, status.mainSource, status.zoneVolume);
}
