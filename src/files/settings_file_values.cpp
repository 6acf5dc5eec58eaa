#include "files/settings_file_reader.h"

#include <algorithm>

// The value rules of a settings file's lines, which every section reader
// uses: a key's value, and the lenient integer and decimal readings.

namespace {

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
