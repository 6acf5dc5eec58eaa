#include "setup/input_fields.h"

#include "model/settings_field.h"
#include "model/settings_image.h"

namespace {

constexpr int FirstVideoWithoutComponent = 4; // VIDEO 4
constexpr int LastVideo = 6;                  // VIDEO 6
constexpr int Component = 2;
constexpr int FirstRowWithoutComponent = 3; // VIDEO 4

} // namespace

bool InputFields::TriggerLists(const SetupFlags& flags)
{
    return flags.extendedLayout && flags.newFirmware;
}

bool InputFields::HasVideoFormats(const SetupFlags& flags)
{
    return flags.extendedLayout && flags.modelText.endsWith(u'V', Qt::CaseInsensitive);
}

bool InputFields::HasVideoFormat(const SetupFlags& flags, int input)
{
    return HasVideoFormats(flags) && input >= 0 && input < TunerInput;
}

int InputFields::DefaultFormatItems(int input)
{
    return input < FirstRowWithoutComponent ? FormatItemsWithComponent
                                            : FormatItemsWithoutComponent;
}

InputFields::FormatList InputFields::RefillFormat(int video, int selection, int items)
{
    if (video > VideoOff && video < FirstVideoWithoutComponent)
        return {FormatItemsWithComponent, true, selection < 0 ? 0 : selection};
    if (video >= FirstVideoWithoutComponent && video <= LastVideo)
        return {FormatItemsWithoutComponent, true,
                selection < 0 || selection == Component ? 0 : selection};
    return {items, false, selection};
}

InputFields InputFields::Load(const SettingsImage& image, const SetupFlags& flags)
{
    InputFields fields;
    for (int i = 0; i < InputCount; ++i) {
        const SettingsImage::InputRecord record = image.Input(i);
        Row& row = fields.rows[static_cast<std::size_t>(i)];
        row.digitalAudio = record.digitalSource;
        row.trigger1 = record.trigger1;
        row.trigger2 = record.trigger2;
        row.video = record.videoSource;
        row.analogAudio = record.analogSource;
        if (HasAnalogGain(flags))
            row.analogGain = record.analogGain;
        if (HasVideoFormat(flags, i))
            row.videoFormat = record.videoFormat;
    }
    if (TriggerSources(flags)) {
        fields.trigger1Source = image.Bits(SettingsBits::OldTrigger1Source);
        fields.trigger2Source = image.Bits(SettingsBits::OldTrigger2Source);
    }
    return fields;
}

void InputFields::Store(SettingsImage& image, const SetupFlags& flags) const
{
    for (int i = 0; i < InputCount; ++i) {
        const Row& row = rows[static_cast<std::size_t>(i)];
        SettingsImage::InputRecord record;
        record.digitalSource = row.digitalAudio;
        record.trigger1 = row.trigger1;
        record.trigger2 = row.trigger2;
        record.videoSource = row.video;
        record.analogSource = row.analogAudio;
        if (HasAnalogGain(flags))
            record.analogGain = row.analogGain;
        if (HasVideoFormat(flags, i))
            record.videoFormat = row.videoFormat;
        image.SetInput(i, record);
    }
    if (TriggerSources(flags)) {
        if (trigger1Source >= 0)
            image.SetBits(SettingsBits::OldTrigger1Source, trigger1Source);
        if (trigger2Source >= 0)
            image.SetBits(SettingsBits::OldTrigger2Source, trigger2Source);
    }
}

void InputFields::SetName(int input, const QString& text)
{
    if (input < 0 || input >= InputCount)
        return;
    QString name = text;
    while (!name.isEmpty() && name.back().isSpace())
        name.chop(1);
    if (!name.isEmpty())
        names[static_cast<std::size_t>(input)] = name;
}
