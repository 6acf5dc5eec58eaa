#include "files/settings_file_format.h"

namespace SettingsFileFormat {

namespace {

constexpr int LevelOffset = 12; // code of 0 dB
constexpr int ToneZero = 5;     // code of 0 dB
constexpr int ToneStep = 2;     // dB per code
constexpr int MetreStepTenths = 3;

// "+3 dB", "0 dB", "-12 dB".
QByteArray DecibelText(int dB)
{
    QByteArray text = dB > 0 ? QByteArray("+") : QByteArray();
    return text + QByteArray::number(dB) + " dB";
}

struct TwoChannelEntry
{
    int code;
    int name; // index into TwoChannelModes
};

// Codes in ascending order; the names of codes 1 and 5 are those of 2 and 4.
constexpr std::array<TwoChannelEntry, 14> TwoChannelTable{{{0, 0},
                                                           {1, 1},
                                                           {2, 1},
                                                           {3, 2},
                                                           {4, 3},
                                                           {5, 3},
                                                           {6, 4},
                                                           {7, 5},
                                                           {8, 6},
                                                           {9, 7},
                                                           {10, 8},
                                                           {11, 9},
                                                           {12, 10},
                                                           {13, 11}}};

// The code a name stands for when read: the first code that has it.
constexpr std::array<int, 12> TwoChannelCodeOfName{0, 2, 3, 4, 6, 7, 8, 9, 10, 11, 12, 13};

} // namespace

QByteArray LevelText(int code)
{
    if (code < 0)
        code = 0;
    if (code >= LevelCount)
        return QByteArray::number(code);
    return DecibelText(code - LevelOffset);
}

QByteArray ToneText(int code)
{
    if (code < 0)
        code = 0;
    if (code >= ToneCount)
        return QByteArray::number(code);
    return DecibelText((code - ToneZero) * ToneStep);
}

QByteArray DistanceText(int code, bool metres)
{
    if (code < 0)
        code = 0;
    if (code >= DistanceCount)
        return QByteArray::number(code);
    if (!metres)
        return QByteArray::number(code + 1) + " ft";
    const int tenths = (code + 1) * MetreStepTenths;
    return QByteArray::number(tenths / 10) + '.' + QByteArray::number(tenths % 10) + " m";
}

QByteArray TwoChannelName(int code)
{
    for (const TwoChannelEntry& entry : TwoChannelTable) {
        if (entry.code == code)
            return QByteArray(TwoChannelModes[static_cast<std::size_t>(entry.name)]);
    }
    return QByteArray();
}

int TwoChannelCode(QStringView name)
{
    for (std::size_t i = 0; i < TwoChannelModes.size(); ++i) {
        if (name.compare(QLatin1String(TwoChannelModes[i]), Qt::CaseInsensitive) == 0)
            return TwoChannelCodeOfName[i];
    }
    return -1;
}

} // namespace SettingsFileFormat
