#include "files/settings_file_reader.h"

#include "common/message_table.h"
#include "common/text.h"
#include "files/settings_file_format.h"
#include "files/settings_file_gate.h"
#include "model/settings_field.h"
#include "setup/setup_flags.h"
#include "transfer/eeprom_map.h"
#include "tuner/tuner_preset_file.h"

#include <QBuffer>
#include <QIODevice>

#include <algorithm>

namespace {

namespace Format = SettingsFileFormat;
namespace Keys = SettingsFileFormat::Keys;
using Field = SettingsImage::InputRecord;

constexpr int ByteLimit = 256;
constexpr int NibbleLimit = 16;
constexpr int TwoBitLimit = 4;
constexpr int ThreeBitLimit = 8;
// A tuner preset section is a few kilobytes; a longer one is cut there.
constexpr qsizetype MaxTunerSectionBytes = 256 * 1024;

// Defaults where a value is not understood.
constexpr int DefaultAnalogGain = 4; // 0 dB
constexpr int DefaultCutoff = 3;     // 100 Hz
constexpr int ToneTop = Format::ToneCount - 1;
// Two-channel codes 0..13 have names (two of them shared).
constexpr int TwoChannelCodes = 14;

bool Is(QStringView value, const char* text)
{
    return value.compare(QLatin1String(text), Qt::CaseInsensitive) == 0;
}

// Index of the value in a list, letter case ignored (exact: case kept); -1
// when it is not there.
template <std::size_t N>
int IndexOf(QStringView value, const Format::List<N>& list, bool exact = false)
{
    for (std::size_t i = 0; i < N; ++i) {
        if (value.compare(QLatin1String(list[i]),
                          exact ? Qt::CaseSensitive : Qt::CaseInsensitive) == 0)
            return static_cast<int>(i);
    }
    return -1;
}

// The writer's form of a code beyond its list: a bare decimal number from
// `listSize` up to below `limit` (the field's range). Anything else is left to
// the key's own rule, `otherwise`.
int CodeOr(QStringView value, int listSize, int limit, int otherwise)
{
    constexpr qsizetype MaxDigits = 3;
    if (value.isEmpty() || value.size() > MaxDigits)
        return otherwise;
    int number = 0;
    for (const QChar c : value) {
        if (c < u'0' || c > u'9')
            return otherwise;
        number = number * 10 + (c.unicode() - u'0');
    }
    return number >= listSize && number < limit ? number : otherwise;
}

int OnOff(QStringView value)
{
    return Is(value, "On") ? 1 : 0;
}

int InRange(int code, int count)
{
    return code >= 0 && code < count ? code : 0;
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

// A line of a section and the value of the key it was last matched with.
struct SettingsFileReader::SectionLine
{
    const QString& text;
    std::optional<QString> value;

    bool Is(const Format::Key& key)
    {
        value = GetValue(text, QLatin1String(key.name));
        return value.has_value();
    }
};

template <typename Apply> bool SettingsFileReader::ForEachLine(Apply apply)
{
    QString text;
    while (NextLine(text)) {
        if (text.contains(u"</"))
            return true;
        SectionLine line{text, std::nullopt};
        apply(line);
    }
    return false;
}

void SettingsFileReader::ReadInputSettings()
{
    QString line;
    while (NextLine(line)) {
        if (line.contains(u"</"))
            return;
        if (!line.contains(u'<') || !line.contains(u'>'))
            continue;
        const int input = ParseInteger(line);
        if (input < 0 || input >= SettingsImage::InputRecordCount)
            return;
        Field triggers;
        triggers.trigger1 = 0;
        triggers.trigger2 = 0;
        buffer.SetInput(input, triggers);
        ReadInputRecord(input);
    }
}

void SettingsFileReader::ReadInputRecord(int input)
{
    ForEachLine([&](SectionLine& line) {
        // An unknown text stores 15, the low four bits of "not found".
        const auto source = [&line](const auto& list) {
            const int size = static_cast<int>(list.size());
            return CodeOr(*line.value, size, NibbleLimit, IndexOf(*line.value, list, true) & 0x0F);
        };
        const auto trigger = [&line] {
            if (Is(*line.value, "Zone"))
                return 2;
            if (Is(*line.value, "Both"))
                return 3;
            return Is(*line.value, "Main") ? 1 : 0;
        };
        Field field;
        if (line.Is(Keys::InputName)) {
            // The unit pads a name with spaces: white space the cut leaves
            // at its end would come back as padding.
            const QString name =
                Text::TrimmedRight(line.value->left(SettingsImage::PresetNameLength));
            if (!name.isEmpty())
                result.configuration.inputNames[static_cast<std::size_t>(input)] = name;
            return;
        }
        if (line.Is(Keys::VideoSource)) {
            field.videoSource = source(Format::VideoSources);
        } else if (line.Is(Keys::VideoFormat)) {
            field.videoFormat = source(Format::VideoFormats);
        } else if (line.Is(Keys::AnalogSource)) {
            field.analogSource = source(Format::AnalogSources);
        } else if (line.Is(Keys::AnalogGain)) {
            const int index = IndexOf(*line.value, Format::AnalogGains);
            field.analogGain = CodeOr(*line.value, static_cast<int>(Format::AnalogGains.size()),
                                      NibbleLimit, index < 0 ? DefaultAnalogGain : index);
        } else if (line.Is(Keys::DigitalSource)) {
            field.digitalSource = source(Format::DigitalSources);
        } else if (line.Is(Keys::Trigger1)) {
            field.trigger1 = trigger();
        } else if (line.Is(Keys::Trigger2)) {
            field.trigger2 = trigger();
        } else {
            return;
        }
        buffer.SetInput(input, field);
    });
}

void SettingsFileReader::ReadSurroundModes()
{
    std::array<SettingsImage::SurroundModes, SettingsImage::InputRecordCount> modes;
    modes.fill({0, 0, 0, 0});
    std::size_t input = 0;
    const auto twoChannel = [](QStringView value) {
        return CodeOr(value, TwoChannelCodes, NibbleLimit,
                      std::max(Format::TwoChannelCode(value), 0));
    };
    const auto multichannel = [](QStringView value) {
        return CodeOr(value, static_cast<int>(Format::MultichannelModes.size()), NibbleLimit,
                      std::max(IndexOf(value, Format::MultichannelModes, true), 0));
    };
    const bool closed = ForEachLine([&](SectionLine& line) {
        if (line.Is(Keys::Input))
            input = static_cast<std::size_t>(
                InRange(ParseInteger(*line.value), SettingsImage::InputRecordCount));
        else if (line.Is(Keys::Stereo))
            modes[input].stereo = twoChannel(*line.value);
        else if (line.Is(Keys::Dts))
            modes[input].dts = multichannel(*line.value);
        else if (line.Is(Keys::DolbyTwoChannel))
            modes[input].dolbyTwoChannel = twoChannel(*line.value);
        else if (line.Is(Keys::DolbyOthers))
            modes[input].dolbyOthers = multichannel(*line.value);
    });
    // A section cut off by the end of the file changes nothing.
    if (!closed)
        return;
    for (std::size_t i = 0; i < modes.size(); ++i)
        fields.surround.Take(static_cast<int>(i), modes[i], flags);
}

// The crossover in Hz (40, 60, 80, 100, 120, 150, 200) as its code; the
// line clears Enhanced Bass, which a later line may set again.
void SettingsFileReader::ReadCutoff(const QString& value)
{
    const int hertz = ParseInteger(value);
    int code = DefaultCutoff;
    if (hertz >= 40 && hertz < 150)
        code = hertz / 20 - 2;
    else if (hertz >= 150 && hertz <= 200)
        code = hertz / 50 + 2;
    fields.speaker.crossover =
        CodeOr(value, static_cast<int>(Format::Cutoffs.size()), ThreeBitLimit, code);
    fields.speaker.enhancedBass = 0;
}

void SettingsFileReader::ReadSpeakerSetup()
{
    const auto size = [](QStringView value) {
        if (Is(value, "Large"))
            return 2;
        return Is(value, "Small") ? 1 : 0;
    };
    const auto distance = [](QStringView value) {
        const int code =
            value.contains(u'm') ? ParseTenths(value) / 3 - 1 : ParseInteger(value) - 1;
        return CodeOr(value, Format::DistanceCount, ByteLimit,
                      InRange(code, Format::DistanceCount));
    };
    SpeakerFields& speaker = fields.speaker;
    ForEachLine([&](SectionLine& line) {
        if (line.Is(Keys::SpeakerUnits)) {
            speaker.distanceUnit = CodeOr(*line.value, 2, ByteLimit, Is(*line.value, "ft") ? 0 : 1);
        } else if (line.Is(Keys::FrontSpeakers)) {
            speaker.frontSize = CodeOr(*line.value, 2, ByteLimit, Is(*line.value, "Large") ? 1 : 0);
        } else if (line.Is(Keys::CenterSpeaker)) {
            speaker.center = CodeOr(*line.value, 3, ByteLimit, size(*line.value));
        } else if (line.Is(Keys::SurroundSpeakers)) {
            speaker.surround = CodeOr(*line.value, 3, ByteLimit, size(*line.value));
        } else if (line.Is(Keys::BackSpeakers)) {
            speaker.back = CodeOr(*line.value, 3, ByteLimit, size(*line.value));
        } else if (line.Is(Keys::FrontDistance)) {
            speaker.frontDistance = distance(*line.value);
        } else if (line.Is(Keys::CenterDistance)) {
            speaker.centerDistance = distance(*line.value);
        } else if (line.Is(Keys::SurroundDistance)) {
            speaker.surroundDistance = distance(*line.value);
        } else if (line.Is(Keys::BackDistance)) {
            speaker.backDistance = distance(*line.value);
        } else if (line.Is(Keys::BackSpeakersSetup)) {
            speaker.backCount =
                CodeOr(*line.value, 2, ByteLimit, line.value->contains(u'R') ? 1 : 0);
        } else if (line.Is(Keys::EnhancedBass)) {
            if (line.value->contains(u"On"))
                speaker.enhancedBass = 1;
        } else if (line.Is(Keys::SubwooferCutoff)) {
            ReadCutoff(*line.value);
        } else if (line.Is(Keys::Subwoofer)) {
            speaker.subwooferSwitch = OnOff(*line.value);
        }
    });
}

void SettingsFileReader::ReadLevelSetup()
{
    const auto level = [](QStringView value) {
        return CodeOr(value, Format::LevelCount, ByteLimit,
                      InRange(ParseInteger(value) + 12, Format::LevelCount));
    };
    // The code is kept as computed, also beyond the list; only what no byte
    // can hold is pulled to the nearest end.
    const auto tone = [](QStringView value) {
        const int code = (ParseInteger(value) + 10) / 2;
        return CodeOr(value, Format::ToneCount, ByteLimit,
                      code < 0 ? 0 : (code >= ByteLimit ? ToneTop : code));
    };
    LevelFields& levels = fields.level;
    ForEachLine([&](SectionLine& line) {
        const std::pair<const Format::Key*, LevelFields::Channel> channels[] = {
            {&Keys::FrontLeft, LevelFields::FrontLeft},
            {&Keys::FrontRight, LevelFields::FrontRight},
            {&Keys::Center, LevelFields::Center},
            {&Keys::SurroundLeft, LevelFields::SurroundLeft},
            {&Keys::SurroundRight, LevelFields::SurroundRight},
            {&Keys::BackLeft, LevelFields::BackLeft},
            {&Keys::BackRight, LevelFields::BackRight},
            {&Keys::SubwooferLevel, LevelFields::Subwoofer}};
        const auto channel = std::find_if(std::begin(channels), std::end(channels),
                                          [&](const auto& entry) { return line.Is(*entry.first); });
        if (channel != std::end(channels))
            levels.levels[static_cast<std::size_t>(channel->second)] = level(*line.value);
        else if (line.Is(Keys::Treble))
            levels.treble = tone(*line.value);
        else if (line.Is(Keys::Bass))
            levels.bass = tone(*line.value);
    });
}

void SettingsFileReader::ReadListeningModes()
{
    ListeningModeFields& listening = fields.listening;
    ForEachLine([&](SectionLine& line) {
        if (Contains(line.text, "STEREO_1>")) {
            ReadEnhancedStereo(listening.enhancedStereo1);
            return;
        }
        if (Contains(line.text, "STEREO_2>")) {
            ReadEnhancedStereo(listening.enhancedStereo2);
            return;
        }
        if (line.Is(Keys::Dimension)) {
            const int code = InRange(ParseInteger(*line.value) + 3, Format::Dimensions.size());
            listening.dimension = CodeOr(*line.value, Format::Dimensions.size(), ByteLimit, code);
        } else if (line.Is(Keys::CenterWidth)) {
            constexpr int Widths = ListeningModeFields::CenterWidthCount;
            listening.centerWidth =
                CodeOr(*line.value, Widths, ByteLimit, InRange(ParseInteger(*line.value), Widths));
        } else if (line.Is(Keys::Panorama)) {
            listening.panorama = CodeOr(*line.value, 2, ByteLimit, OnOff(*line.value));
        } else if (line.Is(Keys::CenterGain)) {
            const int count = static_cast<int>(Format::CenterGains.size());
            listening.centerGain =
                CodeOr(*line.value, count, ByteLimit, InRange(ParseTenths(*line.value), count));
        }
    });
}

void SettingsFileReader::ReadEnhancedStereo(ListeningModeFields::Channels& channels)
{
    ForEachLine([&](SectionLine& line) {
        for (std::size_t c = 0; c < Keys::EnhancedStereoChannels.size(); ++c) {
            if (line.Is(Keys::EnhancedStereoChannels[c])) {
                channels[c] = OnOff(*line.value);
                return;
            }
        }
    });
}

void SettingsFileReader::ReadAdvanced()
{
    AdvancedFields& advanced = fields.advanced;
    // The on-screen display byte is rebuilt whole: only "On" lines set its bits.
    advanced.background = 0;
    advanced.temporaryOsd = 0;
    ForEachLine([&](SectionLine& line) {
        if (line.Is(Keys::MainZoneDsp)) {
            advanced.mainZoneDsp = Is(*line.value, "7.1/Off") ? 0 : 1;
        } else if (line.Is(Keys::AutoTrigger)) {
            const int code = Is(*line.value, "Zone") ? 1 : (Is(*line.value, "Both") ? 2 : 0);
            advanced.autoTrigger = CodeOr(*line.value, 3, TwoBitLimit, code);
        } else if (line.Is(Keys::ZoneVolumeControl)) {
            advanced.volumeControl = Is(*line.value, "Fixed") ? AdvancedFields::VolumeFixed
                                                              : AdvancedFields::VolumeVariable;
        } else if (line.Is(Keys::ZoneRelay)) {
            const int code = Is(*line.value, "None") ? 0 : (Is(*line.value, "B") ? 2 : 1);
            advanced.relay = CodeOr(*line.value, 3, TwoBitLimit, code);
        } else if (line.Is(Keys::DolbyExMode)) {
            advanced.surroundExMode = OnOff(*line.value);
        } else if (line.Is(Keys::DolbyDynamicRange)) {
            const int percent = ParseInteger(*line.value);
            advanced.dolbyDynamicRange =
                percent == 25 ? 3 : (percent == 50 ? 2 : (percent == 75 ? 1 : 0));
        } else if (line.Is(Keys::DtsEsMatrix)) {
            advanced.dtsEsMatrix = OnOff(*line.value);
        } else if (line.Is(Keys::DtsDynamicRange)) {
            advanced.dtsDynamicRange = Is(*line.value, "Off") ? 0 : 1;
        } else if (line.Is(Keys::OsdBackground)) {
            if (Is(*line.value, "On"))
                advanced.background = 1;
        } else if (line.Is(Keys::TemporaryOsd)) {
            if (Is(*line.value, "On"))
                advanced.temporaryOsd = 1;
        }
    });
}

void SettingsFileReader::ReadTunerPresets(const QString& tagLine)
{
    // The section is handed to the tuner preset reader whole, from its tag
    // line to its end tag, with the tags in their own spelling: where the
    // file's line ends fall does not matter then.
    const auto normalised = [](QString text) {
        text.replace(QLatin1String(TunerPresetFile::CloseTag),
                     QLatin1String(TunerPresetFile::CloseTag), Qt::CaseInsensitive);
        text.replace(QLatin1String(TunerPresetFile::OpenTag),
                     QLatin1String(TunerPresetFile::OpenTag), Qt::CaseInsensitive);
        return text.toLatin1() + "\r\n";
    };
    QByteArray section = normalised(tagLine);
    bool closed = false;
    QString line;
    while (NextLine(line)) {
        const bool opens = Contains(line, TunerPresetFile::OpenTag);
        const bool closes = !opens && Contains(line, TunerPresetFile::CloseTag);
        if (section.size() < MaxTunerSectionBytes || closes)
            section += normalised(line);
        if (closes) {
            closed = true;
            break;
        }
    }
    // A section cut off by the end of the file is not written: its missing
    // presets would be erased from the unit.
    if (!closed)
        return;
    QBuffer source(&section);
    source.open(QIODevice::ReadOnly);
    TunerPresetList presets;
    if (TunerPresetFile::ReadSection(source, presets) <= 0)
        return;
    result.configuration.tuner = presets;
}
