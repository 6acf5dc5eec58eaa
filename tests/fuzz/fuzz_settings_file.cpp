// Feeds arbitrary bytes to the settings-file reader as a file for a K230 (or,
// by the first byte, a K110) and checks the writes it asks for: every range
// inside the unit's mapped regions, every index and length in bounds. What
// was loaded is then saved as a file again, and that file, loaded and saved,
// must come out the same: nothing a saved file holds is lost on its way
// through the unit.

#include "files/load_plan.h"
#include "files/settings_file_reader.h"
#include "files/settings_file_writer.h"
#include "model/settings_field.h"
#include "transfer/eeprom_map.h"

#include "fuzz_require.h"

#include <QBuffer>

#include <cstddef>
#include <cstdint>

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

// What a save of the unit would write after the writes were carried out.
UnitConfiguration Saved(const QList<UnitWrite>& writes, const LiveValues& unit, int amStep)
{
    UnitConfiguration content;
    content.modelText = unit.facts.modelText;
    content.versionText = unit.facts.versionText;
    // A unit always has its AM step; its presets are those the load wrote.
    content.tuner.emplace();
    content.tuner->SetAmStepSize(amStep);
    for (const UnitWrite& write : writes) {
        const auto index = static_cast<std::size_t>(write.index);
        switch (write.kind) {
        case UnitWrite::Kind::InputName:
            // The command pads a name with spaces; the unit reports it so,
            // and the padding is not part of the name.
            content.inputNames[index] =
                write.name.leftJustified(SettingsImage::PresetNameLength, u' ').trimmed();
            break;
        case UnitWrite::Kind::PresetBlock: {
            SettingsImage image;
            image.Reset(unit.facts);
            for (int i = 0; i < image.Size(); ++i)
                image.SetByteAt(i, static_cast<std::uint8_t>(write.bytes[i]));
            for (int i = 0; i < SettingsImage::SurroundTableSize; ++i)
                image.SetTableByte(i, static_cast<std::uint8_t>(write.bytes[image.Size() + i]));
            content.presets[index - 1] = image;
            break;
        }
        case UnitWrite::Kind::TunerPresets: {
            // As the unit holds it, decoded with its own step.
            TunerPresetList::Image image{};
            std::copy(write.bytes.cbegin(), write.bytes.cend(), image.begin());
            content.tuner = TunerPresetList::Decode(image, amStep);
            break;
        }
        case UnitWrite::Kind::CurrentSetup:
            content.currentSetup = write.setup;
            break;
        case UnitWrite::Kind::PresetStatus:
            break;
        }
    }
    return content;
}

// The writes of a load of the text into a unit of that AM step.
QList<UnitWrite> Load(const QByteArray& text, const LiveValues& unit,
                      SettingsFileReader::ModelAnswer answer, int amStep)
{
    QByteArray bytes = text;
    QBuffer device(&bytes);
    device.open(QIODevice::ReadOnly);
    const SettingsFileReader::Result result =
        SettingsFileReader::LoadSettingsFile(device, unit, answer);
    return LoadPlan::Writes(result.configuration, unit, amStep, ConfigurationParts{});
}

bool HasCurrentSetup(const QList<UnitWrite>& writes)
{
    return !writes.isEmpty() && writes.constLast().kind == UnitWrite::Kind::CurrentSetup;
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

    const QList<UnitWrite> writes =
        Load(QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)), unit,
             answer, amStep);
    for (const UnitWrite& write : writes)
        Check(write, unit.facts);
    if (!HasCurrentSetup(writes))
        return 0;
    // What a save of the unit gives loads and saves the same.
    const QByteArray saved = SettingsFileWriter::FileText(Saved(writes, unit, amStep));
    Require(saved.startsWith("<VELTRIX>"));
    const QList<UnitWrite> again = Load(saved, unit, answer, amStep);
    Require(HasCurrentSetup(again) &&
            SettingsFileWriter::FileText(Saved(again, unit, amStep)) == saved);
    return 0;
}
