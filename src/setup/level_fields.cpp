#include "setup/level_fields.h"

#include "model/settings_image.h"
#include "setup/speaker_fields.h"

namespace {

constexpr std::array<int, LevelFields::ChannelCount> LevelOffsets = {
    SettingsField::FrontLeftLevel,    SettingsField::CenterLevel,
    SettingsField::FrontRightLevel,   SettingsField::SurroundRightLevel,
    SettingsField::BackRightLevel,    SettingsField::BackLeftLevel,
    SettingsField::SurroundLeftLevel, SettingsField::SubwooferLevel};

void StoreByte(SettingsImage& image, int canonical, int code)
{
    if (code >= 0 && code <= 0xFF)
        image.SetByte(canonical, code);
}

} // namespace

LevelFields LevelFields::Load(const SettingsImage& image, const SetupFlags&)
{
    LevelFields fields;
    for (int i = 0; i < ChannelCount; ++i)
        fields.levels[static_cast<std::size_t>(i)] =
            image.Byte(LevelOffsets[static_cast<std::size_t>(i)]);
    fields.bass = image.Byte(SettingsField::Bass);
    fields.treble = image.Byte(SettingsField::Treble);
    return fields;
}

void LevelFields::Store(SettingsImage& image, const SetupFlags&) const
{
    for (int i = 0; i < ChannelCount; ++i)
        StoreByte(image, LevelOffsets[static_cast<std::size_t>(i)],
                  levels[static_cast<std::size_t>(i)]);
    StoreByte(image, SettingsField::Bass, bass);
    StoreByte(image, SettingsField::Treble, treble);
}

LevelFields::Usable LevelFields::UsableFor(const SpeakerFields& speakers, const SetupFlags& flags)
{
    Usable usable;
    usable.center = speakers.HasCenter();
    usable.surround = speakers.HasSurround();
    usable.back = speakers.HasBack();
    usable.subwoofer = speakers.HasSubwoofer(flags);
    usable.backPair = speakers.HasBackPair();
    return usable;
}
