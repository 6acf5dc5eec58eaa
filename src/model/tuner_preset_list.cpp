#include "model/tuner_preset_list.h"

#include <algorithm>
#include <cstdlib>

namespace {

// Tuning words: FM counts 50 kHz steps above the 10.7 MHz intermediate
// frequency, AM counts steps above 450 kHz.
constexpr int FmWordOffset = 1070; // 10 kHz units
constexpr int FmWordStep = 5;      // 10 kHz units
constexpr int AmWordOffset = 450;  // kHz

constexpr std::uint8_t EmptyByte = 0xFF;
constexpr int EmptyFmWord = 0xFFFF;

// Positions inside an FM slot.
constexpr int FmNameByte = 2;
constexpr int FmMuteByte = 10;

int NormalStep(int stepSize)
{
    return stepSize == TunerPresetList::AmStep9 ? TunerPresetList::AmStep9
                                                : TunerPresetList::AmStep10;
}

int WordAt(const TunerPresetList::Image& image, int index)
{
    return image[static_cast<std::size_t>(index)] << 8 | image[static_cast<std::size_t>(index + 1)];
}

void PutWord(TunerPresetList::Image& image, int index, int word)
{
    image[static_cast<std::size_t>(index)] = static_cast<std::uint8_t>(word >> 8);
    image[static_cast<std::size_t>(index + 1)] = static_cast<std::uint8_t>(word);
}

// The mute byte: the flag as read from the unit when it fits, 1 for any
// other nonzero value.
std::uint8_t MuteByte(int mute)
{
    if (mute >= 0 && mute <= 0xFF)
        return static_cast<std::uint8_t>(mute);
    return 1;
}

} // namespace

bool TunerPresetList::IsFmFrequency(int frequency)
{
    return frequency >= FmLowest && frequency <= FmHighest;
}

bool TunerPresetList::IsAmFrequency(int frequency)
{
    return frequency >= AmLowest && frequency <= AmHighest;
}

int TunerPresetList::DefaultAmFrequency(int stepSize)
{
    // 530 is not a multiple of 9 kHz; 531 is the band's first 9 kHz channel.
    return stepSize == AmStep9 ? AmLowest + 1 : AmLowest;
}

int TunerPresetList::StepSizeFromFlag(int flag)
{
    return flag != 0 ? AmStep10 : AmStep9;
}

int TunerPresetList::ImageIndexOf(int eepromAddress)
{
    const int index = eepromAddress - ImageAddress;
    return index >= 0 && index < ImageSize ? index : -1;
}

QString TunerPresetList::FmFrequencyText(int frequency)
{
    const QString sign = frequency < 0 ? QStringLiteral("-") : QString();
    const int magnitude = std::abs(frequency);
    return QStringLiteral("%1%2.%3 MHz")
        .arg(sign)
        .arg(magnitude / 100)
        .arg(magnitude % 100, 2, 10, QLatin1Char('0'));
}

QString TunerPresetList::AmFrequencyText(int frequency)
{
    return QStringLiteral("%1 kHz").arg(frequency);
}

QString TunerPresetList::PresetText(int number)
{
    return number == 0 ? QStringLiteral("--") : QString::number(number);
}

bool TunerPresetList::AddFm(int number, int frequency, int mute, const QString& name)
{
    if (FmCount() >= FmCapacity || !IsFmFrequency(frequency))
        return false;
    fm.append(FmPreset{number, frequency, mute, name.trimmed()});
    return true;
}

bool TunerPresetList::AddAm(int number, int frequency)
{
    if (AmCount() >= AmCapacity || !IsAmFrequency(frequency))
        return false;
    am.append(AmPreset{number, frequency});
    return true;
}

bool TunerPresetList::ReplaceFm(int index, const FmPreset& preset)
{
    if (index < 0 || index >= FmCount() || !IsFmFrequency(preset.frequency))
        return false;
    fm[index] = preset;
    fm[index].name = preset.name.trimmed();
    return true;
}

bool TunerPresetList::ReplaceAm(int index, const AmPreset& preset)
{
    if (index < 0 || index >= AmCount() || !IsAmFrequency(preset.frequency))
        return false;
    am[index] = preset;
    return true;
}

bool TunerPresetList::RemoveFm(int index)
{
    if (index < 0 || index >= FmCount())
        return false;
    fm.removeAt(index);
    return true;
}

bool TunerPresetList::RemoveAm(int index)
{
    if (index < 0 || index >= AmCount())
        return false;
    am.removeAt(index);
    return true;
}

void TunerPresetList::Clear()
{
    fm.clear();
    am.clear();
}

int TunerPresetList::FindFm(int number) const
{
    const auto it = std::find_if(fm.cbegin(), fm.cend(),
                                 [number](const FmPreset& p) { return p.number == number; });
    return it == fm.cend() ? -1 : static_cast<int>(it - fm.cbegin());
}

int TunerPresetList::FindAm(int number) const
{
    const auto it = std::find_if(am.cbegin(), am.cend(),
                                 [number](const AmPreset& p) { return p.number == number; });
    return it == am.cend() ? -1 : static_cast<int>(it - am.cbegin());
}

void TunerPresetList::Sort()
{
    const auto byNumber = [](const auto& a, const auto& b) { return a.number < b.number; };
    std::stable_sort(fm.begin(), fm.end(), byNumber);
    std::stable_sort(am.begin(), am.end(), byNumber);
}

int TunerPresetList::NearestFmChannel(int frequency)
{
    const int word = (frequency + FmWordOffset + FmWordStep / 2) / FmWordStep;
    return word * FmWordStep - FmWordOffset;
}

int TunerPresetList::NearestAmChannel(int frequency, int stepSize)
{
    const int step = NormalStep(stepSize);
    return (frequency + AmWordOffset + step / 2) / step * step - AmWordOffset;
}

int TunerPresetList::SnapToUnit()
{
    int changed = 0;
    for (FmPreset& preset : fm) {
        const int frequency = NearestFmChannel(preset.frequency);
        const QString name = preset.name.left(NameLength).trimmed();
        changed += frequency != preset.frequency || name != preset.name;
        preset.frequency = frequency;
        preset.name = name;
    }
    for (AmPreset& preset : am) {
        const int frequency = NearestAmChannel(preset.frequency, amStepSize);
        changed += frequency != preset.frequency;
        preset.frequency = frequency;
    }
    return changed;
}

bool TunerPresetList::SetAmStepSize(int stepSize)
{
    if (stepSize != AmStep9 && stepSize != AmStep10)
        return false;
    amStepSize = stepSize;
    return true;
}

TunerPresetList TunerPresetList::Decode(const Image& image, int stepSize)
{
    TunerPresetList list;
    list.amStepSize = NormalStep(stepSize);

    for (int n = 1; n <= FmCapacity; ++n) {
        const int slot = FmSlotSize * (n - 1);
        const int word = WordAt(image, slot);
        if (word == EmptyFmWord)
            continue;
        const auto* nameBytes = reinterpret_cast<const char*>(image.data() + slot + FmNameByte);
        const auto* nameEnd = std::find(nameBytes, nameBytes + NameLength, '\0');
        const QString name = QString::fromLatin1(nameBytes, nameEnd - nameBytes);
        const int frequency = (word - FmWordOffset / FmWordStep) * FmWordStep;
        list.AddFm(n, frequency, image[static_cast<std::size_t>(slot + FmMuteByte)], name);
    }

    for (int n = 1; n <= AmCapacity; ++n) {
        const int slot = AmSlotsStart + AmSlotSize * (n - 1);
        if (image[static_cast<std::size_t>(slot)] == EmptyByte)
            continue;
        list.AddAm(n, WordAt(image, slot) * list.amStepSize - AmWordOffset);
    }
    return list;
}

TunerPresetList::Image TunerPresetList::Encode(int stepSize) const
{
    Image image;
    image.fill(EmptyByte);

    std::array<bool, FmCapacity + 1> fmUsed{};
    for (const FmPreset& preset : fm) {
        if (preset.number < 1 || preset.number > FmCapacity || fmUsed[preset.number] ||
            !IsFmFrequency(preset.frequency))
            continue;
        fmUsed[preset.number] = true;
        const int slot = FmSlotSize * (preset.number - 1);
        PutWord(image, slot, (preset.frequency + FmWordOffset) / FmWordStep);
        const auto nameStart = image.begin() + slot + FmNameByte;
        // A longer name (a file allows 13 characters) keeps its first 8.
        const QByteArray name = preset.name.toLatin1().left(NameLength);
        std::fill_n(nameStart, NameLength, name.isEmpty() ? 0 : ' ');
        std::copy(name.cbegin(), name.cend(), nameStart);
        image[static_cast<std::size_t>(slot + FmMuteByte)] = MuteByte(preset.mute);
    }

    const int step = NormalStep(stepSize);
    std::array<bool, AmCapacity + 1> amUsed{};
    for (const AmPreset& preset : am) {
        if (preset.number < 1 || preset.number > AmCapacity || amUsed[preset.number] ||
            !IsAmFrequency(preset.frequency))
            continue;
        amUsed[preset.number] = true;
        // The nearest channel of the step: a frequency of the other step (a
        // file from a 10 kHz unit loaded into a 9 kHz one) stays in the band,
        // where cutting it down would turn 530 kHz into 522 and lose it.
        PutWord(image, AmSlotsStart + AmSlotSize * (preset.number - 1),
                (NearestAmChannel(preset.frequency, step) + AmWordOffset) / step);
    }
    return image;
}
