#include "setup/setup_fields.h"

#include "model/settings_image.h"
#include "setup/setup_flags.h"

SetupFields SetupFields::Load(const SettingsImage& image, const SetupFlags& flags)
{
    SetupFields fields;
    fields.input = InputFields::Load(image, flags);
    fields.surround = SurroundModeFields::Load(image, flags);
    fields.speaker = SpeakerFields::Load(image, flags);
    fields.level = LevelFields::Load(image, flags);
    fields.listening = ListeningModeFields::Load(image, flags);
    fields.advanced = AdvancedFields::Load(image, flags);
    return fields;
}

void SetupFields::Store(SettingsImage& image, const SetupFlags& flags) const
{
    if (flags.EditingPreset())
        surround.Store(image, flags);
    else
        input.Store(image, flags);
    speaker.Store(image, flags);
    level.Store(image, flags);
    listening.Store(image, flags);
    advanced.Store(image, flags);
}
