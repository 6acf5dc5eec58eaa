#pragma once

#include "setup/setup_flags.h"

#include <QString>

#include <array>

class SettingsImage;

// What the "Input Settings" page edits: per input 0..9 the connectors, the
// triggers and the analog gain of the input record, the old firmware's two
// trigger sources, and the ten input names.
//
// Every field holds the code of the setup block, which is also the list
// index of its control (check state 0/1 for trigger flags); -1 means the
// unit has no such field. A code without a list item (say digital source 9)
// is kept as it is: the page shows no selection and, unless the user picks
// an item, Store writes the same code back.
//
// The names are not part of the block: the flow fills them from the control
// panel's captions after Load and compares them after the sheet closes, so
// Load leaves them empty and Store ignores them.
struct InputFields
{
    static constexpr int InputCount = 10;
    static constexpr int TunerInput = 9;
    static constexpr int NameLength = 13;

    // Video codes and the video format list's lengths.
    static constexpr int VideoOff = 0;
    static constexpr int FormatItemsWithComponent = 3; // COMPOSITE, S-VIDEO, COMPONENT
    static constexpr int FormatItemsWithoutComponent = 2;

    struct Row
    {
        int digitalAudio = -1; // 0 OFF, 1 OPTICAL 1 .. 6 COAX 6
        // Trigger lists (TriggerLists): 0 None, 1 Main, 2 Zone, 3 Both.
        // Check boxes otherwise: 0 off, 1 on.
        int trigger1 = -1;
        int trigger2 = -1;
        int video = -1;       // 0 OFF, 1 DVD .. 6 VIDEO 6
        int videoFormat = -1; // 0 COMPOSITE, 1 S-VIDEO, 2 COMPONENT; "V" models, inputs 0..8
        int analogAudio = -1; // 0 OFF .. 9 EXT 7.1, 10 TUNER
        int analogGain = -1;  // 0..8 for -12..+12 dB; extended layout only
    };

    std::array<Row, InputCount> rows;
    // Firmware below v2.00 only, canonical 30 bits 0 and 1: 0 Main, 1 Zone.
    int trigger1Source = -1;
    int trigger2Source = -1;
    std::array<QString, InputCount> names;

    static InputFields Load(const SettingsImage& image, const SetupFlags& flags);
    void Store(SettingsImage& image, const SetupFlags& flags) const;

    // Sets name `input` to `text` without trailing blanks; an empty result
    // (or an input outside 0..9) leaves the name as it was.
    void SetName(int input, const QString& text);

    // The triggers are two-bit codes chosen from lists only on units with
    // the extended layout and firmware v2.00 or later; everywhere else they
    // are on/off flags (a K220 record has no room for codes).
    static bool TriggerLists(const SetupFlags& flags);
    // The old firmware's trigger source lists below the rows.
    static bool TriggerSources(const SetupFlags& flags) { return !flags.newFirmware; }
    static bool HasAnalogGain(const SetupFlags& flags) { return flags.extendedLayout; }
    // The video format is kept in the record only on the "V" models.
    static bool HasVideoFormats(const SetupFlags& flags);
    static bool HasVideoFormat(const SetupFlags& flags, int input);

    // Items of input `input`'s video format list before any refill.
    static int DefaultFormatItems(int input);

    // The video format list of one row after its Video choice became
    // `video`, given its current selection and length: a DVD, SAT or VCR
    // source offers COMPONENT, VIDEO 4..6 do not (a selected COMPONENT
    // falls back to COMPOSITE), OFF or no source disables the list as it is.
    // An enabled list always has a selection.
    struct FormatList
    {
        int items = 0;
        bool enabled = false;
        int selection = -1;
    };
    static FormatList RefillFormat(int video, int selection, int items);
};
