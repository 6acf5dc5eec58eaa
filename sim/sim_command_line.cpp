#include "sim_command_line.h"

#include "eeprom_file.h"
#include "sim_unit.h"

#include <QCommandLineParser>

#include <limits>

namespace {

struct Range
{
    qint64 low;
    qint64 high;
};

bool ReadNumber(const QCommandLineParser& parser, const QCommandLineOption& option, Range range,
                qint64* value, QString* error)
{
    if (!parser.isSet(option))
        return true;
    bool ok = false;
    const QString text = parser.value(option);
    const qint64 number = text.toLongLong(&ok);
    if (!ok || number < range.low || number > range.high) {
        *error = QStringLiteral("--%1 takes a number from %2 to %3, not \"%4\"")
                     .arg(option.names().constFirst())
                     .arg(range.low)
                     .arg(range.high)
                     .arg(text);
        return false;
    }
    *value = number;
    return true;
}

bool ReadInt(const QCommandLineParser& parser, const QCommandLineOption& option, Range range,
             int* value, QString* error)
{
    qint64 number = *value;
    if (!ReadNumber(parser, option, range, &number, error))
        return false;
    *value = static_cast<int>(number);
    return true;
}

// Each INDEX=MAX of a repeatable clamp option into clamps; cells outside
// 0..cells - 1 or values outside 0..255 are refused.
bool ReadClamps(const QCommandLineParser& parser, const QCommandLineOption& option, int cells,
                QMap<int, int>* clamps, QString* error)
{
    for (const QString& text : parser.values(option)) {
        const QStringList parts = text.split(u'=');
        bool cellOk = false;
        bool maxOk = false;
        const int cell = parts.size() == 2 ? parts.at(0).toInt(&cellOk) : -1;
        const int max = parts.size() == 2 ? parts.at(1).toInt(&maxOk) : -1;
        if (!cellOk || !maxOk || cell < 0 || cell >= cells || max < 0 || max > 0xFF) {
            *error = QStringLiteral("--%1 takes %2=MAX with %2 from 0 to %3 and MAX from 0 to "
                                    "255, not \"%4\"")
                         .arg(option.names().constFirst(), option.valueName().section(u'=', 0, 0))
                         .arg(cells - 1)
                         .arg(text);
            return false;
        }
        clamps->insert(cell, max);
    }
    return true;
}

// Every option of the simulator's command line.
struct OptionSet
{
    const QCommandLineOption help{QStringList{QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help.")};
    const QCommandLineOption model{QStringLiteral("model"),
                                   QStringLiteral("Identification text (default K230)."),
                                   QStringLiteral("TEXT")};
    const QCommandLineOption firmware{QStringLiteral("firmware"),
                                      QStringLiteral("Firmware version vX.YY (default v2.05)."),
                                      QStringLiteral("VERSION")};
    const QCommandLineOption eeprom{
        QStringLiteral("eeprom"),
        QStringLiteral("EEPROM image of 2048 bytes: loaded at start if it exists, saved after "
                       "writes and at exit."),
        QStringLiteral("FILE")};
    const QCommandLineOption linkPath{
        QStringLiteral("link"),
        QStringLiteral("Symlink to the slave path (an existing symlink is replaced)."),
        QStringLiteral("PATH")};
    const QCommandLineOption drop{QStringLiteral("drop"),
                                  QStringLiteral("Percentage of the unit's frames that are lost."),
                                  QStringLiteral("PERCENT")};
    const QCommandLineOption corrupt{
        QStringLiteral("corrupt"),
        QStringLiteral("Percentage of the unit's frames with a bad checksum."),
        QStringLiteral("PERCENT")};
    const QCommandLineOption noise{QStringLiteral("noise"),
                                   QStringLiteral("Stray bytes before the unit's frames.")};
    const QCommandLineOption dropRequests{
        QStringLiteral("drop-requests"),
        QStringLiteral("Percentage of the program's frames that are lost before the unit sees "
                       "them."),
        QStringLiteral("PERCENT")};
    const QCommandLineOption corruptRequests{
        QStringLiteral("corrupt-requests"),
        QStringLiteral("Percentage of the program's frames that reach the unit with a bad "
                       "checksum, so that it refuses them."),
        QStringLiteral("PERCENT")};
    const QCommandLineOption noiseRequests{
        QStringLiteral("noise-requests"),
        QStringLiteral("Stray bytes before the program's frames.")};
    const QCommandLineOption faultsBoth{
        QStringLiteral("faults-both"),
        QStringLiteral("--drop, --corrupt and --noise act on the program's frames too (instead of "
                       "the -requests options).")};
    const QCommandLineOption clampLive{
        QStringLiteral("clamp-live"),
        QStringLiteral("Live setup byte INDEX holds at most MAX: a write of more stores and "
                       "echoes MAX. Repeatable."),
        QStringLiteral("INDEX=MAX")};
    const QCommandLineOption clampEeprom{
        QStringLiteral("clamp-eeprom"),
        QStringLiteral("EEPROM byte ADDRESS holds at most MAX, as --clamp-live. Repeatable."),
        QStringLiteral("ADDRESS=MAX")};
    const QCommandLineOption loseEeprom{
        QStringLiteral("lose-eeprom"),
        QStringLiteral("A worn EEPROM cell: writes to ADDRESS are echoed as taken but the cell "
                       "keeps its value. Repeatable."),
        QStringLiteral("ADDRESS")};
    const QCommandLineOption delay{QStringLiteral("reply-delay"),
                                   QStringLiteral("Delay before each reply."),
                                   QStringLiteral("MS")};
    const QCommandLineOption silentAfter{
        QStringLiteral("silent-after"),
        QStringLiteral("Stop sending anything after N received frames."), QStringLiteral("N")};
    const QCommandLineOption lineRate{
        QStringLiteral("line-rate"),
        QStringLiteral("Line rate, 10 bits per byte both ways (default 9600; 0 = unpaced)."),
        QStringLiteral("BAUD")};
    const QCommandLineOption trace{QStringLiteral("trace"),
                                   QStringLiteral("Every frame both ways to stderr.")};
    const QCommandLineOption seed{QStringLiteral("seed"),
                                  QStringLiteral("Seed of fault injection and noise (default 1)."),
                                  QStringLiteral("N")};
    const QCommandLineOption rds{QStringLiteral("rds-period"),
                                 QStringLiteral("RDS period while FM is heard (default 1000; "
                                                "0 = no RDS)."),
                                 QStringLiteral("MS")};

    void AddTo(QCommandLineParser& parser) const
    {
        parser.addOptions(
            {help,      model,       firmware,     eeprom,          linkPath,      drop,
             corrupt,   noise,       dropRequests, corruptRequests, noiseRequests, faultsBoth,
             clampLive, clampEeprom, loseEeprom,   delay,           silentAfter,   lineRate,
             trace,     seed,        rds});
    }
};

// Switches and numbers from the parsed line into `parsed`.
bool ReadValues(const QCommandLineParser& parser, const OptionSet& o, SimOptions& parsed,
                QString* text)
{
    if (parser.isSet(o.model))
        parsed.model = parser.value(o.model);
    if (parser.isSet(o.firmware))
        parsed.firmware = parser.value(o.firmware);
    int major = 0;
    int minor = 0;
    if (!SimUnit::ParseFirmware(parsed.firmware, &major, &minor)) {
        *text = QStringLiteral("--firmware takes a version vX.YY such as v2.05, not \"%1\"")
                    .arg(parsed.firmware);
        return false;
    }
    parsed.eepromFile = parser.value(o.eeprom);
    parsed.linkPath = parser.value(o.linkPath);
    parsed.noise = parser.isSet(o.noise);
    parsed.requestNoise = parser.isSet(o.noiseRequests);
    parsed.trace = parser.isSet(o.trace);

    constexpr qint64 IntMax = std::numeric_limits<int>::max();
    qint64 seedValue = parsed.seed;
    if (!ReadInt(parser, o.drop, {0, 100}, &parsed.dropPercent, text) ||
        !ReadInt(parser, o.corrupt, {0, 100}, &parsed.corruptPercent, text) ||
        !ReadInt(parser, o.dropRequests, {0, 100}, &parsed.requestDropPercent, text) ||
        !ReadInt(parser, o.corruptRequests, {0, 100}, &parsed.requestCorruptPercent, text) ||
        !ReadInt(parser, o.delay, {0, IntMax}, &parsed.replyDelayMs, text) ||
        !ReadInt(parser, o.silentAfter, {0, IntMax}, &parsed.silentAfter, text) ||
        !ReadInt(parser, o.lineRate, {0, 4'000'000}, &parsed.lineRate, text) ||
        !ReadInt(parser, o.rds, {0, IntMax}, &parsed.rdsPeriodMs, text) ||
        !ReadNumber(parser, o.seed, {0, std::numeric_limits<quint32>::max()}, &seedValue, text))
        return false;
    parsed.seed = static_cast<quint32>(seedValue);

    if (parser.isSet(o.faultsBoth)) {
        for (const QCommandLineOption* own :
             {&o.dropRequests, &o.corruptRequests, &o.noiseRequests}) {
            if (parser.isSet(*own)) {
                *text = QStringLiteral("--faults-both takes the request faults from --drop, "
                                       "--corrupt and --noise; leave out --%1")
                            .arg(own->names().constFirst());
                return false;
            }
        }
        parsed.requestDropPercent = parsed.dropPercent;
        parsed.requestCorruptPercent = parsed.corruptPercent;
        parsed.requestNoise = parsed.noise;
    }
    return true;
}

} // namespace

SimCommandLine::Outcome SimCommandLine::Parse(const QStringList& arguments, SimOptions* options,
                                              QString* text)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "A simulated Orvane receiver on a pseudo-terminal. Prints the path to open as its first "
        "line, then serves the line until SIGINT or SIGTERM."));
    const OptionSet o;
    o.AddTo(parser);
    if (!parser.parse(arguments)) {
        *text = parser.errorText();
        return Outcome::Error;
    }
    if (parser.isSet(o.help)) {
        *text = parser.helpText();
        return Outcome::Help;
    }
    if (!parser.positionalArguments().isEmpty()) {
        *text = QStringLiteral("unexpected argument \"%1\"")
                    .arg(parser.positionalArguments().constFirst());
        return Outcome::Error;
    }

    SimOptions parsed;
    if (!ReadValues(parser, o, parsed, text))
        return Outcome::Error;
    int major = 0;
    int minor = 0;
    SimUnit::ParseFirmware(parsed.firmware, &major, &minor);
    // The block size depends on the model and firmware, known by now.
    const SimUnit unit(parsed.model, major, minor);
    if (!ReadClamps(parser, o.clampLive, static_cast<int>(unit.LiveSetup().size()),
                    &parsed.liveClamps, text) ||
        !ReadClamps(parser, o.clampEeprom, SimUnit::EepromSize, &parsed.eepromClamps, text))
        return Outcome::Error;
    for (const QString& value : parser.values(o.loseEeprom)) {
        bool ok = false;
        const int address = value.toInt(&ok);
        if (!ok || address < 0 || address >= SimUnit::EepromSize) {
            *text = QStringLiteral("--lose-eeprom takes an ADDRESS from 0 to %1, not \"%2\"")
                        .arg(SimUnit::EepromSize - 1)
                        .arg(value);
            return Outcome::Error;
        }
        parsed.lostEepromWrites << address;
    }

    // A bad image is refused before the line appears, so no program connects
    // to a unit that is about to exit.
    if (!parsed.eepromFile.isEmpty()) {
        QByteArray image;
        if (EepromFile::Load(parsed.eepromFile, &image, text) == EepromFile::Result::Invalid)
            return Outcome::Error;
    }
    *options = parsed;
    return Outcome::Run;
}
