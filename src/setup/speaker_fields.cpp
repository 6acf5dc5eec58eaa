#include "setup/speaker_fields.h"

#include "model/settings_image.h"
#include "setup/setup_flags.h"

namespace {

bool InList(int code, int count)
{
    return code >= 0 && code < count;
}

// Writes a whole-byte code back; -1 (absent) and non-byte values write nothing.
void StoreByte(SettingsImage& image, int canonical, int code)
{
    if (code >= 0 && code <= 0xFF)
        image.SetByte(canonical, code);
}

// Writes a bit-field code back when it fits the field; the other bits stay.
void StoreBits(SettingsImage& image, BitField field, int code)
{
    if (code >= 0 && code < (1 << field.width))
        image.SetBits(field, code);
}

} // namespace

SpeakerFields SpeakerFields::Load(const SettingsImage& image, const SetupFlags& flags)
{
    using namespace SettingsField;
    SpeakerFields fields;
    fields.frontSize = image.Byte(FrontSpeakers);
    fields.center = image.Byte(CenterSpeaker);
    fields.surround = image.Byte(SurroundSpeakers);
    fields.back = image.Byte(BackSpeakers);
    fields.backCount = image.Byte(BackSpeakersSetup);
    fields.frontDistance = image.Byte(FrontDistance);
    fields.centerDistance = image.Byte(CenterDistance);
    fields.surroundDistance = image.Byte(SurroundDistance);
    fields.backDistance = image.Byte(BackDistance);
    fields.distanceUnit = image.Byte(DistanceUnit);
    fields.subwooferSwitch = 0;
    fields.crossover = 0;
    fields.subwooferCombined = 0;
    fields.enhancedBass = 0;
    if (!flags.separateSubwoofer) {
        fields.subwooferCombined = image.Byte(Subwoofer);
    } else {
        fields.subwooferSwitch = image.Bits(SettingsBits::SubwooferOn);
        if (flags.newFirmware) {
            fields.enhancedBass = image.Bits(SettingsBits::EnhancedBass);
            fields.crossover = image.Bits(SettingsBits::Crossover);
        } else {
            fields.crossover = image.Bits(SettingsBits::OldCrossover);
        }
    }
    return fields;
}

void SpeakerFields::Store(SettingsImage& image, const SetupFlags& flags) const
{
    using namespace SettingsField;
    StoreByte(image, FrontSpeakers, frontSize);
    StoreByte(image, CenterSpeaker, center);
    StoreByte(image, SurroundSpeakers, surround);
    StoreByte(image, BackSpeakers, back);
    StoreByte(image, BackSpeakersSetup, backCount);
    StoreByte(image, FrontDistance, frontDistance);
    StoreByte(image, CenterDistance, centerDistance);
    StoreByte(image, SurroundDistance, surroundDistance);
    StoreByte(image, BackDistance, backDistance);
    StoreByte(image, DistanceUnit, distanceUnit);
    if (!flags.separateSubwoofer) {
        StoreByte(image, Subwoofer, subwooferCombined);
        return;
    }
    StoreBits(image, SettingsBits::SubwooferOn, subwooferSwitch);
    if (flags.newFirmware) {
        StoreBits(image, SettingsBits::EnhancedBass, enhancedBass);
        StoreBits(image, SettingsBits::Crossover, crossover);
    } else {
        StoreBits(image, SettingsBits::OldCrossover, crossover);
    }
}

bool SpeakerFields::HasSubwoofer(const SetupFlags& flags) const
{
    return flags.separateSubwoofer ? subwooferSwitch != 0 : subwooferCombined != 0;
}

void SpeakerFields::ApplyRules(const SetupFlags& flags)
{
    if (!HasSubwoofer(flags) && InList(frontSize, FrontSizeCount))
        frontSize = Large;
    if (frontSize == Small) {
        // Only a known size above Small is lowered; Off stays Off.
        for (int* size : {&surround, &back, &center}) {
            if (InList(*size, SpeakerSizeCount) && *size > SmallSpeaker)
                *size = SmallSpeaker;
        }
    }
    if (surround == Off && InList(back, SpeakerSizeCount))
        back = Off;
}

bool SpeakerFields::EnhancedBassShown(const SetupFlags& flags) const
{
    return flags.newFirmware && flags.separateSubwoofer && frontSize == Large;
}
