#include "tuner/tuner_preset_file.h"

#include "common/local_file.h"
#include "common/safe_save.h"

#include <QBuffer>
#include <QByteArrayView>
#include <QIODevice>

#include <algorithm>
#include <array>

namespace {

// Longer lines keep their first part; the rest is read and dropped, so a
// file without line ends costs no more memory than a short one.
constexpr qint64 MaxLineLength = 1024;
// The characters of a name that a file may carry; the unit keeps 8.
constexpr qsizetype FileNameLength = 13;
// Above every value that means something here, so long digit runs cannot
// overflow.
constexpr qint64 Saturation = 1'000'000'000;
// IsTunerPresetFile looks at this many bytes; the tag fills the first 14.
constexpr qint64 ProbeLength = 15;

constexpr QByteArrayView AmStepKey = "AM Step Size";
constexpr QByteArrayView AmPresetKey = "AM Preset";
constexpr QByteArrayView AmFrequencyKey = "AM Frequency";
constexpr QByteArrayView FmPresetKey = "FM Preset";
constexpr QByteArrayView FmFrequencyKey = "FM Frequency";
constexpr QByteArrayView FmMuteKey = "FM Mute";
constexpr QByteArrayView FmNameKey = "FM Preset Name";

constexpr QByteArrayView LineEnd = "\r\n";

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool IsSpace(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

bool SameKey(QByteArrayView a, QByteArrayView b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// Reads an optional sign and the digits after leading white space, as C's
// atoi does: "12abc" is 12, "abc" is 0. `at` moves past what was read.
qint64 LeadingInteger(QByteArrayView text, qsizetype& at, bool& negative)
{
    while (at < text.size() && IsSpace(text[at]))
        ++at;
    negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-'))
        negative = text[at++] == '-';
    qint64 value = 0;
    for (; at < text.size() && IsDigit(text[at]); ++at)
        value = std::min(value * 10 + (text[at] - '0'), Saturation);
    return value;
}

int IntegerValue(QByteArrayView text)
{
    qsizetype at = 0;
    bool negative = false;
    const qint64 value = LeadingInteger(text, at, negative);
    return static_cast<int>(negative ? -value : value);
}

// A decimal number in hundredths, truncated toward zero: "101.7" is 10170,
// "88.059" is 8805, "-1.5" is -150.
int HundredthsValue(QByteArrayView text)
{
    qsizetype at = 0;
    bool negative = false;
    qint64 value = LeadingInteger(text, at, negative) * 100;
    if (at < text.size() && text[at] == '.') {
        ++at;
        for (int weight = 10; weight > 0 && at < text.size() && IsDigit(text[at]); weight /= 10)
            value += (text[at++] - '0') * weight;
    }
    value = std::min(value, Saturation); // a cast must not wrap a huge value into the band
    return static_cast<int>(negative ? -value : value);
}

// Names are Latin-1 both ways, the unit's own character set, so every name
// read writes back byte for byte.
QString NameValue(QByteArrayView text)
{
    return QString::fromLatin1(text.first(std::min(text.size(), FileNameLength)));
}

// The next line without its line end and trailing white space, at most
// MaxLineLength bytes of it. False at the end of the device.
bool ReadLine(QIODevice& device, QByteArray& line)
{
    std::array<char, MaxLineLength + 1> buffer;
    const qint64 size = device.readLine(buffer.data(), static_cast<qint64>(buffer.size()));
    if (size <= 0)
        return false;
    line = QByteArray(buffer.data(), static_cast<qsizetype>(size)).trimmed();
    bool ended = buffer[static_cast<std::size_t>(size - 1)] == '\n';
    while (!ended) {
        const qint64 more = device.readLine(buffer.data(), static_cast<qint64>(buffer.size()));
        if (more <= 0)
            break;
        ended = buffer[static_cast<std::size_t>(more - 1)] == '\n';
    }
    return true;
}

QByteArray KeyLine(int indent, QByteArrayView key, const QByteArray& value)
{
    return QByteArray(indent, '\t') + key.toByteArray() + " = " + value + LineEnd.toByteArray();
}

// What the reader collects before it replaces the list's records. A record
// becomes part of the section when its last key is read; until then later
// keys overwrite its fields, so a record missing that key runs into the next.
struct Reading
{
    explicit Reading(int step) : stepSize(step) {}

    void Apply(QByteArrayView key, QByteArrayView value)
    {
        if (SameKey(key, AmStepKey)) {
            const int step = IntegerValue(value);
            if (step == TunerPresetList::AmStep9 || step == TunerPresetList::AmStep10)
                stepSize = step;
        } else if (SameKey(key, AmPresetKey)) {
            am.number = IntegerValue(value);
        } else if (SameKey(key, AmFrequencyKey)) {
            am.frequency = IntegerValue(value);
            if (!TunerPresetList::IsAmFrequency(am.frequency))
                am.frequency = TunerPresetList::DefaultAmFrequency(stepSize);
            if (amDone.size() < TunerPresetList::AmCapacity)
                amDone.append(am);
            am = AmPreset{};
        } else if (SameKey(key, FmPresetKey)) {
            fm.number = IntegerValue(value);
        } else if (SameKey(key, FmFrequencyKey)) {
            fm.frequency = HundredthsValue(value);
            if (!TunerPresetList::IsFmFrequency(fm.frequency))
                fm.frequency = TunerPresetList::DefaultFmFrequency;
        } else if (SameKey(key, FmMuteKey)) {
            fm.mute = IntegerValue(value);
        } else if (SameKey(key, FmNameKey)) {
            fm.name = NameValue(value);
            if (fmDone.size() < TunerPresetList::FmCapacity)
                fmDone.append(fm);
            fm = FreshFm();
        }
    }

    static FmPreset FreshFm() { return FmPreset{0, TunerPresetList::DefaultFmFrequency, 0, {}}; }

    int stepSize;
    AmPreset am;
    FmPreset fm = FreshFm();
    QList<AmPreset> amDone;
    QList<FmPreset> fmDone;
};

} // namespace

namespace TunerPresetFile {

QByteArray SectionText(const TunerPresetList& list, int indent)
{
    const int outer = std::max(indent, 0);
    const int inner = outer + 1;
    const QByteArray blank = LineEnd.toByteArray();

    QByteArray text = QByteArray(outer, '\t') + OpenTag + blank + blank;
    text += KeyLine(inner, AmStepKey, QByteArray::number(list.AmStepSize())) + blank;
    for (const AmPreset& preset : list.AmPresets()) {
        text += KeyLine(inner, AmPresetKey, QByteArray::number(preset.number));
        text += KeyLine(inner, AmFrequencyKey, QByteArray::number(preset.frequency)) + blank;
    }
    for (const FmPreset& preset : list.FmPresets()) {
        text += KeyLine(inner, FmPresetKey, QByteArray::number(preset.number));
        // Frequencies held are inside the band, so never negative.
        const QByteArray mhz =
            QString::asprintf("%d.%02d", preset.frequency / 100, preset.frequency % 100).toLatin1();
        text += KeyLine(inner, FmFrequencyKey, mhz);
        text += KeyLine(inner, FmMuteKey, QByteArray::number(preset.mute));
        // A name decoded from the unit may hold any byte; a line break in it
        // would end the line and let the rest read as keys.
        QByteArray name = preset.name.toLatin1();
        std::replace_if(
            name.begin(), name.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
        text += KeyLine(inner, FmNameKey, name) + blank;
    }
    text += QByteArray(outer, '\t') + CloseTag + blank;
    return text;
}

bool WriteSection(QIODevice& device, const TunerPresetList& list, int indent)
{
    const QByteArray text = SectionText(list, indent);
    return device.write(text) == text.size();
}

bool IsTunerPresetFile(QIODevice& device)
{
    if (!device.isReadable())
        return false;
    QByteArray start;
    if (device.isSequential()) {
        start = device.peek(ProbeLength);
    } else {
        const qint64 position = device.pos();
        if (!device.seek(0))
            return false;
        start = device.read(ProbeLength);
        device.seek(position);
    }
    const QByteArrayView tag(OpenTag);
    return start.size() >= tag.size() && SameKey(QByteArrayView(start).first(tag.size()), tag);
}

int ReadSection(QIODevice& device, TunerPresetList& list, bool* closed)
{
    if (closed)
        *closed = false;
    if (!device.isReadable())
        return 0;
    const QByteArray openTag = QByteArray(OpenTag).toLower();
    const QByteArray closeTag = QByteArray(CloseTag).toLower();

    Reading reading(list.AmStepSize());
    bool inSection = false;
    int lines = 0;
    QByteArray line;
    while (ReadLine(device, line)) {
        ++lines;
        const QByteArray lower = line.toLower();
        if (lower.contains(openTag)) {
            inSection = true;
            continue;
        }
        if (!inSection)
            continue;
        if (lower.contains(closeTag)) {
            if (closed)
                *closed = true;
            break;
        }
        const qsizetype equals = line.indexOf('=');
        if (equals < 0)
            continue;
        const QByteArrayView whole(line);
        reading.Apply(whole.first(equals).trimmed(), whole.sliced(equals + 1).trimmed());
    }

    // Every frequency was put inside its band and the counts kept within the
    // capacities, so each add is accepted.
    list.Clear();
    list.SetAmStepSize(reading.stepSize);
    for (const AmPreset& preset : reading.amDone)
        list.AddAm(preset.number, preset.frequency);
    for (const FmPreset& preset : reading.fmDone)
        list.AddFm(preset.number, preset.frequency, preset.mute, preset.name);
    return lines;
}

Outcome Save(const QString& path, const TunerPresetList& list, QString* error)
{
    SafeSave file(path);
    if (!file.Open(error))
        return Outcome::Failed;
    // A write the device refused shows in the commit's flush as well.
    WriteSection(file.Device(), list, 0);
    return file.Commit(error) ? Outcome::Done : Outcome::Failed;
}

Outcome Load(const QString& path, TunerPresetList& list, QString* error)
{
    QByteArray bytes;
    if (!LocalFile::ReadAll(path, MaxFileSize, "a tuner preset file", &bytes, error))
        return Outcome::Failed;
    QBuffer file(&bytes);
    file.open(QIODevice::ReadOnly);
    if (!IsTunerPresetFile(file))
        return Outcome::NotTunerPresetFile;
    TunerPresetList read = list;
    bool closed = false;
    ReadSection(file, read, &closed);
    if (!closed)
        return Outcome::CutOff;
    list = read;
    return Outcome::Done;
}

} // namespace TunerPresetFile
