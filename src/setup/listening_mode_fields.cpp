#include "setup/listening_mode_fields.h"

#include "model/settings_image.h"
#include "setup/setup_flags.h"
#include "setup/speaker_fields.h"

namespace {

void StoreByte(SettingsImage& image, int canonical, int code)
{
    if (code >= 0 && code <= 0xFF)
        image.SetByte(canonical, code);
}

// The channel bits are read and written through the layout correction: on
// units whose block is shorter (the K220) the raw positions of these bytes
// hold other fields.
ListeningModeFields::Channels LoadChannels(const SettingsImage& image, int canonical)
{
    ListeningModeFields::Channels channels{-1, -1, -1, -1};
    for (int i = 0; i < ListeningModeFields::ChannelCount; ++i)
        channels[static_cast<std::size_t>(i)] = image.Bits({canonical, i, 1});
    return channels;
}

void StoreChannels(SettingsImage& image, int canonical,
                   const ListeningModeFields::Channels& channels)
{
    for (int i = 0; i < ListeningModeFields::ChannelCount; ++i) {
        const int on = channels[static_cast<std::size_t>(i)];
        if (on >= 0)
            image.SetBits({canonical, i, 1}, on != 0 ? 1 : 0);
    }
}

static_assert(ListeningModeFields::Front == EnhancedStereoChannel::Front &&
                  ListeningModeFields::Center == EnhancedStereoChannel::Center &&
                  ListeningModeFields::Surround == EnhancedStereoChannel::Surround &&
                  ListeningModeFields::Back == EnhancedStereoChannel::Back,
              "a channel's index is its bit");

} // namespace

ListeningModeFields ListeningModeFields::Load(const SettingsImage& image, const SetupFlags& flags)
{
    using namespace SettingsField;
    ListeningModeFields fields;
    fields.dimension = image.Byte(PlIIDimension);
    fields.centerWidth = image.Byte(PlIICenterWidth);
    fields.panorama = image.Byte(PlIIPanorama);
    if (flags.neo6CenterGain)
        fields.centerGain = image.Byte(Neo6CenterGain);
    if (flags.newFirmware) {
        fields.enhancedStereo1 = LoadChannels(image, EnhancedStereo1);
        fields.enhancedStereo2 = LoadChannels(image, EnhancedStereo2);
    }
    return fields;
}

void ListeningModeFields::Store(SettingsImage& image, const SetupFlags& flags) const
{
    using namespace SettingsField;
    StoreByte(image, PlIIDimension, dimension);
    StoreByte(image, PlIICenterWidth, centerWidth);
    StoreByte(image, PlIIPanorama, panorama);
    if (flags.neo6CenterGain)
        StoreByte(image, Neo6CenterGain, centerGain);
    if (flags.newFirmware) {
        StoreChannels(image, EnhancedStereo1, enhancedStereo1);
        StoreChannels(image, EnhancedStereo2, enhancedStereo2);
    }
}

std::array<bool, ListeningModeFields::ChannelCount>
ListeningModeFields::SwitchableChannels(const SpeakerFields& speakers)
{
    return {true, speakers.HasCenter(), speakers.HasSurround(), speakers.HasBack()};
}
