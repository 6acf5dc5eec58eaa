#include "cli/cli_live_verb.h"

#include "cli/cli_status_report.h"
#include "model/live_presenter.h"
#include "unit/unit_session.h"

#include <cmath>

namespace {

const QStringList VerbNames = {
    QStringLiteral("power"),  QStringLiteral("volume"),   QStringLiteral("mute"),
    QStringLiteral("source"), QStringLiteral("surround"), QStringLiteral("speakers"),
    QStringLiteral("tone"),   QStringLiteral("preset"),   QStringLiteral("tuner"),
};

// "on" or "off"; false for anything else.
bool OnOff(const QString& word, bool* on)
{
    *on = word == QLatin1String("on");
    return *on || word == QLatin1String("off");
}

bool Integer(const QString& word, int low, int high, int* value)
{
    bool ok = false;
    *value = word.toInt(&ok);
    return ok && *value >= low && *value <= high;
}

// Surround mode names match ignoring case, blanks and punctuation:
// "dolby-pro-logic-ii-movie" is "Dolby Pro Logic II - Movie".
QString Folded(const QString& name)
{
    QString folded;
    for (const QChar c : name) {
        if (c.isLetterOrNumber())
            folded.append(c.toLower());
    }
    return folded;
}

// The tuner's words; false with `error` set only for a frequency it cannot read.
bool ParseTuner(const QStringList& words, LiveVerb* verb, QString* error)
{
    const QString what = words.value(0);
    const QString value = words.value(1);
    if (what == QLatin1String("band") &&
        (value == QLatin1String("am") || value == QLatin1String("fm"))) {
        verb->kind = LiveVerb::Kind::TunerBand;
        verb->on = value == QLatin1String("fm");
        return true;
    }
    if (what == QLatin1String("preset") && Integer(value, 1, 255, &verb->number)) {
        verb->kind = LiveVerb::Kind::TunerPreset;
        return true;
    }
    if (what == QLatin1String("frequency")) {
        verb->kind = LiveVerb::Kind::TunerFrequency;
        // MHz with a decimal point is FM (kept in 10 kHz units), a whole
        // number of kHz is AM.
        bool ok = false;
        if (value.contains(u'.')) {
            const double megahertz = value.toDouble(&ok);
            verb->on = true;
            verb->number = ok ? static_cast<int>(std::lround(megahertz * 100)) : 0;
        } else {
            verb->number = value.toInt(&ok);
        }
        if (ok && verb->number > 0 && verb->number <= 0xFFFF)
            return true;
        *error = QStringLiteral("tuner frequency: %1 is not MHz (101.10) or kHz (999)").arg(value);
        return false;
    }
    return false;
}

} // namespace

bool LiveVerb::IsVerb(const QString& word)
{
    return VerbNames.contains(word);
}

bool LiveVerb::Parse(const QString& name, const QStringList& words, bool zone, LiveVerb* verb,
                     QString* error)
{
    LiveVerb parsed;
    parsed.zone = zone;
    parsed.argument = words.value(words.size() - 1);
    const bool roomVerb = name == QLatin1String("power") || name == QLatin1String("volume") ||
                          name == QLatin1String("mute") || name == QLatin1String("source");
    if (zone && !roomVerb) {
        *error = QStringLiteral("--zone belongs to power, volume, mute and source");
        return false;
    }
    const qsizetype wanted = roomVerb || name == QLatin1String("surround") ? 1 : 2;
    if (words.size() > wanted) {
        *error = QStringLiteral("unexpected argument %1").arg(words.at(wanted));
        return false;
    }
    const QString first = words.value(0);
    const QString second = words.value(1);
    bool ok = words.size() == wanted && !first.isEmpty();
    if (name == QLatin1String("power") || name == QLatin1String("mute")) {
        parsed.kind = name == QLatin1String("power") ? Kind::Power : Kind::Mute;
        ok = ok && OnOff(first, &parsed.on);
    } else if (name == QLatin1String("volume")) {
        parsed.kind = Kind::Volume;
        parsed.on = first == QLatin1String("up");
        ok = ok && (parsed.on || first == QLatin1String("down") ||
                    Integer(first, -128, 127, &parsed.number));
    } else if (name == QLatin1String("source") || name == QLatin1String("surround")) {
        parsed.kind = name == QLatin1String("source") ? Kind::Source : Kind::Surround;
    } else if (name == QLatin1String("speakers")) {
        parsed.kind = Kind::Speakers;
        parsed.which = first;
        ok = ok && (first == QLatin1String("a") || first == QLatin1String("b")) &&
             OnOff(second, &parsed.on);
    } else if (name == QLatin1String("tone")) {
        parsed.kind = Kind::Tone;
        parsed.which = first;
        ok = ok && (first == QLatin1String("bass") || first == QLatin1String("treble")) &&
             Integer(second, -128, 127, &parsed.number);
    } else if (name == QLatin1String("preset")) {
        parsed.kind = Kind::Preset;
        parsed.which = first;
        ok = ok && (first == QLatin1String("recall") || first == QLatin1String("store")) &&
             Integer(second, 1, AvPresetCount, &parsed.number);
    } else if (name == QLatin1String("tuner")) {
        QString frequencyError;
        ok = ok && ParseTuner(words, &parsed, &frequencyError);
        if (!frequencyError.isEmpty()) {
            *error = frequencyError;
            return false;
        }
    } else {
        *error = QStringLiteral("unknown command %1").arg(name);
        return false;
    }
    if (!ok) {
        static const QHash<QString, QString> forms = {
            {QStringLiteral("power"), QStringLiteral("on|off")},
            {QStringLiteral("mute"), QStringLiteral("on|off")},
            {QStringLiteral("volume"), QStringLiteral("DB|up|down")},
            {QStringLiteral("source"), QStringLiteral("NAME|NUMBER")},
            {QStringLiteral("surround"), QStringLiteral("MODE")},
            {QStringLiteral("speakers"), QStringLiteral("a|b on|off")},
            {QStringLiteral("tone"), QStringLiteral("bass|treble DB")},
            {QStringLiteral("preset"), QStringLiteral("recall|store 1..5")},
            {QStringLiteral("tuner"), QStringLiteral("band am|fm, frequency MHZ|KHZ or preset N")},
        };
        *error = QStringLiteral("%1 needs %2").arg(name, forms.value(name));
        return false;
    }
    *verb = parsed;
    return true;
}

// ------------------------------------------------------------------ the run

CliLiveVerbRun::CliLiveVerbRun(UnitSession& unitSession, const LiveVerb& liveVerb,
                               int reportLimitMs, QObject* parent)
    : QObject(parent), session(unitSession), verb(liveVerb), reportLimit(reportLimitMs)
{
    limitTimer.setSingleShot(true);
    connect(&limitTimer, &QTimer::timeout, this, [this] {
        QStringList reported;
        const QList<StatusField> fields = CliStatusReport::Fields(session);
        // A value of a room that is off reads "-": the room's power says why.
        if (Section() != QLatin1String("tuner") && Key() != QLatin1String("power"))
            reported += CliStatusReport::Lines(
                CliStatusReport::Select(fields, Section(), QStringLiteral("power")));
        reported += CliStatusReport::Lines(CliStatusReport::Select(fields, Section(), Key()));
        Fail(QStringLiteral("the unit did not report %1 within %2 s; it reports %3")
                 .arg(steps.isEmpty() ? QString() : steps.constFirst().wanted)
                 .arg((reportLimit + 999) / 1000)
                 .arg(reported.join(QStringLiteral(", "))));
    });
    // Connected after the session's own handling, so the live status holds
    // the report when it is checked.
    connect(&session.Link(), &UnitLink::payloadReceived, this, &CliLiveVerbRun::Check);
}

QString CliLiveVerbRun::Section() const
{
    switch (verb.kind) {
    case LiveVerb::Kind::Power:
    case LiveVerb::Kind::Volume:
    case LiveVerb::Kind::Mute:
    case LiveVerb::Kind::Source:
        return verb.zone ? QStringLiteral("zone") : QStringLiteral("main");
    case LiveVerb::Kind::Surround:
    case LiveVerb::Kind::Speakers:
    case LiveVerb::Kind::Tone:
    case LiveVerb::Kind::Preset:
        return QStringLiteral("main");
    case LiveVerb::Kind::TunerBand:
    case LiveVerb::Kind::TunerFrequency:
    case LiveVerb::Kind::TunerPreset:
        return QStringLiteral("tuner");
    }
    return QString();
}

QString CliLiveVerbRun::Key() const
{
    switch (verb.kind) {
    case LiveVerb::Kind::Power:
        return QStringLiteral("power");
    case LiveVerb::Kind::Volume:
        return QStringLiteral("volume");
    case LiveVerb::Kind::Mute:
        return QStringLiteral("mute");
    case LiveVerb::Kind::Source:
        return QStringLiteral("source");
    case LiveVerb::Kind::Surround:
        return QStringLiteral("surround");
    case LiveVerb::Kind::Speakers:
        return QStringLiteral("speakers ") + verb.which;
    case LiveVerb::Kind::Tone:
        return verb.which;
    case LiveVerb::Kind::Preset:
        return QString();
    case LiveVerb::Kind::TunerBand:
        return QStringLiteral("band");
    case LiveVerb::Kind::TunerFrequency:
        return QStringLiteral("frequency");
    case LiveVerb::Kind::TunerPreset:
        return QStringLiteral("preset");
    }
    return QString();
}

void CliLiveVerbRun::Start()
{
    QString error;
    if (!Plan(&error)) {
        Fail(error);
        return;
    }
    Next();
}

bool CliLiveVerbRun::Plan(QString* error)
{
    UnitCommands& commands = session.Commands();
    switch (verb.kind) {
    case LiveVerb::Kind::Power:
    case LiveVerb::Kind::Volume:
    case LiveVerb::Kind::Mute:
        PlanRoom();
        return true;
    case LiveVerb::Kind::Source:
        return PlanSource(error);
    case LiveVerb::Kind::Surround:
        return PlanSurround(error);
    case LiveVerb::Kind::Speakers: {
        if (!session.Status().facts.HasSpeakerSwitching()) {
            *error = QStringLiteral("the %1 has no speaker switching")
                         .arg(session.Status().facts.modelText);
            return false;
        }
        const bool a = verb.which == QLatin1String("a");
        const bool on = verb.on;
        steps.append(
            {[&commands, a] {
                 commands.Toggle(a ? UnitCommands::Switch::SpeakersA
                                   : UnitCommands::Switch::SpeakersB);
             },
             [a, on](const LiveValues& v) { return (a ? v.speakersA : v.speakersB) == on; },
             QStringLiteral("speakers %1 %2").arg(verb.which, verb.argument)});
        return true;
    }
    case LiveVerb::Kind::Tone: {
        const bool bass = verb.which == QLatin1String("bass");
        const int target = verb.number;
        steps.append(
            {[&commands, bass, target] {
                 commands.SetTone(bass ? UnitCommands::Tone::Bass : UnitCommands::Tone::Treble,
                                  target);
             },
             [bass, target](const LiveValues& v) { return (bass ? v.bass : v.treble) == target; },
             QStringLiteral("%1 %2").arg(verb.which, LivePresenter::ToneText(target))});
        return true;
    }
    case LiveVerb::Kind::Preset: {
        // Neither a recall nor a store has a value of its own to report: the
        // unit's answer to a query sent after it shows it was taken (the unit
        // handles its frames in order).
        const bool recall = verb.which == QLatin1String("recall");
        const int number = verb.number;
        steps.append({[&commands, recall, number] {
                          if (recall)
                              commands.RecallPreset(number);
                          else
                              commands.StorePreset(number);
                          commands.QueryAll();
                      },
                      [this](const LiveValues&) { return waiting && heard; },
                      QStringLiteral("the state after %1 %2").arg(verb.which).arg(number)});
        return true;
    }
    case LiveVerb::Kind::TunerBand:
    case LiveVerb::Kind::TunerFrequency:
    case LiveVerb::Kind::TunerPreset:
        return PlanTuner(error);
    }
    return false;
}

void CliLiveVerbRun::PlanRoom()
{
    UnitCommands& commands = session.Commands();
    const bool zone = verb.zone;
    const auto room = zone ? UnitCommands::Room::Zone : UnitCommands::Room::Main;
    const QString name = Section();
    const auto power = [zone](const LiveValues& v) { return zone ? v.zonePower : v.mainPower; };
    const auto volume = [zone](const LiveValues& v) { return zone ? v.zoneVolume : v.mainVolume; };
    const bool on = verb.on;
    switch (verb.kind) {
    case LiveVerb::Kind::Power:
        steps.append({[&commands, room] { commands.TogglePower(room); },
                      [power, on](const LiveValues& v) { return power(v) == on; },
                      QStringLiteral("%1 power %2").arg(name, verb.argument)});
        return;
    case LiveVerb::Kind::Mute:
        steps.append({[&commands, zone] {
                          commands.Toggle(zone ? UnitCommands::Switch::ZoneMute
                                               : UnitCommands::Switch::MainMute);
                      },
                      [zone, on](const LiveValues& v) {
                          return v.ReportedSound(zone ? LiveRoom::Zone : LiveRoom::Main).mute == on;
                      },
                      QStringLiteral("%1 mute %2").arg(name, verb.argument)});
        return;
    default:
        break;
    }
    const LiveValues& now = session.Status();
    if (verb.argument == QLatin1String("up") || verb.argument == QLatin1String("down")) {
        // A step: any new level the right way is the unit's answer.
        const bool wasOn = power(now);
        const int before = volume(now);
        steps.append({[&commands, room, on] { commands.StepVolume(room, on ? -1 : 1); },
                      [=](const LiveValues& v) {
                          return power(v) && wasOn &&
                                 (on ? volume(v) > before : volume(v) < before);
                      },
                      QStringLiteral("%1 volume %2").arg(name, verb.argument)});
        return;
    }
    const int target = verb.number;
    steps.append({[&commands, room, target] { commands.SetVolume(room, target); },
                  [=](const LiveValues& v) { return power(v) && volume(v) == target; },
                  QStringLiteral("%1 volume %2").arg(name, session.Live().VolumeText(target))});
}

bool CliLiveVerbRun::PlanSource(QString* error)
{
    const bool zone = verb.zone;
    const LiveRoom liveRoom = zone ? LiveRoom::Zone : LiveRoom::Main;
    const LiveStatus& live = session.Live();
    QStringList names;
    int index = -1;
    for (int input = 0; input < InputCount; ++input) {
        const QString name = LivePresenter::ShowsInputName(input, liveRoom)
                                 ? live.InputCaption(input).trimmed()
                                 : LivePresenter::DefaultCaption(input, liveRoom);
        names.append(name);
        if (index < 0 && name.compare(verb.argument.trimmed(), Qt::CaseInsensitive) == 0)
            index = input;
    }
    int number = 0;
    if (index < 0 && Integer(verb.argument, 1, InputCount, &number))
        index = number - 1;
    if (index < 0) {
        *error = QStringLiteral("no input is named %1; the unit's inputs are %2 (or 1 to %3)")
                     .arg(verb.argument, names.join(QStringLiteral(", ")))
                     .arg(InputCount);
        return false;
    }
    UnitCommands& commands = session.Commands();
    const auto room = zone ? UnitCommands::Room::Zone : UnitCommands::Room::Main;
    steps.append({[&commands, room, index] { commands.SelectSource(room, index); },
                  [zone, index](const LiveValues& v) {
                      return zone ? v.zonePower && v.zoneSource == index
                                  : v.mainPower && v.mainSource == index;
                  },
                  QStringLiteral("%1 source %2").arg(Section(), names.at(index))});
    return true;
}

bool CliLiveVerbRun::PlanSurround(QString* error)
{
    QStringList names;
    int mode = -1;
    for (int each = 0; each < SurroundModeCount; ++each) {
        const QString name = LivePresenter::SurroundModeText(each);
        if (name.isEmpty())
            continue;
        names.append(name);
        if (Folded(name) == Folded(verb.argument))
            mode = each;
    }
    int number = -1;
    if (mode < 0 && Integer(verb.argument, 0, SurroundModeCount - 1, &number) &&
        number != SurroundModeNone)
        mode = number;
    if (mode < 0) {
        *error = QStringLiteral("no surround mode is named %1; the modes are %2")
                     .arg(verb.argument, names.join(QStringLiteral(", ")));
        return false;
    }
    UnitCommands& commands = session.Commands();
    steps.append({[&commands, mode] { commands.SelectSurroundMode(mode); },
                  [mode](const LiveValues& v) { return v.mainPower && v.surroundMode == mode; },
                  QStringLiteral("surround %1").arg(LivePresenter::SurroundModeText(mode))});
    return true;
}

bool CliLiveVerbRun::PlanTuner(QString* error)
{
    UnitCommands& commands = session.Commands();
    const LiveValues& now = session.Status();
    const bool fm = verb.kind == LiveVerb::Kind::TunerPreset ? now.tunerBand == Band::Fm : verb.on;
    const int band = fm ? Band::Fm : Band::Am;
    if (verb.kind != LiveVerb::Kind::TunerPreset) {
        // The band keys go to a room that hears the tuner; there must be one.
        const bool tunerHeard = (now.mainPower && now.mainSource == SourceTuner) ||
                                (now.zonePower && now.zoneSource == SourceTuner);
        if (!tunerHeard && now.tunerBand != band) {
            *error = QStringLiteral("no room that is on has TUNER as its source (veltrix source "
                                    "TUNER selects it)");
            return false;
        }
        steps.append({[&commands, fm] {
                          commands.Tuner(fm ? UnitCommands::TunerAction::BandFm
                                            : UnitCommands::TunerAction::BandAm);
                      },
                      [band](const LiveValues& v) { return v.tunerBand == band; },
                      QStringLiteral("tuner band %1")
                          .arg(fm ? QStringLiteral("FM") : QStringLiteral("AM"))});
    }
    if (verb.kind == LiveVerb::Kind::TunerBand)
        return true;
    const int target = verb.number;
    const bool preset = verb.kind == LiveVerb::Kind::TunerPreset;
    const QString wanted = preset ? QStringLiteral("tuner preset %1").arg(target)
                                  : QStringLiteral("tuner frequency %1")
                                        .arg(fm ? QStringLiteral("%1.%2 MHz")
                                                      .arg(target / 100)
                                                      .arg(target % 100, 2, 10, QLatin1Char('0'))
                                                : QStringLiteral("%1 kHz").arg(target));
    steps.append({[&commands, preset, target] {
                      if (preset)
                          commands.SendTunerPreset(target);
                      else
                          commands.SendFrequency(target);
                  },
                  [fm, preset, target](const LiveValues& v) {
                      if (preset)
                          return (fm ? v.fmPreset : v.amPreset) == target;
                      return (fm ? v.fmFrequency : v.amFrequency) == target;
                  },
                  wanted});
    return true;
}

void CliLiveVerbRun::Next()
{
    while (!steps.isEmpty()) {
        if (!steps.constFirst().done(session.Status())) {
            waiting = true;
            heard = false;
            limitTimer.start(reportLimit);
            steps.constFirst().send();
            return;
        }
        steps.removeFirst();
    }
    Q_EMIT finished(true, QString());
}

void CliLiveVerbRun::Check()
{
    if (!waiting)
        return;
    heard = true;
    if (!steps.constFirst().done(session.Status()))
        return;
    waiting = false;
    limitTimer.stop();
    steps.removeFirst();
    Next();
}

void CliLiveVerbRun::Fail(const QString& reason)
{
    waiting = false;
    limitTimer.stop();
    steps.clear();
    Q_EMIT finished(false, reason);
}
