#include "files/load_plan.h"

#include "model/settings_field.h"
#include "transfer/eeprom_map.h"

namespace LoadPlan {

ConfigurationParts Written(const UnitConfiguration& file, const ConfigurationParts& parts)
{
    ConfigurationParts written = ConfigurationParts::None();
    written.currentSetup = parts.currentSetup && file.currentSetup.has_value();
    for (const QString& name : file.inputNames)
        written.inputNames = written.inputNames || (parts.inputNames && !name.isEmpty());
    for (int k = 1; k <= UnitConfiguration::PresetCount; ++k)
        written.presets[static_cast<std::size_t>(k - 1)] = parts.Preset(k) && file.Preset(k);
    written.tuner = parts.tuner && file.tuner.has_value();
    return written;
}

SettingsImage CurrentSetup(const SettingsImage& file, const LiveValues& unit)
{
    using namespace SettingsField;
    SettingsImage setup = file;
    const bool shared = setup.Position(ZoneVolumeControl) == setup.Position(ZoneVolume);
    const bool fixed = setup.Byte(ZoneVolumeControl) == SettingsCode::ZoneVolumeFixed;
    setup.FillFromLiveStatus(unit);
    if (shared && fixed)
        setup.SetByte(ZoneVolumeControl, SettingsCode::ZoneVolumeFixed);
    return setup;
}

QList<UnitWrite> Writes(const UnitConfiguration& file, const LiveValues& unit, int unitAmStep,
                        const ConfigurationParts& parts)
{
    const ConfigurationParts written = Written(file, parts);
    QList<UnitWrite> writes;
    if (written.inputNames) {
        for (int d = 0; d < SettingsImage::InputRecordCount; ++d) {
            const QString& name = file.inputNames[static_cast<std::size_t>(d)];
            if (name.isEmpty())
                continue;
            UnitWrite rename;
            rename.kind = UnitWrite::Kind::InputName;
            rename.index = d;
            rename.name = name;
            rename.pauseAfter = RenamePause;
            writes.append(rename);
        }
    }
    for (int k = 1; k <= UnitConfiguration::PresetCount; ++k) {
        if (!written.Preset(k))
            continue;
        const SettingsImage& block = *file.Preset(k);
        const int size = block.Size();
        const int status = EepromMap::PresetAddress(unit.facts.BlockSizeAddress(), size, k);
        UnitWrite mark;
        mark.kind = UnitWrite::Kind::PresetStatus;
        mark.index = k;
        mark.address = status;
        mark.bytes = QByteArray(1, static_cast<char>(size));
        writes.append(mark);
        UnitWrite data;
        data.kind = UnitWrite::Kind::PresetBlock;
        data.index = k;
        data.address = status + 1;
        data.bytes = block.BlockAndTableBytes();
        writes.append(data);
    }
    if (written.tuner) {
        UnitWrite tuner;
        tuner.kind = UnitWrite::Kind::TunerPresets;
        tuner.address = EepromMap::TunerImage;
        tuner.tuner = *file.tuner;
        tuner.amStepSize = unitAmStep == TunerPresetList::AmStep9 ? TunerPresetList::AmStep9
                                                                  : TunerPresetList::AmStep10;
        const TunerPresetList::Image image = file.tuner->Encode(tuner.amStepSize);
        tuner.bytes = QByteArray(reinterpret_cast<const char*>(image.data()),
                                 static_cast<qsizetype>(image.size()));
        writes.append(tuner);
    }
    if (written.currentSetup) {
        UnitWrite current;
        current.kind = UnitWrite::Kind::CurrentSetup;
        current.index = 0;
        current.setup = CurrentSetup(*file.currentSetup, unit);
        current.bytes = current.setup.BlockBytes();
        writes.append(current);
    }
    return writes;
}

} // namespace LoadPlan
