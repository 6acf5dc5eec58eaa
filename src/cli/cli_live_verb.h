#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <functional>

class UnitSession;
struct LiveValues;

// A live-control verb of the command line, as typed:
//
//   [--zone] power on|off      [--zone] volume DB|up|down
//   [--zone] mute on|off       [--zone] source NAME|NUMBER
//   surround MODE              speakers a|b on|off
//   tone bass|treble DB        preset recall|store N
//   tuner band am|fm           tuner frequency MHZ|KHZ      tuner preset N
//
// Parsing checks the words' form only; names (of inputs and surround modes)
// are matched against what the unit reports when the verb runs.
struct LiveVerb
{
    enum class Kind
    {
        Power,
        Volume,
        Mute,
        Source,
        Surround,
        Speakers,
        Tone,
        Preset,
        TunerBand,
        TunerFrequency,
        TunerPreset,
    };

    Kind kind = Kind::Power;
    bool zone = false;
    QString which;    // speakers "a" or "b", tone "bass" or "treble", preset "recall" or "store"
    QString argument; // the value as typed
    int number = 0;   // the value as a number where it is one (FM frequencies in 10 kHz)
    bool on = false;  // power, mute, speakers; "up" for volume; FM for the tuner

    // Whether `word` names a verb (the first word of its command).
    static bool IsVerb(const QString& word);
    // The verb's words after its name; false with a one-line reason.
    static bool Parse(const QString& name, const QStringList& words, bool zone, LiveVerb* verb,
                      QString* error);
};

// Runs one verb through the session's commands and waits for the unit's own
// report of the new value. A value the unit already reports sends nothing.
// finished(true) once every value is reported; finished(false, reason) when
// the unit has not reported it within the report limit (the reason says
// what it reports instead) or the verb cannot apply (a name the unit does
// not know, the tuner not heard in a room).
class CliLiveVerbRun : public QObject
{
    Q_OBJECT

public:
    CliLiveVerbRun(UnitSession& session, const LiveVerb& verb, int reportLimitMs,
                   QObject* parent = nullptr);

    void Start();
    // The section and key of the status field the verb changes ("main",
    // "volume"); the whole section when the key is empty.
    QString Section() const;
    QString Key() const;

Q_SIGNALS:
    void finished(bool ok, const QString& error);

private:
    // One value to reach: sent unless `done` already holds, then waited for.
    struct Step
    {
        std::function<void()> send;
        std::function<bool(const LiveValues&)> done;
        QString wanted; // "main volume -30 dB", for the failure line
    };

    bool Plan(QString* error);
    void PlanRoom();
    bool PlanSource(QString* error);
    bool PlanSurround(QString* error);
    bool PlanTuner(QString* error);
    void Next();
    void Check();
    void Fail(const QString& reason);

    UnitSession& session;
    LiveVerb verb;
    int reportLimit;
    QList<Step> steps;
    bool waiting = false;
    bool heard = false; // a report arrived since the step's send (preset verbs)
    QTimer limitTimer;
};
