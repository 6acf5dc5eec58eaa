#include "setup/advanced_fields.h"

#include "model/settings_field.h"
#include "model/settings_image.h"

namespace {

constexpr int BackgroundBit = 0x01;
constexpr int TemporaryOsdBit = 0x02;

} // namespace

bool AdvancedFields::HasPresetName(const SetupFlags& flags)
{
    return flags.EditingPreset() && flags.newFirmware;
}

bool AdvancedFields::ShowsOsdOptions(const SetupFlags& flags)
{
    return !flags.modelText.endsWith(u'V', Qt::CaseInsensitive);
}

AdvancedFields AdvancedFields::Load(const SettingsImage& image, const SetupFlags& flags)
{
    using namespace SettingsBits;
    AdvancedFields fields;
    fields.mainZoneDsp = image.Bits(MainZoneDsp);
    fields.surroundExMode = image.Bits(DolbyExMode);
    fields.dtsEsMatrix = image.Bits(DtsEsMatrix);
    if (flags.newFirmware) {
        fields.autoTrigger = image.Bits(AutoTrigger);
        fields.relay = image.Bits(ZoneRelay);
        fields.loadedLastByte = image.Byte(SettingsField::ZoneVolumeControl);
        if (fields.loadedLastByte >= 0)
            fields.volumeControl = fields.loadedLastByte == SettingsCode::ZoneVolumeFixed
                                       ? VolumeFixed
                                       : VolumeVariable;
    } else {
        fields.autoTrigger = image.Bits(OldAutoTrigger);
        fields.relay = image.Bits(OldZoneRelay);
    }
    fields.background = image.Bits(OsdBackground);
    if (flags.temporaryOsd)
        fields.temporaryOsd = image.Bits(TemporaryOsd);
    else if (fields.background >= 0)
        fields.temporaryOsd = 0;
    if (flags.dtsDynamicRange) {
        fields.dolbyDynamicRange = image.Bits(DolbyDynamicRange);
        fields.dtsDynamicRange = image.Bits(DtsDynamicRange);
    } else {
        fields.dolbyDynamicRange = image.Byte(SettingsField::DynamicRange);
    }
    if (HasPresetName(flags))
        fields.presetName = image.PresetName();
    return fields;
}

void AdvancedFields::Store(SettingsImage& image, const SetupFlags& flags) const
{
    using namespace SettingsBits;
    // A field of -1 was not loaded (no such byte in the block): nothing to write.
    const auto put = [&image](BitField field, int value) {
        if (value >= 0)
            image.SetBits(field, value);
    };
    put(MainZoneDsp, mainZoneDsp);
    put(DolbyExMode, surroundExMode);
    put(DtsEsMatrix, dtsEsMatrix);
    if (flags.newFirmware) {
        put(AutoTrigger, autoTrigger);
        put(ZoneRelay, relay);
        if (volumeControl == VolumeFixed) {
            image.SetByte(SettingsField::ZoneVolumeControl, SettingsCode::ZoneVolumeFixed);
        } else if (volumeControl == VolumeVariable) {
            // The byte that says "Variable" is the zone volume itself on
            // every unit whose block ends with it; only a change from Fixed
            // writes the program's Variable marker.
            const bool wasVariable =
                loadedLastByte >= 0 && loadedLastByte != SettingsCode::ZoneVolumeFixed;
            if (!wasVariable)
                image.SetByte(SettingsField::ZoneVolumeControl, SettingsCode::ZoneVolumeVariable);
        }
    } else {
        // Bits 0 and 1 are the Input page's trigger sources here; the relay
        // is shown but not stored.
        put(OldAutoTrigger, autoTrigger);
    }
    // The on-screen display byte is rebuilt whole.
    if (background >= 0) {
        int osd = background != 0 ? BackgroundBit : 0;
        if (flags.temporaryOsd && temporaryOsd > 0)
            osd |= TemporaryOsdBit;
        image.SetByte(SettingsField::OnScreenDisplay, osd);
    }
    if (flags.dtsDynamicRange) {
        put(DolbyDynamicRange, dolbyDynamicRange);
        put(DtsDynamicRange, dtsDynamicRange);
    } else if (dolbyDynamicRange >= 0) {
        image.SetByte(SettingsField::DynamicRange, dolbyDynamicRange);
    }
    if (HasPresetName(flags))
        image.SetPresetName(presetName.left(PresetNameLength));
}
