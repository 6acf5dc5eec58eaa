#pragma once

#include "model/live_status.h"
#include "model/settings_image.h"
#include "model/unit_configuration.h"
#include "setup/setup_fields.h"
#include "setup/setup_flags.h"

#include <QByteArray>
#include <QLatin1String>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>

class QIODevice;

// Reads a settings file into the configuration it holds. A pure step: it
// takes the file's bytes and the facts of the unit whose layout the setup
// blocks take (model, firmware, block size), and sends nothing; LoadPlan
// turns the configuration into the writes of a load.
//
// The file is read line by line in one pass. A part the file does not carry
// stays absent: the current setup is there only when a setup section comes
// before the first A/V preset, and only when the file reaches its first
// preset or its end tag; a preset only at its closing tag; the tuner presets
// only when their section is closed.
//
// Keys and tags are matched ignoring letter case; a line is cut after
// MaxLineLength bytes (the rest of it is skipped), so memory stays bounded
// whatever the file holds. Every index and number read from the file is
// checked before it is used; a damaged value falls back to its key's
// default (0 for most). A code written as a bare decimal number beyond its
// value list (the writer's form for a code the list does not name) is taken
// back as that code when it fits its field.
class SettingsFileReader
{
public:
    static constexpr int MaxLineLength = 4096;
    // A saved settings file is about 13 KB: whoever reads one from a path
    // refuses a larger one than this unread, so a wrong file never keeps the
    // program busy for long (the slowest text of this size reads in about
    // 0.1 s).
    static constexpr qint64 MaxFileSize = 256 * 1024;

    // The answer to the model question ("This file was saved for a ...
    // unit."), asked when the file's model differs from the unit's.
    enum class ModelAnswer
    {
        Unasked,
        Yes,
        No,
    };

    enum class Outcome
    {
        Loaded,           // the configuration holds the file (some parts may be missing)
        ModelQuestion,    // ask `question` with Yes and No, then read again with the answer
        Aborted,          // the model question was answered No: "Processing aborted."
        NotSettingsFile,  // nothing read
        UnitNotSupported, // the unit cannot take settings files, or its block size is unusable
        Unreadable,       // the device could not be read
    };

    // A message for the user: its number in the message table and its
    // arguments (%1, %2, ...).
    struct Notice
    {
        int id = 0;
        QStringList args;
    };

    struct Result
    {
        Outcome outcome = Outcome::NotSettingsFile;
        // What the file holds; empty unless Loaded.
        UnitConfiguration configuration;
        // For the user, after the load (or instead of it).
        QList<Notice> messages;
        Notice question; // ModelQuestion only
    };

    // Loads from the device's start (a device that cannot seek is read from
    // where it stands, so it cannot be asked twice). `unit` gives the model
    // and firmware texts, the block size and the live values that complete
    // the current setup. A file saved for another model gives ModelQuestion
    // with no writes until it is read again with the answer.
    static Result LoadSettingsFile(QIODevice& device, const LiveValues& unit,
                                   ModelAnswer answer = ModelAnswer::Unasked);
    // The facts a file's blocks are laid out with when no unit is at hand
    // (two files compared): the model and firmware of its header and the
    // block size such a unit has. Read from the device's start; a header
    // without a model gives empty texts.
    static ModelFacts FileFacts(QIODevice& device);

    // The value of a line for a key: after leading white space the line
    // begins with the key (letter case ignored); the value is the rest with
    // white space removed at both ends, and one leading "=" with the white
    // space after it. No value when the line does not begin with the key.
    static std::optional<QString> GetValue(QStringView line, QLatin1String key);
    // The text up to its first "."; its decimal digits, the rightmost as
    // units, skipping any other character; a "-" met while scanning leftwards
    // makes the result negative and ends the scan. Empty text gives 0. The
    // result saturates at +-MaxNumber.
    static int ParseInteger(QStringView text);
    // As ParseInteger for the part before the first ".", plus the digits
    // after it as tenths, hundredths and so on.
    static double ParseDecimal(QStringView text);
    // ParseDecimal in tenths, cut toward zero, without rounding errors.
    static int ParseTenths(QStringView text);

    static constexpr int MaxNumber = 999999999;

private:
    SettingsFileReader(QIODevice& device, const LiveValues& unit, ModelAnswer answer);

    // What one line did to the reading.
    enum class LineEffect
    {
        Next,     // go on with the next line
        Ended,    // the root's end tag
        Aborted,  // the model question was answered No
        Question, // the model question must be asked first (result holds it)
    };

    Result Run();
    bool UnitAccepts();
    LineEffect ApplyLine(const QString& trimmed);
    LineEffect ApplyModelLine(const QString& trimmed);
    bool NextLine(QString& line);
    bool Contains(const QString& line, const char* text) const;
    struct SectionLine;
    // Hands each line of a section to `apply` (void(SectionLine&)) until a
    // line that contains "</", which is consumed and ends the section, or
    // the end of the file; true when the closing line was met.
    template <typename Apply> bool ForEachLine(Apply apply);

    void StartBlock();
    void SettleBlock();
    void CommitCurrentSetup();
    void OpenCurrentSection();
    void ClosePreset();
    void ReadInputSettings();
    void ReadInputRecord(int input);
    void ReadSurroundModes();
    void ReadSpeakerSetup();
    void ReadCutoff(const QString& value);
    void ReadLevelSetup();
    void ReadListeningModes();
    void ReadEnhancedStereo(ListeningModeFields::Channels& channels);
    void ReadAdvanced();
    void ReadTunerPresets(const QString& tagLine);

    QIODevice& device;
    const LiveValues& unit;
    ModelAnswer answer;
    Result result;

    // The block being assembled: its input records and the header's speaker
    // bits in the image, every other field in the pages' records, which
    // SettleBlock stores into it.
    SettingsImage buffer;
    SetupFlags flags;
    SetupFields fields;
    bool isCommitted = false;
    bool currentInFile = false; // a setup section came before the first preset
    int preset = 0;             // 0 while the current setup is assembled
    bool askedModel = false;
};
