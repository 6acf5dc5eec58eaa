#include "files/settings_file_reader.h"

#include "common/message_table.h"
#include "common/text.h"
#include "files/settings_file_format.h"
#include "files/settings_file_gate.h"
#include "model/settings_field.h"
#include "setup/setup_flags.h"
#include "transfer/eeprom_map.h"
#include "tuner/tuner_preset_file.h"

#include <QIODevice>

#include <algorithm>

namespace {

namespace Format = SettingsFileFormat;
namespace Keys = SettingsFileFormat::Keys;

bool Is(QStringView value, const char* text)
{
    return value.compare(QLatin1String(text), Qt::CaseInsensitive) == 0;
}

QString TrimmedLine(const QString& line)
{
    return line.trimmed();
}

} // namespace

SettingsFileReader::SettingsFileReader(QIODevice& source, const LiveValues& facts,
                                       ModelAnswer given)
    : device(source), unit(facts), answer(given)
{}

SettingsFileReader::Result
SettingsFileReader::LoadSettingsFile(QIODevice& device, const LiveValues& unit, ModelAnswer answer)
{
    SettingsFileReader reader(device, unit, answer);
    return reader.Run();
}

bool SettingsFileReader::NextLine(QString& line)
{
    QByteArray bytes = device.readLine(MaxLineLength);
    if (bytes.isEmpty())
        return false;
    if (!bytes.endsWith('\n') && bytes.size() >= MaxLineLength) {
        // The rest of an overlong line is skipped, a bounded piece at a time.
        for (;;) {
            const QByteArray rest = device.readLine(MaxLineLength);
            if (rest.isEmpty() || rest.endsWith('\n'))
                break;
        }
    }
    while (!bytes.isEmpty() && (bytes.endsWith('\n') || bytes.endsWith('\r')))
        bytes.chop(1);
    line = QString::fromLatin1(bytes);
    return true;
}

bool SettingsFileReader::Contains(const QString& line, const char* text) const
{
    return line.contains(QLatin1String(text), Qt::CaseInsensitive);
}

// The unit can take a file: the device reads, the gates pass, the block
// size is usable. Otherwise the result says why.
bool SettingsFileReader::UnitAccepts()
{
    const ModelFacts& facts = unit.facts;
    if (!device.isOpen() || !device.isReadable()) {
        result.outcome = Outcome::Unreadable;
        result.messages.append(Notice{Message::FileUnreadable, {device.errorString()}});
        return false;
    }
    if (const int refusal = SettingsFileGate::LoadRefusal(facts)) {
        result.outcome = Outcome::UnitNotSupported;
        result.messages.append(Notice{refusal, {}});
        return false;
    }
    if (!SettingsImage::IsAcceptableBlockSize(facts.blockSize)) {
        result.outcome = Outcome::UnitNotSupported;
        if (facts.blockSize < 0)
            result.messages.append(Notice{Message::BlockSizeUnknown, {}});
        else
            result.messages.append(
                Notice{Message::BlockSizeInvalid, {QString::number(facts.blockSize)}});
        return false;
    }
    return true;
}

SettingsFileReader::Result SettingsFileReader::Run()
{
    if (!UnitAccepts())
        return result;
    if (!device.isSequential())
        device.seek(0);

    QString line;
    if (!NextLine(line) || !Contains(line, Format::RootTag)) {
        result.outcome = Outcome::NotSettingsFile;
        result.messages.append(Notice{Message::NotSettingsFile, {}});
        return result;
    }

    StartBlock();
    LineEffect effect = LineEffect::Next;
    // The first line is a line of the file like any other.
    do {
        effect = ApplyLine(TrimmedLine(line));
        if (effect == LineEffect::Question)
            return result;
    } while (effect == LineEffect::Next && NextLine(line));

    const bool aborted = effect == LineEffect::Aborted;
    if (aborted)
        result.messages.append(Notice{Message::ProcessingAborted, {}});
    else if (effect != LineEffect::Ended)
        result.messages.append(Notice{Message::FileEndedEarly, {}});
    if (aborted)
        result.configuration = UnitConfiguration{};
    result.outcome = aborted ? Outcome::Aborted : Outcome::Loaded;
    return result;
}

ModelFacts SettingsFileReader::FileFacts(QIODevice& device)
{
    ModelFacts facts;
    if (!device.isSequential())
        device.seek(0);
    constexpr int HeaderLines = 16;
    for (int i = 0; i < HeaderLines && !device.atEnd(); ++i) {
        const QString line = QString::fromLatin1(device.readLine(MaxLineLength)).trimmed();
        if (const auto model = GetValue(line, QLatin1String(Keys::Model.name)))
            facts.modelText = *model;
        else if (const auto version = GetValue(line, QLatin1String(Keys::OriginalFirmware.name)))
            facts.versionText = *version;
    }
    facts.blockSize = facts.ImageOffset(ModelFacts::FullLayoutSize);
    if (!device.isSequential())
        device.seek(0);
    return facts;
}

// The model line: a file saved for another model asks once; No ends the
// reading with nothing written.
SettingsFileReader::LineEffect SettingsFileReader::ApplyModelLine(const QString& trimmed)
{
    const std::optional<QString> model = GetValue(trimmed, QLatin1String(Keys::Model.name));
    if (model)
        result.configuration.modelText = *model;
    if (!model || model->compare(unit.facts.modelText, Qt::CaseInsensitive) == 0 || askedModel)
        return LineEffect::Next;
    if (answer == ModelAnswer::Unasked) {
        result = Result{};
        result.outcome = Outcome::ModelQuestion;
        result.question = Notice{Message::ModelMismatch, {*model}};
        return LineEffect::Question;
    }
    askedModel = true;
    return answer == ModelAnswer::No ? LineEffect::Aborted : LineEffect::Next;
}

SettingsFileReader::LineEffect SettingsFileReader::ApplyLine(const QString& trimmed)
{
    const ModelFacts& facts = unit.facts;
    if (Contains(trimmed, Keys::Model.name))
        return ApplyModelLine(trimmed);
    if (Contains(trimmed, "Firmware")) {
        // The firmware the file was saved from changes nothing in a load.
        if (const auto version = GetValue(trimmed, QLatin1String(Keys::OriginalFirmware.name)))
            result.configuration.versionText = *version;
        return LineEffect::Next;
    }
    for (const auto& [key, bits] : {std::pair{Keys::SpeakerA.name, SettingsBits::SpeakersA},
                                    std::pair{Keys::SpeakerB.name, SettingsBits::SpeakersB}}) {
        if (Contains(trimmed, key)) {
            const std::optional<QString> value = GetValue(trimmed, QLatin1String(key));
            const bool on = value && Is(*value, "On");
            (bits.shift == SettingsBits::SpeakersA.shift ? result.configuration.speakerA
                                                         : result.configuration.speakerB) = on;
            if (on && facts.HasSpeakerSwitching())
                buffer.SetBits(bits, 1);
            return LineEffect::Next;
        }
    }
    if (Contains(trimmed, "<INPUT")) {
        preset = 0;
        OpenCurrentSection();
        ReadInputSettings();
    } else if (Contains(trimmed, "<PRESET")) {
        if (preset == 0)
            CommitCurrentSetup();
        preset = ParseInteger(trimmed);
        StartBlock();
    } else if (Contains(trimmed, "</PRESET")) {
        ClosePreset();
    } else if (Contains(trimmed, "<SURROUND")) {
        OpenCurrentSection();
        ReadSurroundModes();
    } else if (Contains(trimmed, "<SPEAKERSETUP>")) {
        OpenCurrentSection();
        ReadSpeakerSetup();
    } else if (Contains(trimmed, "<LEVELSETUP>")) {
        OpenCurrentSection();
        ReadLevelSetup();
    } else if (Contains(trimmed, "<LISTENINGMODES>")) {
        OpenCurrentSection();
        ReadListeningModes();
    } else if (Contains(trimmed, "<ADVANCED>")) {
        OpenCurrentSection();
        ReadAdvanced();
    } else if (Contains(trimmed, TunerPresetFile::OpenTag)) {
        ReadTunerPresets(trimmed);
    } else if (Contains(trimmed, Format::RootEndTag)) {
        if (preset == 0)
            CommitCurrentSetup();
        return LineEffect::Ended;
    }
    return LineEffect::Next;
}

// A section of the current setup: the file carries one.
void SettingsFileReader::OpenCurrentSection()
{
    if (preset == 0 && !isCommitted)
        currentInFile = true;
}

void SettingsFileReader::CommitCurrentSetup()
{
    // Once only: a later "<PRESET" line after a stray block numbered 0 must
    // not replace the current setup with a preset's bytes. A file without a
    // setup section has no current setup, which the unit then keeps.
    if (isCommitted)
        return;
    isCommitted = true;
    if (!currentInFile)
        return;
    SettleBlock();
    result.configuration.currentSetup = buffer;
}

void SettingsFileReader::StartBlock()
{
    buffer.Reset(unit.facts);
    flags = SetupFlags::For(unit.facts, preset);
    fields = SetupFields::Load(buffer, flags);
}

// The pages' records into the block; the input records are in it already
// (the file carries every one of their fields, where a page may leave some
// alone).
void SettingsFileReader::SettleBlock()
{
    fields.surround.Store(buffer, flags);
    fields.speaker.Store(buffer, flags);
    fields.level.Store(buffer, flags);
    fields.listening.Store(buffer, flags);
    fields.advanced.Store(buffer, flags);
}

void SettingsFileReader::ClosePreset()
{
    if (!EepromMap::IsPresetNumber(preset))
        return;
    SettleBlock();
    result.configuration.presets[static_cast<std::size_t>(preset - 1)] = buffer;
}
