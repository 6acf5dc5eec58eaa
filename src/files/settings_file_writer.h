#pragma once

#include "model/model_facts.h"
#include "model/settings_image.h"
#include "model/tuner_preset_list.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <optional>

class QIODevice;
struct SetupFields;
struct SetupFlags;

// Writes a settings file block by block, the way the save chain reads the
// unit: the current setup (which opens the file), each A/V preset that is
// not empty, the tuner presets, and the end. Each block's text is built
// whole and written in one piece. The values come from the setup pages'
// records, decoded from the block just read, so the file says what the
// Receiver Setup sheet would show.
//
// The device is opened by the caller for writing, without QIODevice::Text:
// every line end (CR CR LF, CR LF in the tuner section) is written as bytes.
// The writer never closes the device. Texts are single-byte (Latin-1);
// characters outside it become '?'.
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
    };

    // A whole file's worth, for writing without the chain (tests, a command
    // line). A preset without a value is empty and left out.
    struct Content
    {
        Unit unit;
        SettingsImage currentSetup;
        std::array<QString, SettingsImage::InputRecordCount> inputNames;
        std::array<std::optional<SettingsImage>, 5> presets; // A/V presets 1..5
        TunerPresetList tuner;
    };

    SettingsFileWriter(QIODevice& device, const Unit& unit);

    // Appends the block of `presetNumber` (0 the current setup, which starts
    // the file, 1..5 an A/V preset); `fields` were decoded from `image` with
    // `flags`, and fields.input.names hold the ten input names. Any other
    // number writes nothing. False when the device took less than the whole
    // text; ErrorString then says why.
    bool WriteSettingsBlock(int presetNumber, const SettingsImage& image, const SetupFields& fields,
                            const SetupFlags& flags);
    // The tuner preset section, one level deep.
    bool WriteTunerPresets(const TunerPresetList& presets);
    // The root end tag, without a line end.
    bool WriteEnd();

    QString ErrorString() const { return error; }

    // The texts the functions above write.
    static QByteArray BlockText(const Unit& unit, int presetNumber, const SettingsImage& image,
                                const SetupFields& fields, const SetupFlags& flags);
    // Decodes the block with the flags of its unit (the image's facts) first.
    static QByteArray
    BlockText(const Unit& unit, int presetNumber, const SettingsImage& image,
              const std::array<QString, SettingsImage::InputRecordCount>& inputNames = {});
    static QByteArray TunerText(const TunerPresetList& presets);
    static QByteArray EndText();
    static QByteArray FileText(const Content& content);

private:
    bool Write(const QByteArray& text);

    QIODevice& device;
    Unit unit;
    QString error;
};
