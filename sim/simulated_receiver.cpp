#include "simulated_receiver.h"

#include "eeprom_file.h"
#include "precise_timer.h"

#include <cstdio>

namespace {

constexpr int SaveDelayMs = 100; // writes come in bursts: save once they pause
constexpr qint64 NanosecondsPerMs = 1'000'000;

} // namespace

SimulatedReceiver::SimulatedReceiver(const SimOptions& simOptions, QObject* parent)
    : QObject(parent), options(simOptions), link(simOptions.linkPath), faults(simOptions.seed),
      inLine(simOptions.lineRate), outLine(simOptions.lineRate), lineTimer(new PreciseTimer(this))
{
    int major = 2;
    int minor = 5;
    if (!SimUnit::ParseFirmware(options.firmware, &major, &minor)) {
        startError = QStringLiteral("malformed firmware version \"%1\" (expected vX.YY, such as "
                                    "v2.05)")
                         .arg(options.firmware);
        major = 2;
        minor = 5;
    }
    unit = std::make_unique<SimUnit>(options.model, major, minor);
    faults.Configure(options.dropPercent, options.corruptPercent, options.noise);
    clock.start();

    connect(&pty, &PtyEndpoint::bytesArrived, this, &SimulatedReceiver::OnBytes);
    connect(lineTimer, &PreciseTimer::expired, this, &SimulatedReceiver::Pump);
    rdsTimer.setTimerType(Qt::PreciseTimer);
    connect(&rdsTimer, &QTimer::timeout, this, &SimulatedReceiver::OnRdsPeriod);
    saveTimer.setSingleShot(true);
    connect(&saveTimer, &QTimer::timeout, this, [this] { SaveEeprom(); });
}

SimulatedReceiver::~SimulatedReceiver()
{
    if (started && !options.eepromFile.isEmpty())
        SaveEeprom();
    link.Remove();
}

bool SimulatedReceiver::Start(QString* error)
{
    auto fail = [&](const QString& message) {
        if (error)
            *error = message;
        return false;
    };
    if (started)
        return fail(QStringLiteral("already started"));
    if (!startError.isEmpty())
        return fail(startError);
    if (!lineTimer->IsValid())
        return fail(QStringLiteral("no timer for the line pacing"));
    if (!options.eepromFile.isEmpty()) {
        QByteArray image;
        QString message;
        switch (EepromFile::Load(options.eepromFile, &image, &message)) {
        case EepromFile::Result::Invalid:
            return fail(message);
        case EepromFile::Result::Loaded:
            unit->ReplaceEeprom(image);
            break;
        case EepromFile::Result::Missing:
            break;
        }
    }
    savedRevision = unit->EepromRevision();
    if (!Reappear(error))
        return false;
    started = true;
    if (options.rdsPeriodMs > 0)
        rdsTimer.start(options.rdsPeriodMs);
    return true;
}

QString SimulatedReceiver::SlavePath() const
{
    return link.IsSet() ? link.Path() : pty.SlavePath();
}

const QByteArray& SimulatedReceiver::Eeprom() const
{
    return unit->Eeprom();
}

QByteArray SimulatedReceiver::LiveSetup() const
{
    return unit->LiveSetup();
}

SimUnit& SimulatedReceiver::Unit()
{
    return *unit;
}

void SimulatedReceiver::SetFaults(int dropPercent, int corruptPercent, bool noise)
{
    faults.Configure(dropPercent, corruptPercent, noise);
}

void SimulatedReceiver::SetSilent(bool on)
{
    silent = on;
    if (on) {
        departures.clear();
        Pump();
    }
}

void SimulatedReceiver::Disappear()
{
    link.Remove();
    pty.Close();
    arrivals.clear();
    departures.clear();
    decoder.Reset();
    inLine.Reset();
    outLine.Reset();
    lineTimer->Stop();
}

bool SimulatedReceiver::Reappear(QString* error)
{
    if (!pty.Open(error))
        return false;
    if (link.IsSet() && !link.Make(pty.SlavePath(), error)) {
        pty.Close();
        return false;
    }
    return true;
}

bool SimulatedReceiver::SaveEeprom(QString* error)
{
    saveTimer.stop();
    if (options.eepromFile.isEmpty())
        return true;
    QString message;
    if (!EepromFile::Save(options.eepromFile, unit->Eeprom(), &message)) {
        std::fprintf(stderr, "veltrix-unit-sim: %s\n", qPrintable(message));
        if (error)
            *error = message;
        return false;
    }
    savedRevision = unit->EepromRevision();
    return true;
}

void SimulatedReceiver::OnBytes(const QByteArray& bytes)
{
    const qint64 now = Now();
    for (char byte : bytes) {
        // Each byte is on the line for its own wire time after the previous.
        const qint64 arrived = inLine.Transmit(now, 1);
        if (decoder.Feed(static_cast<std::uint8_t>(byte)))
            arrivals.push_back({arrived, decoder.Payload()});
    }
    Pump();
}

void SimulatedReceiver::Pump()
{
    for (;;) {
        const qint64 now = Now();
        const bool arrivalDue = !arrivals.empty() && arrivals.front().dueNs <= now;
        const bool departureDue = !departures.empty() && departures.front().dueNs <= now;
        if (!arrivalDue && !departureDue)
            break;
        // Events are handled in time order across both directions.
        if (arrivalDue && (!departureDue || arrivals.front().dueNs <= departures.front().dueNs)) {
            const Arrival arrival = arrivals.front();
            arrivals.pop_front();
            Receive(arrival);
        } else {
            const Departure departure = departures.front();
            departures.pop_front();
            Put(departure);
        }
    }
    qint64 next = -1;
    if (!arrivals.empty())
        next = arrivals.front().dueNs;
    if (!departures.empty() && (next < 0 || departures.front().dueNs < next))
        next = departures.front().dueNs;
    if (next < 0)
        lineTimer->Stop();
    else
        lineTimer->StartIn(next - Now());
}

bool SimulatedReceiver::Answering() const
{
    return !silent && (options.silentAfter < 0 || received < options.silentAfter);
}

void SimulatedReceiver::Receive(const Arrival& arrival)
{
    // A frame is answered only while the unit still answers before it came.
    const bool answer = Answering();
    ++received;
    Trace("<-", arrival.payload);
    Q_EMIT frameReceived(arrival.payload);
    const QList<QByteArray> replies = unit->Handle(arrival.payload);
    NoteEepromChange();
    if (!answer)
        return;
    const qint64 ready = arrival.dueNs + qint64{options.replyDelayMs} * NanosecondsPerMs;
    for (const QByteArray& reply : replies)
        Queue(reply, ready);
}

void SimulatedReceiver::Queue(const QByteArray& payload, qint64 readyNs)
{
    Departure departure{0, payload, faults.Apply(payload)};
    departure.dueNs = outLine.Transmit(readyNs, departure.outcome.bytes.size());
    departures.push_back(departure);
}

void SimulatedReceiver::Put(const Departure& departure)
{
    switch (departure.outcome.fate) {
    case FaultInjector::Fate::Dropped:
        Trace("->", departure.payload, " (dropped)");
        return;
    case FaultInjector::Fate::Corrupted:
        Trace("->", departure.payload, " (bad checksum)");
        break;
    case FaultInjector::Fate::Sent:
        Trace("->", departure.payload);
        break;
    }
    pty.Write(departure.outcome.bytes);
    Q_EMIT frameSent(departure.payload);
}

void SimulatedReceiver::OnRdsPeriod()
{
    if (!Answering() || !pty.IsOpen())
        return;
    const qint64 now = Now();
    for (const QByteArray& frame : unit->RdsTick())
        Queue(frame, now);
    Pump();
}

void SimulatedReceiver::NoteEepromChange()
{
    if (!options.eepromFile.isEmpty() && unit->EepromRevision() != savedRevision)
        saveTimer.start(SaveDelayMs);
}

void SimulatedReceiver::Trace(const char* direction, const QByteArray& payload,
                              const char* note) const
{
    if (!options.trace)
        return;
    const double ms = static_cast<double>(Now()) / NanosecondsPerMs;
    std::fprintf(stderr, "%8.3f ms %s %s%s\n", ms, direction, payload.toHex(' ').constData(), note);
}
