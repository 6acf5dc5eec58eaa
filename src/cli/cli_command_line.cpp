#include "cli/cli_command_line.h"

namespace {

// Splits "--name=value" and takes the value of a valued option from the next
// argument; false when the value is missing or empty.
bool TakeValue(const QStringList& arguments, qsizetype& i, const QString& inlineValue,
               bool hasInline, QString* value)
{
    if (hasInline) {
        *value = inlineValue;
    } else {
        if (i + 1 >= arguments.size())
            return false;
        *value = arguments.at(++i);
    }
    return !value->isEmpty();
}

} // namespace

bool CliCommandLine::ParseParts(const QString& text, ConfigurationParts* parts, QString* error)
{
    ConfigurationParts chosen = ConfigurationParts::None();
    for (const QString& word : text.split(u',')) {
        const QString part = word.trimmed();
        if (part == QLatin1String("current")) {
            chosen.currentSetup = true;
        } else if (part == QLatin1String("names")) {
            chosen.inputNames = true;
        } else if (part == QLatin1String("presets")) {
            chosen.presets.fill(true);
        } else if (part == QLatin1String("tuner")) {
            chosen.tuner = true;
        } else if (part.startsWith(QLatin1String("preset:"))) {
            bool number = false;
            const int k = part.mid(7).toInt(&number);
            if (!number || k < 1 || k > ConfigurationParts::PresetCount) {
                *error = QStringLiteral("--only: %1 is not preset:1 to preset:5").arg(part);
                return false;
            }
            chosen.presets[static_cast<std::size_t>(k - 1)] = true;
        } else {
            *error = QStringLiteral("--only: unknown part \"%1\" (current, names, presets, "
                                    "preset:N, tuner)")
                         .arg(part);
            return false;
        }
    }
    *parts = chosen;
    return true;
}

QString CliCommandLine::Usage()
{
    return QStringLiteral(
        "Usage:\n"
        "  veltrix [OPTIONS] [--json] status | watch\n"
        "  veltrix [OPTIONS] [--json] [--zone] power on|off | volume DB|up|down\n"
        "  veltrix [OPTIONS] [--json] [--zone] mute on|off | source NAME|NUMBER\n"
        "  veltrix [OPTIONS] [--json] surround MODE | speakers a|b on|off\n"
        "  veltrix [OPTIONS] [--json] tone bass|treble DB | preset recall|store N\n"
        "  veltrix [OPTIONS] [--json] tuner band am|fm | frequency MHZ|KHZ | preset N\n"
        "  veltrix [OPTIONS] save FILE\n"
        "  veltrix [OPTIONS] load FILE [--yes] [--verify] [--dry-run] [--only PARTS]\n"
        "  veltrix [OPTIONS] diff FILE [--only PARTS]\n"
        "  veltrix diff FILE1 FILE2 [--only PARTS]\n"
        "  veltrix [OPTIONS] presets save FILE\n"
        "  veltrix [OPTIONS] presets load FILE\n"
        "  veltrix --help | --version\n"
        "\n"
        "OPTIONS are --port PORT, --retry MS, --quiet and --trace FILE. While the desktop\n"
        "program runs, a command goes through it (unless --port names another port).\n"
        "\n"
        "  watch         print each change the unit reports until Ctrl-C (exit 0)\n"
        "  VERBS         wait for the unit to report the new value: exit 0, or exit 1\n"
        "                saying what it reports; NUMBER is 1 to 10, MHZ like 101.10\n"
        "  --json        one JSON object (JSON lines for watch); errors as {\"error\": ...}\n"
        "  --zone        the second zone instead of the main room\n"
        "  --port PORT   COM1..COM8, a device path, a name under /dev, or \"Auto Detect\"\n"
        "                (default: the port chosen in the program's Options)\n"
        "  --retry MS    wait MS for every reply before asking again (default: the\n"
        "                RetryPeriod setting, else a wait that follows the line)\n"
        "  --quiet       no progress on stderr\n"
        "  --trace FILE  write every frame both ways to FILE\n"
        "  --yes         load a file saved for another model without asking\n"
        "  --verify      after a load, read back everything written and compare\n"
        "  --dry-run     list the writes a load would make; send nothing\n"
        "  --only PARTS  load, verify or compare only these parts, comma-separated:\n"
        "                current, names, presets, preset:N (1 to 5), tuner\n");
}

namespace {

// The options of a line, wherever they stand, and its other words in order.
struct Scanned
{
    CliRequest request;
    QStringList words;
    bool help = false;
    bool version = false;
    bool loadOption = false; // --yes, --verify or --dry-run
    bool onlyOption = false; // --only
    bool zone = false;       // --zone
};

bool ScanOptions(const QStringList& arguments, Scanned* scanned, QString* error)
{
    CliRequest& parsed = scanned->request;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        if (!argument.startsWith(QLatin1String("--")) || argument == QLatin1String("--")) {
            scanned->words.append(argument);
            continue;
        }
        const qsizetype equals = argument.indexOf(QLatin1Char('='));
        const QString name = equals < 0 ? argument : argument.left(equals);
        const QString inlineValue = equals < 0 ? QString() : argument.mid(equals + 1);
        const bool hasInline = equals >= 0;
        if (name == QLatin1String("--port") || name == QLatin1String("--trace") ||
            name == QLatin1String("--only") || name == QLatin1String("--retry")) {
            QString value;
            if (!TakeValue(arguments, i, inlineValue, hasInline, &value)) {
                *error = QStringLiteral("%1 needs a value").arg(name);
                return false;
            }
            if (name == QLatin1String("--only")) {
                if (!CliCommandLine::ParseParts(value, &parsed.only, error))
                    return false;
                scanned->onlyOption = true;
            } else if (name == QLatin1String("--retry")) {
                bool number = false;
                parsed.retryMs = value.toInt(&number);
                if (!number || parsed.retryMs < 1 || parsed.retryMs > 60000) {
                    *error = QStringLiteral("--retry: %1 is not 1 to 60000 ms").arg(value);
                    return false;
                }
            } else {
                (name == QLatin1String("--port") ? parsed.port : parsed.tracePath) = value;
            }
            continue;
        }
        if (hasInline) {
            *error = QStringLiteral("%1 takes no value").arg(name);
            return false;
        }
        if (name == QLatin1String("--quiet"))
            parsed.quiet = true;
        else if (name == QLatin1String("--help"))
            scanned->help = true;
        else if (name == QLatin1String("--version"))
            scanned->version = true;
        else if (name == QLatin1String("--yes"))
            parsed.yes = scanned->loadOption = true;
        else if (name == QLatin1String("--verify"))
            parsed.verify = scanned->loadOption = true;
        else if (name == QLatin1String("--json"))
            parsed.json = true;
        else if (name == QLatin1String("--zone"))
            scanned->zone = true;
        else if (name == QLatin1String("--dry-run"))
            parsed.dryRun = scanned->loadOption = true;
        else {
            *error = QStringLiteral("unknown option %1").arg(argument);
            return false;
        }
    }
    return true;
}

// The command from the first words (taken off the list); how many FILE
// words it wants in `fileWords`.
bool TakeCommand(QStringList& words, CliRequest* parsed, qsizetype* fileWords, QString* error)
{
    const QString command = words.takeFirst();
    *fileWords = 1;
    if (command == QLatin1String("status") || command == QLatin1String("watch")) {
        parsed->command = command == QLatin1String("status") ? CliRequest::Command::Status
                                                             : CliRequest::Command::Watch;
        *fileWords = 0;
    } else if (LiveVerb::IsVerb(command)) {
        parsed->command = CliRequest::Command::Live;
        *fileWords = 0;
    } else if (command == QLatin1String("save")) {
        parsed->command = CliRequest::Command::Save;
    } else if (command == QLatin1String("load")) {
        parsed->command = CliRequest::Command::Load;
    } else if (command == QLatin1String("diff")) {
        parsed->command = CliRequest::Command::Diff;
    } else if (command == QLatin1String("presets")) {
        const QString action = words.isEmpty() ? QString() : words.takeFirst();
        if (action == QLatin1String("save"))
            parsed->command = CliRequest::Command::PresetsSave;
        else if (action == QLatin1String("load"))
            parsed->command = CliRequest::Command::PresetsLoad;
        else {
            *error = action.isEmpty() ? QStringLiteral("presets needs save or load")
                                      : QStringLiteral("unknown presets command %1").arg(action);
            return false;
        }
    } else {
        *error = QStringLiteral("unknown command %1").arg(command);
        return false;
    }
    return true;
}

} // namespace

bool CliCommandLine::Parse(const QStringList& arguments, CliRequest* request, QString* error)
{
    Scanned scanned;
    if (!ScanOptions(arguments, &scanned, error))
        return false;
    CliRequest parsed = scanned.request;
    QStringList& words = scanned.words;
    if (scanned.help || scanned.version) {
        if (!words.isEmpty()) {
            *error =
                QStringLiteral("%1 stands alone")
                    .arg(scanned.help ? QStringLiteral("--help") : QStringLiteral("--version"));
            return false;
        }
        parsed.command = scanned.help ? CliRequest::Command::Help : CliRequest::Command::Version;
        *request = parsed;
        return true;
    }
    if (words.isEmpty()) {
        *error = QStringLiteral("no command given");
        return false;
    }
    const QString command = words.constFirst();
    qsizetype fileWords = 0;
    if (!TakeCommand(words, &parsed, &fileWords, error))
        return false;
    const bool live = parsed.command == CliRequest::Command::Live;
    if (scanned.zone && !live) {
        *error = QStringLiteral("--zone belongs to power, volume, mute and source");
        return false;
    }
    if (parsed.json && !live && parsed.command != CliRequest::Command::Status &&
        parsed.command != CliRequest::Command::Watch) {
        *error = QStringLiteral("--json belongs to status, watch and the live verbs");
        return false;
    }
    if (live) {
        if (!LiveVerb::Parse(command, words, scanned.zone, &parsed.verb, error))
            return false;
        words.clear();
    }
    if (words.size() < fileWords || (fileWords > 0 && words.constFirst().isEmpty())) {
        *error = QStringLiteral("%1 needs a FILE").arg(command);
        return false;
    }
    // diff takes a second file: then no unit is used.
    const qsizetype most = parsed.command == CliRequest::Command::Diff ? 2 : fileWords;
    if (words.size() > most) {
        *error = QStringLiteral("unexpected argument %1").arg(words.at(most));
        return false;
    }
    if (fileWords > 0)
        parsed.file = words.constFirst();
    if (words.size() == 2) {
        if (words.at(1).isEmpty()) {
            *error = QStringLiteral("%1 needs a FILE").arg(command);
            return false;
        }
        parsed.file2 = words.at(1);
    }
    if (scanned.loadOption && parsed.command != CliRequest::Command::Load) {
        *error = QStringLiteral("--yes, --verify and --dry-run belong to load");
        return false;
    }
    if (scanned.onlyOption && parsed.command != CliRequest::Command::Load &&
        parsed.command != CliRequest::Command::Diff) {
        *error = QStringLiteral("--only belongs to load and diff");
        return false;
    }
    *request = parsed;
    return true;
}
