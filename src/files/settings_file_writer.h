#pragma once

#include "model/model_facts.h"
#include "model/settings_image.h"
#include "model/tuner_preset_list.h"
#include "model/unit_configuration.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <array>
#include <optional>

struct SetupFields;
struct SetupFlags;

// The text of a settings file: the current setup, each A/V preset that is
// not empty, the tuner presets, and the end. The values come from the setup
// pages' records, decoded from each block, so the file says what the
// Receiver Setup sheet would show. Every line end (CR CR LF, CR LF in the
// tuner section) is in the text as bytes: a device takes it without
// QIODevice::Text. Texts are single-byte (Latin-1); characters outside it
// become '?'.
//
// Lines of settings the unit's firmware lacks are left out, as the setup
// sheet leaves out their controls: the NEO:6 center gain below v1.23, DTS-ES
// Matrix and DTS Dynamic Range below v1.26, the Enhanced Stereo subsections,
// Zone Volume Control and Zone Relay below v2.00.
class SettingsFileWriter
{
public:
    // What the file says about the unit besides its blocks: the model and
    // firmware texts, and the speakers A and B check marks of the panel.
    struct Unit
    {
        QString modelText;
        QString versionText;
        bool speakerA = false;
        bool speakerB = false;

        static Unit Of(const ModelFacts& facts, bool speakerA, bool speakerB);
        static Unit Of(const UnitConfiguration& configuration);
    };

    // One key line of a block as a comparison sees it: its place ("A/V
    // preset 3 > Speaker Setup"), the key and the value text.
    struct Entry
    {
        QString where;
        QString key;
        QString value;
    };

    // The text of block `presetNumber` (0 the current setup, which starts
    // the file, 1..5 an A/V preset; any other number gives nothing); `fields`
    // were decoded from `image` with `flags`, fields.input.names hold the ten
    // input names.
    static QByteArray BlockText(const Unit& unit, int presetNumber, const SettingsImage& image,
                                const SetupFields& fields, const SetupFlags& flags);
    // Decodes the block with the flags of its unit (the image's facts) first.
    static QByteArray
    BlockText(const Unit& unit, int presetNumber, const SettingsImage& image,
              const std::array<QString, SettingsImage::InputRecordCount>& inputNames = {});
    static QByteArray TunerText(const TunerPresetList& presets);
    static QByteArray EndText();
    // A whole file: the current setup (when the configuration has one), each
    // A/V preset it holds, the tuner presets (none when it has none), the end.
    static QByteArray FileText(const UnitConfiguration& configuration);
    // Every key line of the block's sections, in file order, but the input
    // names; the header (model, firmware, speakers) is not among them.
    static QList<Entry> BlockEntries(int presetNumber, const SettingsImage& image);
};
