#include "tuner/tuner_entry.h"

#include <algorithm>

namespace {

constexpr int FrequencyLimit = 0xFFFF;
constexpr int PresetLimit = 0xFF;
// Above every limit, so a long run of digits cannot overflow.
constexpr qint64 Saturation = 1'000'000'000;

bool IsDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

QStringView SkipLeadingSpace(QStringView text)
{
    qsizetype from = 0;
    while (from < text.size() && text[from].isSpace())
        ++from;
    return text.sliced(from);
}

// The number the leading digits of text spell; 0 when there are none.
qint64 LeadingNumber(QStringView text)
{
    qint64 number = 0;
    for (QChar c : text) {
        if (!IsDigit(c))
            break;
        number = std::min(number * 10 + (c.unicode() - u'0'), Saturation);
    }
    return number;
}

int Limited(qint64 value, int limit)
{
    return value > limit ? 0 : static_cast<int>(value);
}

} // namespace

namespace TunerEntry {

int ParseFm(const QString& text)
{
    QStringView entry = SkipLeadingSpace(text);
    qsizetype end = 0;
    while (end < entry.size() && (IsDigit(entry[end]) || entry[end] == u'.'))
        ++end;
    entry = entry.first(end);

    const qsizetype dot = entry.indexOf(u'.');
    if (dot < 0)
        return Limited(LeadingNumber(entry) * 100, FrequencyLimit);
    // Hundredths: "7" reads as "70", "125" as "12".
    QString fraction = entry.sliced(dot + 1).left(2).toString();
    while (fraction.size() < 2)
        fraction.append(u'0');
    return Limited(LeadingNumber(entry.first(dot)) * 100 + LeadingNumber(fraction), FrequencyLimit);
}

int ParseAm(const QString& text)
{
    return Limited(LeadingNumber(SkipLeadingSpace(text)), FrequencyLimit);
}

int ParsePreset(const QString& text)
{
    return Limited(LeadingNumber(SkipLeadingSpace(text)), PresetLimit);
}

} // namespace TunerEntry
