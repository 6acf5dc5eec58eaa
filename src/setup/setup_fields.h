#pragma once

#include "setup/advanced_fields.h"
#include "setup/input_fields.h"
#include "setup/level_fields.h"
#include "setup/listening_mode_fields.h"
#include "setup/speaker_fields.h"
#include "setup/surround_mode_fields.h"

class SettingsImage;
struct SetupFlags;

// Every field of one setup block as the pages of the Receiver Setup sheet
// edit it: what the sheet shows, and what a settings file or a command line
// reads and writes without a window.
struct SetupFields
{
    InputFields input;           // the current setup's inputs (and the ten names)
    SurroundModeFields surround; // an A/V preset's surround mode table
    SpeakerFields speaker;
    LevelFields level;
    ListeningModeFields listening;
    AdvancedFields advanced; // with the preset name on v2.00 on

    // Decodes every page's fields; the input names stay empty (the caller
    // fills them from the unit's captions).
    static SetupFields Load(const SettingsImage& image, const SetupFlags& flags);
    // Encodes the pages of the block's sheet back: the Input page for the
    // current setup, the Surround Modes page for an A/V preset, and the four
    // pages both have.
    void Store(SettingsImage& image, const SetupFlags& flags) const;
};
