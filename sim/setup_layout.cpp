#include "setup_layout.h"

namespace {

// Fields that only some firmware has.
constexpr int NeoCenterGain = 36;
constexpr int EnhancedStereo1 = 38;
constexpr int EnhancedStereo2 = 39;
constexpr int SpeakerOutputs = 62;
constexpr int FirstCommonField = 30;

} // namespace

SetupLayout::SetupLayout(const ModelFacts& modelFacts) : facts(modelFacts)
{
    facts.blockSize = facts.ImageOffset(ModelFacts::FullLayoutSize);
}

int SetupLayout::PresetBase(int k) const
{
    return BlockBase() + k * (BlockSize() + SurroundTableSize + 1);
}

int SetupLayout::Position(int canonical) const
{
    if (canonical < 0 || canonical >= ModelFacts::FullLayoutSize)
        return -1;
    if (canonical < FirstCommonField && !facts.HasExtendedLayout())
        return -1;
    // Older firmware packs these bytes away; their canonical neighbours take
    // the place, so writing them would clobber another field.
    if (canonical == NeoCenterGain && facts.VersionBelow(QStringLiteral("v1.23")))
        return -1;
    if ((canonical == EnhancedStereo1 || canonical == EnhancedStereo2) &&
        facts.VersionBelow(QStringLiteral("v2.00")))
        return -1;
    if (canonical == SpeakerOutputs && !facts.HasSpeakerSwitching())
        return -1;
    const int position = facts.ImageOffset(canonical);
    return position >= 0 && position < BlockSize() ? position : -1;
}
