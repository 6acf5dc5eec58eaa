// Feeds arbitrary bytes to the settings-file reader as a file for a K230 (or,
// by the first byte, a K110) and checks the writes it asks for: every range
// inside the unit's mapped regions, every index and length in bounds. (What
// a saved file holds coming back whole is the settings files' round trips.)

#include "files/load_plan.h"
#include "files/settings_file_reader.h"
#include "model/settings_field.h"
#include "transfer/eeprom_map.h"

#include "fuzz_support.h"

namespace {

bool Inside(int address, qsizetype length, int first, int end)
{
    return address >= first && length >= 0 && address + length <= end;
}

void Check(const UnitWrite& write, const ModelFacts& facts)
{
    const int size = facts.blockSize;
    const int base = facts.BlockSizeAddress();
    const int presets = EepromMap::PresetAddress(base, size, EepromMap::FirstPreset);
    const int presetsEnd = EepromMap::PresetAddress(base, size, EepromMap::LastPreset + 1);
    bool good = true;
    switch (write.kind) {
    case UnitWrite::Kind::InputName:
        good = write.index >= 0 && write.index < 10 && !write.name.isEmpty() &&
               write.name.size() <= 13;
        break;
    case UnitWrite::Kind::PresetStatus:
    case UnitWrite::Kind::PresetBlock:
        good = EepromMap::IsPresetNumber(write.index) &&
               Inside(write.address, write.bytes.size(), presets, presetsEnd) &&
               write.bytes.size() == (write.kind == UnitWrite::Kind::PresetStatus ? 1 : size + 20);
        break;
    case UnitWrite::Kind::TunerPresets:
        good = Inside(write.address, write.bytes.size(), EepromMap::TunerImage,
                      EepromMap::TunerImageEnd) &&
               write.tuner.FmCount() <= TunerPresetList::FmCapacity &&
               write.tuner.AmCount() <= TunerPresetList::AmCapacity;
        break;
    case UnitWrite::Kind::CurrentSetup:
        good = write.bytes.size() == size && write.setup.Size() == size;
        break;
    }
    Require(good);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    LiveValues unit;
    const bool k110 = size > 0 && (data[0] & 1);
    unit.facts.modelText = QString::fromLatin1(k110 ? "K110" : "K230");
    unit.facts.versionText = QStringLiteral("v2.05");
    unit.facts.blockSize = unit.facts.ImageOffset(SettingsField::FullLayoutEnd);
    unit.mainVolume = size > 1 ? static_cast<std::int8_t>(data[1]) : 0;
    unit.zoneVolume = size > 2 ? static_cast<std::int8_t>(data[2]) : 0;
    const auto answer =
        static_cast<SettingsFileReader::ModelAnswer>(size > 0 ? (data[0] >> 1) % 3 : 0);
    const int amStep = size > 0 && (data[0] & 0x80) ? 9 : 10;

    InputDevice device(InputBytes(data, size));
    const SettingsFileReader::Result read =
        SettingsFileReader::LoadSettingsFile(device, unit, answer);
    for (const UnitWrite& write :
         LoadPlan::Writes(read.configuration, unit, amStep, ConfigurationParts{}))
        Check(write, unit.facts);
    return 0;
}
