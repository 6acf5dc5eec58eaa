#include "setup/surround_mode_fields.h"

namespace {

// Two-channel codes: 1 has no list item; with PLIIx neither has 5, and the
// PLIIx items take 6 and 7.
constexpr int FirstGap = 1;
constexpr int PlIIxGap = 4;

constexpr int TwoChannelItems = 10;
constexpr int DolbyTwoChannelItemsWithoutPlIIx = 4;
constexpr int PlIIxItems = 2;
constexpr int MultichannelItems = 2;
constexpr int K220EnhancedStereoItems = 2;

// The code stored for a list choice: the loaded code while the list still
// shows what that code gave, the chosen item's code after a change.
int StoredCode(int loaded, int index, int loadedIndex, int chosen)
{
    if (index < 0 || index == loadedIndex || chosen < 0)
        return loaded;
    return chosen;
}

} // namespace

int SurroundModeFields::StereoItems(bool plIIx)
{
    return TwoChannelItems + (plIIx ? PlIIxItems : 0);
}

int SurroundModeFields::DolbyTwoChannelItems(bool plIIx)
{
    return DolbyTwoChannelItemsWithoutPlIIx + (plIIx ? PlIIxItems : 0);
}

int SurroundModeFields::DtsItems()
{
    return MultichannelItems;
}

int SurroundModeFields::DolbyOthersItems(bool k220)
{
    return MultichannelItems + (k220 ? K220EnhancedStereoItems : 0);
}

int SurroundModeFields::TwoChannelIndex(int code, bool plIIx, int items)
{
    if (code < 0)
        return -1;
    int index = code;
    if (plIIx && index > PlIIxGap)
        --index;
    if (index > FirstGap)
        --index;
    return index < items ? index : -1;
}

int SurroundModeFields::TwoChannelCode(int index, bool plIIx, int items)
{
    if (index < 0 || index >= items)
        return -1;
    if (index == 0)
        return 0;
    int code = index + 1;
    if (plIIx && code > PlIIxGap)
        ++code;
    return code;
}

int SurroundModeFields::MultichannelIndex(int code, int items)
{
    return code >= 0 && code < items ? code : -1;
}

SurroundModeFields SurroundModeFields::Load(const SettingsImage& image, const SetupFlags& flags)
{
    SurroundModeFields fields;
    if (!flags.EditingPreset())
        return fields;
    for (int i = 0; i < InputCount; ++i)
        fields.Take(i, image.Surround(i), flags);
    return fields;
}

void SurroundModeFields::Take(int input, const SettingsImage::SurroundModes& modes,
                              const SetupFlags& flags)
{
    if (input < 0 || input >= InputCount)
        return;
    const auto at = static_cast<std::size_t>(input);
    const bool plIIx = flags.PlIIx();
    codes[at] = modes;
    Row& row = rows[at];
    row.stereo = TwoChannelIndex(modes.stereo, plIIx, StereoItems(plIIx));
    row.dts = MultichannelIndex(modes.dts, DtsItems());
    row.dolbyTwoChannel =
        TwoChannelIndex(modes.dolbyTwoChannel, plIIx, DolbyTwoChannelItems(plIIx));
    row.dolbyOthers = MultichannelIndex(modes.dolbyOthers, DolbyOthersItems(flags.IsK220()));
}

void SurroundModeFields::Store(SettingsImage& image, const SetupFlags& flags) const
{
    if (!flags.EditingPreset())
        return;
    const bool plIIx = flags.PlIIx();
    const int stereoItems = StereoItems(plIIx);
    const int dolbyItems = DolbyTwoChannelItems(plIIx);
    const int othersItems = DolbyOthersItems(flags.IsK220());
    for (int i = 0; i < InputCount; ++i) {
        const auto at = static_cast<std::size_t>(i);
        const SettingsImage::SurroundModes& loaded = codes[at];
        const Row& row = rows[at];
        SettingsImage::SurroundModes modes;
        modes.stereo = StoredCode(loaded.stereo, row.stereo,
                                  TwoChannelIndex(loaded.stereo, plIIx, stereoItems),
                                  TwoChannelCode(row.stereo, plIIx, stereoItems));
        modes.dolbyTwoChannel =
            StoredCode(loaded.dolbyTwoChannel, row.dolbyTwoChannel,
                       TwoChannelIndex(loaded.dolbyTwoChannel, plIIx, dolbyItems),
                       TwoChannelCode(row.dolbyTwoChannel, plIIx, dolbyItems));
        modes.dts = StoredCode(loaded.dts, row.dts, MultichannelIndex(loaded.dts, DtsItems()),
                               MultichannelIndex(row.dts, DtsItems()));
        modes.dolbyOthers = StoredCode(loaded.dolbyOthers, row.dolbyOthers,
                                       MultichannelIndex(loaded.dolbyOthers, othersItems),
                                       MultichannelIndex(row.dolbyOthers, othersItems));
        image.SetSurround(i, modes);
    }
}
