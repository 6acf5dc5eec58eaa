#include "files/settings_file_reader.h"

#include "common/text.h"
#include "files/settings_file_format.h"
#include "tuner/tuner_preset_file.h"

#include <QBuffer>
#include <QIODevice>

#include <algorithm>

// The section readers of a settings file: each takes the lines of one
// section, maps every value it understands onto its page record's fields and
// leaves the rest as the record's defaults.

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

} // namespace

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
