#pragma once

#include "model/settings_image.h"
#include "setup/setup_flags.h"

#include <QString>

#include <array>

// What the "Surround Modes" page edits: for each input 0..9 of an A/V
// preset the surround mode chosen for each of four kinds of signal, held in
// the preset's surround mode table. Only an A/V preset has the table: for
// the current setup Load gives a record of -1s and Store writes nothing.
//
// `rows` holds the list indexes the page shows, `codes` the table's codes as
// loaded. Store writes a list's code back unchanged when its index is still
// the one the loaded code gave (so an untouched list never changes the
// table, even for a code the list cannot name), and the selected item's
// code otherwise. An index of -1 (no item for the code) keeps the code.
//
// The two-channel lists (stereo, Dolby Digital 2-channel) index the table's
// codes with gaps that depend on the firmware: without PLIIx the items are
// codes 0, 2, 3, 4, 5, ...; with PLIIx, whose two items sit at indexes 4
// and 5, they are 0, 2, 3, 4, 6, 7, 8, ... The multichannel lists (DTS,
// Dolby Digital others) index the codes directly; a K220 offers two more
// Dolby Digital others items (Enhanced Stereo 1 and 2).
struct SurroundModeFields
{
    static constexpr int InputCount = 10;
    static constexpr int ExternalInput = 8; // its row is never shown, but stored
    static constexpr int TunerInput = 9;

    struct Row
    {
        int stereo = -1;
        int dts = -1;
        int dolbyTwoChannel = -1;
        int dolbyOthers = -1;
    };

    std::array<Row, InputCount> rows;
    std::array<SettingsImage::SurroundModes, InputCount> codes;
    // Row labels: the last reported names of the inputs, filled by the flow
    // (Load leaves them empty, Store ignores them). The TUNER row's label is
    // fixed.
    std::array<QString, InputCount> names;

    static SurroundModeFields Load(const SettingsImage& image, const SetupFlags& flags);
    // Takes the codes of input `input` (0..9) as loaded codes, from outside
    // the block (a settings file): the row shows what they give, and Store
    // writes them as they are.
    void Take(int input, const SettingsImage::SurroundModes& modes, const SetupFlags& flags);
    void Store(SettingsImage& image, const SetupFlags& flags) const;

    // List lengths by column and unit.
    static int StereoItems(bool plIIx);
    static int DolbyTwoChannelItems(bool plIIx);
    static int DtsItems();
    static int DolbyOthersItems(bool k220);

    // Two-channel code -> list index, -1 for a negative code or an index at
    // or beyond `items`; list index -> code, -1 outside 0..items-1.
    static int TwoChannelIndex(int code, bool plIIx, int items);
    static int TwoChannelCode(int index, bool plIIx, int items);
    // Multichannel: the code is the index, within 0..items-1.
    static int MultichannelIndex(int code, int items);
};
