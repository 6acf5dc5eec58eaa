#include "factory_image.h"

#include "link/message_set.h"
#include "setup_fields.h"
#include "station_list.h"
#include "tuner_table.h"

#include <array>

namespace {

// The few fields that differ between the factory's setups.
struct Scene
{
    int source;     // 0..9
    int mainVolume; // dB
    int zoneVolume; // dB
    int bass;       // dB
    int treble;     // dB
    int speakers;   // bit 0 A, bit 1 B
    int stereoMode; // two-channel mode code for stereo sources
    const char* name;
};

constexpr Scene LiveScene = {SourceTuner, -30, -40, 0, 0, 1, 2, ""};
constexpr std::array<Scene, 3> StoredScenes = {{
    {0, -25, -40, 2, 0, 1, 1, "MOVIES"},
    {6, -35, -30, 0, 2, 3, 0, "MUSIC"},
    {SourceTuner, -32, -45, -2, 0, 1, 3, "RADIO"},
}};

// Per input 0..9: digital source, video source, analog source, video format.
struct InputWiring
{
    int digital;
    int video;
    int analog;
    int format;
};
constexpr std::array<InputWiring, InputCount> Wiring = {{
    {3, 1, 1, 2}, // DVD: coax 3, component
    {1, 2, 2, 1}, // SATELLITE: optical 1, S-video
    {0, 3, 3, 0}, // VCR
    {0, 4, 4, 0}, // VIDEO 4
    {0, 5, 5, 0}, // VIDEO 5
    {0, 6, 6, 0}, // VIDEO 6
    {2, 0, 7, 0}, // CD: optical 2
    {4, 0, 8, 0}, // DISC: coax 4
    {0, 0, 9, 0}, // EXTERNAL 7.1
    {0, 0, 10, 0} // TUNER
}};
constexpr int ZeroGainCode = 4;
constexpr int ZeroLevelCode = 12;

// Canonical fields with the same value in every factory setup.
struct FixedField
{
    int canonical;
    int value;
};
constexpr std::array<FixedField, 30> FixedFields = {{
    {30, 0x00}, // auto trigger Main, no zone relay
    {31, 0x01}, // OSD background
    {32, 0x00}, // full dynamic range
    {33, 3},    // PLII dimension 0
    {34, 3},    // PLII center width
    {35, 0},    // no panorama
    {36, 0},    // NEO:6 center gain 0.0
    {37, 0x00}, // decoder options auto
    {38, 0x0F}, // Enhanced Stereo 1: all channels
    {39, 0x05}, // Enhanced Stereo 2: front and surround
    {40, 1},    // large fronts
    {41, 1},    // small center
    {42, 1},    // small surrounds
    {43, 0},    // no back speakers
    {44, 1},    // back L/R
    {45, 0x09}, // subwoofer on, crossover 80 Hz
    {46, ZeroLevelCode},
    {47, ZeroLevelCode},
    {48, ZeroLevelCode},
    {49, ZeroLevelCode},
    {50, ZeroLevelCode},
    {51, ZeroLevelCode},
    {52, ZeroLevelCode},
    {53, ZeroLevelCode + 2},
    {54, 11}, // 12 ft
    {55, 9},  // 10 ft
    {56, 6},  // 7 ft
    {57, 6},
    {58, 0},
    {59, 0}, // feet
}};

void Put(QByteArray& block, const SetupLayout& layout, int canonical, int value)
{
    const int position = layout.Position(canonical);
    if (position >= 0)
        block[position] = static_cast<char>(value & 0xFF);
}

void PutInputRecords(QByteArray& block, const SetupLayout& layout)
{
    for (int input = 0; input < InputCount; ++input) {
        const InputWiring& wiring = Wiring.at(static_cast<std::size_t>(input));
        const int at = layout.InputRecordPosition(input);
        // The DVD player switches on with the main room: trigger 1 is "Main"
        // in the two-bit code of newer firmware and "on" in the flag of older
        // firmware and two-byte records alike.
        int first = wiring.digital;
        if (input == 0)
            first |= 0x10;
        block[at] = static_cast<char>(first);
        block[at + 1] = static_cast<char>(wiring.video | wiring.analog << 4);
        if (layout.InputRecordSize() == 3)
            block[at + 2] = static_cast<char>(ZeroGainCode | wiring.format << 4);
    }
}

QByteArray SetupBlock(const SetupLayout& layout, const Scene& scene)
{
    QByteArray block(layout.BlockSize(), '\0');
    PutInputRecords(block, layout);
    for (const FixedField& field : FixedFields)
        Put(block, layout, field.canonical, field.value);
    Put(block, layout, SetupFields::Treble, SetupFields::ToneCode(scene.treble));
    Put(block, layout, SetupFields::Bass, SetupFields::ToneCode(scene.bass));
    Put(block, layout, SetupFields::SpeakerOutputs, scene.speakers);
    Put(block, layout, SetupFields::Source, scene.source + 1);
    Put(block, layout, SetupFields::MainVolume, SetupFields::MainVolumeByte(scene.mainVolume));
    Put(block, layout, SetupFields::ZoneVolume, SetupFields::ZoneVolumeByte(scene.zoneVolume));
    return block;
}

// Per input: Dolby Digital two-channel mode high, multichannel low; then
// stereo mode high, DTS low.
QByteArray SurroundTable(const Scene& scene)
{
    QByteArray table;
    for (int input = 0; input < InputCount; ++input) {
        const bool music = input == 6 || input == 7; // CD and DISC play in stereo
        table.append(static_cast<char>(2 << 4 | 0));
        table.append(static_cast<char>((music ? 0 : scene.stereoMode) << 4 | 0));
    }
    return table;
}

void PutBytes(QByteArray& eeprom, int address, const QByteArray& bytes)
{
    for (int i = 0; i < bytes.size(); ++i)
        eeprom[address + i] = bytes.at(i);
}

void PutTunerTable(QByteArray& eeprom)
{
    eeprom[TunerTable::AmStepAddress] = 1;
    TunerTable::ClearAll(eeprom);
    // The preset names are the listener's own, not the stations' RDS names.
    static constexpr std::array<const char*, 12> FmNames = {"Classic", "Metro", "Jazz",  "News",
                                                            "Rock",    "Mono",  "Hits",  "Country",
                                                            "Talk",    "City",  "Quiet", "Chill"};
    int fm = 0;
    int am = 0;
    for (int i = 0; i < StationList::Count(); ++i) {
        const Station& station = StationList::At(i);
        if (station.band == Band::Fm) {
            const QByteArray name(FmNames.at(static_cast<std::size_t>(fm)));
            ++fm;
            // The station without RDS is weak: its preset listens in mono.
            TunerTable::PutFm(eeprom, fm, station.frequency, name, fm == 6);
        } else {
            TunerTable::PutAm(eeprom, ++am, station.frequency);
        }
    }
}

} // namespace

QByteArray FactoryImage::LiveSetup(const SetupLayout& layout)
{
    return SetupBlock(layout, LiveScene);
}

QByteArray FactoryImage::Eeprom(const SetupLayout& layout)
{
    QByteArray eeprom(EepromSize, static_cast<char>(0xFF));
    PutTunerTable(eeprom);

    const int size = layout.BlockSize();
    eeprom[layout.BlockBase()] = static_cast<char>(size);
    PutBytes(eeprom, layout.BlockBase() + 1, LiveSetup(layout));
    PutBytes(eeprom, layout.CurrentTableAddress(), SurroundTable(LiveScene));

    for (int k = 1; k <= AvPresetCount; ++k) {
        const int base = layout.PresetBase(k);
        QByteArray name(SetupLayout::PresetNameSize, '\0');
        if (k <= static_cast<int>(StoredScenes.size())) {
            const Scene& scene = StoredScenes.at(static_cast<std::size_t>(k - 1));
            eeprom[base] = static_cast<char>(size);
            PutBytes(eeprom, base + 1, SetupBlock(layout, scene));
            PutBytes(eeprom, base + 1 + size, SurroundTable(scene));
            name.replace(0, static_cast<qsizetype>(qstrlen(scene.name)), scene.name);
        } else {
            eeprom[base] = static_cast<char>(SetupLayout::EmptyPreset);
        }
        PutBytes(eeprom, SetupLayout::PresetNameAddress(k), name);
    }
    return eeprom;
}
