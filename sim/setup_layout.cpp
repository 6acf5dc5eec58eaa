#include "setup_layout.h"

#include <cstddef>

namespace {

// What a unit must have for a run of bytes to be in its block.
enum class Needs
{
    Nothing,
    LongRecords,      // three-byte input records (K110, K230, K240)
    ShortRecords,     // two-byte input records (every other model)
    Firmware123,      // firmware v1.23 or later
    Firmware200,      // firmware v2.00 or later
    SpeakerSwitching, // every model but the K110
};

constexpr int Unnamed = -1;

// A run of bytes of the block: `count` fields from canonical offset `first`
// on, or bytes that no canonical offset names.
struct Run
{
    int first;
    int count;
    Needs needs;
};

// The setup block as the unit keeps it, from its first byte to its last; a
// run the unit does not have takes no room, and the next run moves up.
constexpr std::array<Run, 11> BlockOrder = {{
    {0, 30, Needs::LongRecords},        // ten input records of three bytes
    {Unnamed, 20, Needs::ShortRecords}, // ten input records of two bytes
    {30, 6, Needs::Nothing},            // triggers and relay .. Pro Logic II panorama
    {36, 1, Needs::Firmware123},        // NEO:6 center gain
    {37, 1, Needs::Nothing},            // decoder options
    {38, 2, Needs::Firmware200},        // Enhanced Stereo 1 and 2
    {40, 22, Needs::Nothing},           // speakers, levels, distances, tone
    {62, 1, Needs::SpeakerSwitching},   // speaker outputs
    {63, 2, Needs::Nothing},            // source, main volume
    {Unnamed, 1, Needs::Nothing},       // a byte of the unit's own
    {66, 1, Needs::Nothing},            // zone volume, the block's last byte
}};

// The zone volume control is not where its canonical offset says: the unit
// keeps it in the block's last byte, which it shares with the zone volume.
constexpr int ZoneVolumeControl = 65;

// EEPROM address of the block size byte: the K220 keeps its setup area lower.
constexpr int LowSetupArea = 768;
constexpr int HighSetupArea = 1024;

bool Is(QStringView text, QStringView name)
{
    return text.compare(name, Qt::CaseInsensitive) == 0;
}

ModelFacts FactsOf(const QString& model, int major, int minor)
{
    ModelFacts facts;
    facts.modelText = model;
    facts.versionText = QString::asprintf("v%d.%02d", major, minor);
    return facts;
}

} // namespace

SetupLayout::SetupLayout(const QString& modelText, int firmwareMajor, int firmwareMinor)
    : facts(FactsOf(modelText, firmwareMajor, firmwareMinor))
{
    const QStringView family = QStringView(modelText).left(4);
    longRecords = Is(family, u"K110") || Is(family, u"K230") || Is(family, u"K240");
    speakerOutputs = !Is(family, u"K110");
    blockBase = Is(modelText, u"K220") ? LowSetupArea : HighSetupArea;
    const int firmware = firmwareMajor * 100 + firmwareMinor;

    const auto has = [&](Needs needs) {
        switch (needs) {
        case Needs::Nothing:
            return true;
        case Needs::LongRecords:
            return longRecords;
        case Needs::ShortRecords:
            return !longRecords;
        case Needs::Firmware123:
            return firmware >= 123;
        case Needs::Firmware200:
            return firmware >= 200;
        case Needs::SpeakerSwitching:
            return speakerOutputs;
        }
        return false;
    };
    positions.fill(-1);
    int at = 0;
    for (const Run& run : BlockOrder) {
        if (!has(run.needs))
            continue;
        for (int i = 0; i < run.count; ++i, ++at) {
            if (run.first != Unnamed)
                positions.at(static_cast<std::size_t>(run.first + i)) = at;
        }
    }
    blockSize = at;
    positions.at(ZoneVolumeControl) = blockSize - 1;
    facts.blockSize = blockSize;
}

int SetupLayout::PresetBase(int k) const
{
    return BlockBase() + k * (BlockSize() + SurroundTableSize + 1);
}

int SetupLayout::Position(int canonical) const
{
    if (canonical < 0 || canonical >= FieldCount)
        return -1;
    return positions.at(static_cast<std::size_t>(canonical));
}
