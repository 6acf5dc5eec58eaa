#include "files/settings_file_reader.h"

#include "common/message_table.h"
#include "files/settings_file_format.h"
#include "files/settings_file_gate.h"
#include "model/settings_field.h"
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

// Magnitude of the digits up to the first "." (or the whole text), scanned
// from the right; `negative` when a "-" ended the scan.
qint64 IntegerDigits(QStringView text, bool& negative)
{
    negative = false;
    const qsizetype dot = text.indexOf(u'.');
    if (dot >= 0)
        text = text.left(dot);
    qint64 value = 0;
    qint64 scale = 1;
    for (qsizetype i = text.size() - 1; i >= 0; --i) {
        const QChar c = text[i];
        if (c == u'-') {
            negative = true;
            break;
        }
        if (c < u'0' || c > u'9')
            continue;
        const int digit = c.unicode() - u'0';
        if (scale > SettingsFileReader::MaxNumber) {
            if (digit != 0)
                value = SettingsFileReader::MaxNumber;
            continue;
        }
        value = std::min<qint64>(value + digit * scale, SettingsFileReader::MaxNumber);
        scale *= 10;
    }
    return value;
}

// The digits after the first "." as a fraction, and its first digit.
double Fraction(QStringView text, int* firstDigit)
{
    if (firstDigit)
        *firstDigit = 0;
    const qsizetype dot = text.indexOf(u'.');
    if (dot < 0)
        return 0.0;
    double fraction = 0.0;
    double scale = 0.1;
    bool first = true;
    for (const QChar c : text.mid(dot + 1)) {
        if (c < u'0' || c > u'9')
            continue;
        const int digit = c.unicode() - u'0';
        if (first && firstDigit)
            *firstDigit = digit;
        first = false;
        fraction += digit * scale;
        scale /= 10.0;
    }
    return fraction;
}

QString TrimmedLine(const QString& line)
{
    return line.trimmed();
}

} // namespace

std::optional<QString> SettingsFileReader::GetValue(QStringView line, QLatin1String key)
{
    qsizetype start = 0;
    while (start < line.size() && line[start].isSpace())
        ++start;
    QStringView rest = line.mid(start);
    if (key.isEmpty() || !rest.startsWith(key, Qt::CaseInsensitive))
        return std::nullopt;
    rest = rest.mid(key.size()).trimmed();
    if (rest.startsWith(u'='))
        rest = rest.mid(1).trimmed();
    return rest.toString();
}

int SettingsFileReader::ParseInteger(QStringView text)
{
    bool negative = false;
    const qint64 value = IntegerDigits(text, negative);
    return static_cast<int>(negative ? -value : value);
}

double SettingsFileReader::ParseDecimal(QStringView text)
{
    bool negative = false;
    const double value =
        static_cast<double>(IntegerDigits(text, negative)) + Fraction(text, nullptr);
    return negative ? -value : value;
}

int SettingsFileReader::ParseTenths(QStringView text)
{
    bool negative = false;
    int tenth = 0;
    const qint64 whole = IntegerDigits(text, negative);
    Fraction(text, &tenth);
    const qint64 value = std::min<qint64>(whole * 10 + tenth, MaxNumber);
    return static_cast<int>(negative ? -value : value);
}

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

    buffer.Reset(unit.facts);
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
    if (isCommitted) {
        UnitWrite write;
        write.kind = UnitWrite::Kind::CurrentSetup;
        write.index = 0;
        write.bytes = committed.BlockBytes();
        write.setup = committed;
        result.writes.append(write);
    }
    result.outcome = aborted ? Outcome::Aborted : Outcome::Loaded;
    return result;
}

// The model line: a file saved for another model asks once; No ends the
// reading with nothing written.
SettingsFileReader::LineEffect SettingsFileReader::ApplyModelLine(const QString& trimmed)
{
    const std::optional<QString> model = GetValue(trimmed, QLatin1String(Keys::Model.name));
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
    if (Contains(trimmed, "Firmware"))
        return LineEffect::Next; // the firmware the file was saved from changes nothing
    for (const auto& [key, bits] : {std::pair{Keys::SpeakerA.name, SettingsBits::SpeakersA},
                                    std::pair{Keys::SpeakerB.name, SettingsBits::SpeakersB}}) {
        if (Contains(trimmed, key)) {
            const std::optional<QString> value = GetValue(trimmed, QLatin1String(key));
            if (value && Is(*value, "On") && facts.HasSpeakerSwitching())
                buffer.SetBits(bits, 1);
            return LineEffect::Next;
        }
    }
    if (Contains(trimmed, "<INPUT")) {
        preset = 0;
        ReadInputSettings();
    } else if (Contains(trimmed, "<PRESET")) {
        if (preset == 0)
            CommitCurrentSetup();
        preset = ParseInteger(trimmed);
        buffer.Reset(facts);
    } else if (Contains(trimmed, "</PRESET")) {
        ClosePreset();
    } else if (Contains(trimmed, "<SURROUND")) {
        ReadSurroundModes();
    } else if (Contains(trimmed, "<SPEAKERSETUP>")) {
        ReadSpeakerSetup();
    } else if (Contains(trimmed, "<LEVELSETUP>")) {
        ReadLevelSetup();
    } else if (Contains(trimmed, "<LISTENINGMODES>")) {
        ReadListeningModes();
    } else if (Contains(trimmed, "<ADVANCED>")) {
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

void SettingsFileReader::CommitCurrentSetup()
{
    // Once only: a later "<PRESET" line after a stray block numbered 0 must
    // not replace the current setup with a preset's bytes.
    if (isCommitted)
        return;
    using namespace SettingsField;
    committed = buffer;
    // Where the zone volume shares the block's last byte with the zone volume
    // control, that byte holds either the fixed marker or the volume: a
    // "Fixed" zone stays fixed, a variable one takes the live volume.
    const bool shared = committed.Position(ZoneVolumeControl) == committed.Position(ZoneVolume);
    const bool fixed = committed.Byte(ZoneVolumeControl) == SettingsCode::ZoneVolumeFixed;
    committed.FillFromLiveStatus(unit);
    if (shared && fixed)
        committed.SetByte(ZoneVolumeControl, SettingsCode::ZoneVolumeFixed);
    isCommitted = true;
}

void SettingsFileReader::ClosePreset()
{
    if (!EepromMap::IsPresetNumber(preset))
        return;
    const int size = buffer.Size();
    const int status = EepromMap::PresetAddress(unit.facts.BlockSizeAddress(), size, preset);

    UnitWrite mark;
    mark.kind = UnitWrite::Kind::PresetStatus;
    mark.index = preset;
    mark.address = status;
    mark.bytes = QByteArray(1, static_cast<char>(size));
    result.writes.append(mark);

    UnitWrite block;
    block.kind = UnitWrite::Kind::PresetBlock;
    block.index = preset;
    block.address = status + 1;
    block.bytes = buffer.BlockAndTableBytes();
    result.writes.append(block);
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
    QString line;
    while (NextLine(line)) {
        if (line.contains(u"</"))
            return;
        std::optional<QString> value;
        const auto match = [&line, &value](const Format::Key& key) {
            value = GetValue(line, QLatin1String(key.name));
            return value.has_value();
        };
        // An unknown text stores 15, the low four bits of "not found".
        const auto source = [&value](const auto& list) {
            const int size = static_cast<int>(list.size());
            return CodeOr(*value, size, NibbleLimit, IndexOf(*value, list, true) & 0x0F);
        };
        const auto trigger = [&value] {
            if (Is(*value, "Zone"))
                return 2;
            if (Is(*value, "Both"))
                return 3;
            return Is(*value, "Main") ? 1 : 0;
        };
        Field field;
        if (match(Keys::InputName)) {
            if (!value->isEmpty()) {
                UnitWrite rename;
                rename.kind = UnitWrite::Kind::InputName;
                rename.index = input;
                rename.name = value->left(SettingsImage::PresetNameLength);
                rename.pauseAfter = RenamePause;
                result.writes.append(rename);
            }
            continue;
        }
        if (match(Keys::VideoSource)) {
            field.videoSource = source(Format::VideoSources);
        } else if (match(Keys::VideoFormat)) {
            field.videoFormat = source(Format::VideoFormats);
        } else if (match(Keys::AnalogSource)) {
            field.analogSource = source(Format::AnalogSources);
        } else if (match(Keys::AnalogGain)) {
            const int index = IndexOf(*value, Format::AnalogGains);
            field.analogGain = CodeOr(*value, static_cast<int>(Format::AnalogGains.size()),
                                      NibbleLimit, index < 0 ? DefaultAnalogGain : index);
        } else if (match(Keys::DigitalSource)) {
            field.digitalSource = source(Format::DigitalSources);
        } else if (match(Keys::Trigger1)) {
            field.trigger1 = trigger();
        } else if (match(Keys::Trigger2)) {
            field.trigger2 = trigger();
        } else {
            continue;
        }
        buffer.SetInput(input, field);
    }
}

void SettingsFileReader::ReadSurroundModes()
{
    std::array<std::uint8_t, SettingsImage::SurroundTableSize> table{};
    int input = 0;
    const auto put = [&table, &input](int offset, bool high, int code) {
        std::uint8_t& byte = table[static_cast<std::size_t>(2 * input + offset)];
        byte = high ? static_cast<std::uint8_t>((byte & 0x0F) | (code << 4))
                    : static_cast<std::uint8_t>((byte & 0xF0) | code);
    };
    const auto twoChannel = [](QStringView value) {
        return CodeOr(value, TwoChannelCodes, NibbleLimit,
                      std::max(Format::TwoChannelCode(value), 0));
    };
    const auto multichannel = [](QStringView value) {
        return CodeOr(value, static_cast<int>(Format::MultichannelModes.size()), NibbleLimit,
                      std::max(IndexOf(value, Format::MultichannelModes, true), 0));
    };
    QString line;
    while (NextLine(line)) {
        if (line.contains(u"</")) {
            for (int i = 0; i < SettingsImage::SurroundTableSize; ++i)
                buffer.SetTableByte(i, table[static_cast<std::size_t>(i)]);
            return;
        }
        std::optional<QString> value;
        const auto match = [&line, &value](const Format::Key& key) {
            value = GetValue(line, QLatin1String(key.name));
            return value.has_value();
        };
        if (match(Keys::Input))
            input = InRange(ParseInteger(*value), SettingsImage::InputRecordCount);
        else if (match(Keys::Stereo))
            put(1, true, twoChannel(*value));
        else if (match(Keys::Dts))
            put(1, false, multichannel(*value));
        else if (match(Keys::DolbyTwoChannel))
            put(0, true, twoChannel(*value));
        else if (match(Keys::DolbyOthers))
            put(0, false, multichannel(*value));
    }
}

// The crossover in Hz (40, 60, 80, 100, 120, 150, 200) into bits 2-4 of the
// subwoofer byte, its switch kept.
void SettingsFileReader::ReadCutoff(const QString& value)
{
    const int hertz = ParseInteger(value);
    int code = DefaultCutoff;
    if (hertz >= 40 && hertz < 150)
        code = hertz / 20 - 2;
    else if (hertz >= 150 && hertz <= 200)
        code = hertz / 50 + 2;
    code = CodeOr(value, static_cast<int>(Format::Cutoffs.size()), ThreeBitLimit, code);
    const int subwoofer = buffer.Byte(SettingsField::Subwoofer);
    if (subwoofer >= 0)
        buffer.SetByte(SettingsField::Subwoofer, (subwoofer & 0x01) | (code << 2));
}

void SettingsFileReader::ReadSpeakerSetup()
{
    using namespace SettingsField;
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
    QString line;
    while (NextLine(line)) {
        if (line.contains(u"</"))
            return;
        std::optional<QString> value;
        const auto match = [&line, &value](const Format::Key& key) {
            value = GetValue(line, QLatin1String(key.name));
            return value.has_value();
        };
        if (match(Keys::SpeakerUnits)) {
            buffer.SetByte(DistanceUnit, CodeOr(*value, 2, ByteLimit, Is(*value, "ft") ? 0 : 1));
        } else if (match(Keys::FrontSpeakers)) {
            buffer.SetByte(FrontSpeakers,
                           CodeOr(*value, 2, ByteLimit, Is(*value, "Large") ? 1 : 0));
        } else if (match(Keys::CenterSpeaker)) {
            buffer.SetByte(CenterSpeaker, CodeOr(*value, 3, ByteLimit, size(*value)));
        } else if (match(Keys::SurroundSpeakers)) {
            buffer.SetByte(SurroundSpeakers, CodeOr(*value, 3, ByteLimit, size(*value)));
        } else if (match(Keys::BackSpeakers)) {
            buffer.SetByte(BackSpeakers, CodeOr(*value, 3, ByteLimit, size(*value)));
        } else if (match(Keys::FrontDistance)) {
            buffer.SetByte(FrontDistance, distance(*value));
        } else if (match(Keys::CenterDistance)) {
            buffer.SetByte(CenterDistance, distance(*value));
        } else if (match(Keys::SurroundDistance)) {
            buffer.SetByte(SurroundDistance, distance(*value));
        } else if (match(Keys::BackDistance)) {
            buffer.SetByte(BackDistance, distance(*value));
        } else if (match(Keys::BackSpeakersSetup)) {
            buffer.SetByte(BackSpeakersSetup,
                           CodeOr(*value, 2, ByteLimit, value->contains(u'R') ? 1 : 0));
        } else if (match(Keys::EnhancedBass)) {
            if (value->contains(u"On"))
                buffer.SetBits(SettingsBits::EnhancedBass, 1);
        } else if (match(Keys::SubwooferCutoff)) {
            ReadCutoff(*value);
        } else if (match(Keys::Subwoofer)) {
            buffer.SetBits(SettingsBits::SubwooferOn, OnOff(*value));
        }
    }
}

void SettingsFileReader::ReadLevelSetup()
{
    using namespace SettingsField;
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
    QString line;
    while (NextLine(line)) {
        if (line.contains(u"</"))
            return;
        std::optional<QString> value;
        const auto match = [&line, &value](const Format::Key& key) {
            value = GetValue(line, QLatin1String(key.name));
            return value.has_value();
        };
        const std::pair<const Format::Key*, int> levels[] = {
            {&Keys::FrontLeft, FrontLeftLevel},
            {&Keys::FrontRight, FrontRightLevel},
            {&Keys::Center, CenterLevel},
            {&Keys::SurroundLeft, SurroundLeftLevel},
            {&Keys::SurroundRight, SurroundRightLevel},
            {&Keys::BackLeft, BackLeftLevel},
            {&Keys::BackRight, BackRightLevel},
            {&Keys::SubwooferLevel, SubwooferLevel}};
        const auto channel = std::find_if(std::begin(levels), std::end(levels),
                                          [&](const auto& entry) { return match(*entry.first); });
        if (channel != std::end(levels))
            buffer.SetByte(channel->second, level(*value));
        else if (match(Keys::Treble))
            buffer.SetByte(Treble, tone(*value));
        else if (match(Keys::Bass))
            buffer.SetByte(Bass, tone(*value));
    }
}

void SettingsFileReader::ReadListeningModes()
{
    using namespace SettingsField;
    QString line;
    while (NextLine(line)) {
        if (line.contains(u"</"))
            return;
        if (Contains(line, "STEREO_1>")) {
            ReadEnhancedStereo(EnhancedStereo1);
            continue;
        }
        if (Contains(line, "STEREO_2>")) {
            ReadEnhancedStereo(EnhancedStereo2);
            continue;
        }
        std::optional<QString> value;
        const auto match = [&line, &value](const Format::Key& key) {
            value = GetValue(line, QLatin1String(key.name));
            return value.has_value();
        };
        if (match(Keys::Dimension)) {
            const int code = InRange(ParseInteger(*value) + 3, Format::Dimensions.size());
            buffer.SetByte(PlIIDimension,
                           CodeOr(*value, Format::Dimensions.size(), ByteLimit, code));
        } else if (match(Keys::CenterWidth)) {
            // Every width the Listening Modes page offers, 0 to 7.
            constexpr int Widths = 8;
            buffer.SetByte(PlIICenterWidth, CodeOr(*value, Widths, ByteLimit,
                                                   InRange(ParseInteger(*value), Widths)));
        } else if (match(Keys::Panorama)) {
            buffer.SetByte(PlIIPanorama, CodeOr(*value, 2, ByteLimit, OnOff(*value)));
        } else if (match(Keys::CenterGain)) {
            const int count = static_cast<int>(Format::CenterGains.size());
            buffer.SetByte(Neo6CenterGain,
                           CodeOr(*value, count, ByteLimit, InRange(ParseTenths(*value), count)));
        }
    }
}

void SettingsFileReader::ReadEnhancedStereo(int canonical)
{
    QString line;
    while (NextLine(line)) {
        if (line.contains(u"</"))
            return;
        for (std::size_t c = 0; c < Keys::EnhancedStereoChannels.size(); ++c) {
            const std::optional<QString> value =
                GetValue(line, QLatin1String(Keys::EnhancedStereoChannels[c].name));
            if (value) {
                buffer.SetBits(BitField{canonical, static_cast<int>(c), 1}, OnOff(*value));
                break;
            }
        }
    }
}

void SettingsFileReader::ReadAdvanced()
{
    using namespace SettingsField;
    using namespace SettingsBits;
    buffer.SetByte(OnScreenDisplay, 0);
    QString line;
    while (NextLine(line)) {
        if (line.contains(u"</"))
            return;
        std::optional<QString> value;
        const auto match = [&line, &value](const Format::Key& key) {
            value = GetValue(line, QLatin1String(key.name));
            return value.has_value();
        };
        if (match(Keys::MainZoneDsp)) {
            buffer.SetBits(MainZoneDsp, Is(*value, "7.1/Off") ? 0 : 1);
        } else if (match(Keys::AutoTrigger)) {
            const int code = Is(*value, "Zone") ? 1 : (Is(*value, "Both") ? 2 : 0);
            buffer.SetBits(AutoTrigger, CodeOr(*value, 3, TwoBitLimit, code));
        } else if (match(Keys::ZoneVolumeControl)) {
            buffer.SetByte(SettingsField::ZoneVolumeControl,
                           Is(*value, "Fixed") ? SettingsCode::ZoneVolumeFixed
                                               : SettingsCode::ZoneVolumeVariable);
        } else if (match(Keys::ZoneRelay)) {
            const int code = Is(*value, "None") ? 0 : (Is(*value, "B") ? 2 : 1);
            buffer.SetBits(ZoneRelay, CodeOr(*value, 3, TwoBitLimit, code));
        } else if (match(Keys::DolbyExMode)) {
            buffer.SetBits(DolbyExMode, OnOff(*value));
        } else if (match(Keys::DolbyDynamicRange)) {
            const int percent = ParseInteger(*value);
            buffer.SetBits(DolbyDynamicRange,
                           percent == 25 ? 3 : (percent == 50 ? 2 : (percent == 75 ? 1 : 0)));
        } else if (match(Keys::DtsEsMatrix)) {
            buffer.SetBits(DtsEsMatrix, OnOff(*value));
        } else if (match(Keys::DtsDynamicRange)) {
            buffer.SetBits(DtsDynamicRange, Is(*value, "Off") ? 0 : 1);
        } else if (match(Keys::OsdBackground)) {
            if (Is(*value, "On"))
                buffer.SetBits(OsdBackground, 1);
        } else if (match(Keys::TemporaryOsd)) {
            if (Is(*value, "On"))
                buffer.SetBits(TemporaryOsd, 1);
        }
    }
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
    UnitWrite write;
    write.kind = UnitWrite::Kind::TunerPresets;
    write.address = EepromMap::TunerImage;
    const TunerPresetList::Image image = presets.Encode(presets.AmStepSize());
    write.bytes = QByteArray(reinterpret_cast<const char*>(image.data()),
                             static_cast<qsizetype>(image.size()));
    write.tuner = presets;
    result.writes.append(write);
}
