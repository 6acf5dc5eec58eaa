#include "simulated_receiver.h"

#include "eeprom_file.h"
#include "in_process_line.h"
#include "precise_timer.h"
#include "pty_endpoint.h"

#include <cstdio>
#include <utility>

namespace {

constexpr int SaveDelayMs = 100; // writes come in bursts: save once they pause
constexpr qint64 NanosecondsPerMs = 1'000'000;
// The request direction's generator runs on another stream of the same seed.
constexpr quint32 RequestSeedMix = 0x9E3779B9;

std::unique_ptr<LineEndpoint> MakeEndpoint(bool inProcess)
{
    if (inProcess)
        return std::make_unique<InProcessLine>();
    return std::make_unique<PtyEndpoint>();
}

} // namespace

SimulatedReceiver::SimulatedReceiver(const SimOptions& simOptions, QObject* parent)
    : QObject(parent), options(simOptions), endpoint(MakeEndpoint(simOptions.inProcess)),
      link(simOptions.inProcess ? QString() : simOptions.linkPath), faults(simOptions.seed),
      requestFaults(simOptions.seed ^ RequestSeedMix), inLine(simOptions.lineRate),
      outLine(simOptions.lineRate), lineTimer(new PreciseTimer(this))
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
    requestFaults.Configure(options.requestDropPercent, options.requestCorruptPercent,
                            options.requestNoise);
    for (auto it = options.liveClamps.cbegin(); it != options.liveClamps.cend(); ++it) {
        if (!unit->SetLiveClamp(it.key(), it.value()) && startError.isEmpty())
            startError = QStringLiteral("cannot clamp live setup index %1 to %2: the block of "
                                        "%3 %4 has %5 bytes")
                             .arg(it.key())
                             .arg(it.value())
                             .arg(options.model, options.firmware)
                             .arg(unit->LiveSetup().size());
    }
    for (auto it = options.eepromClamps.cbegin(); it != options.eepromClamps.cend(); ++it) {
        if (!unit->SetEepromClamp(it.key(), it.value()) && startError.isEmpty())
            startError = QStringLiteral("cannot clamp EEPROM address %1 to %2")
                             .arg(it.key())
                             .arg(it.value());
    }
    for (int address : options.lostEepromWrites) {
        if (!unit->LoseEepromWrites(address) && startError.isEmpty())
            startError = QStringLiteral("cannot lose writes to EEPROM address %1").arg(address);
    }
    clock.start();

    connect(endpoint.get(), &LineEndpoint::bytesArrived, this, &SimulatedReceiver::OnBytes);
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
    return link.IsSet() ? link.Path() : endpoint->Name();
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

void SimulatedReceiver::SetRequestFaults(int dropPercent, int corruptPercent, bool noise)
{
    requestFaults.Configure(dropPercent, corruptPercent, noise);
}

void SimulatedReceiver::SetSilent(bool on)
{
    silent = on;
    if (on) {
        departures.clear();
        Pump();
    }
}

void SimulatedReceiver::SetUnplugged(bool on)
{
    if (on == unplugged)
        return;
    unplugged = on;
    lineDecoder.Reset();
    unitReceiver.Reset();
    if (!on)
        return;
    departures.clear();
    outLine.Reset();
    // Requests whose last byte was still on the wire never get there.
    for (const Arrival& arrival : std::exchange(arrivals, {}))
        LoseRequest(arrival.payload, " (unplugged)");
    Pump();
}

void SimulatedReceiver::Disappear()
{
    link.Remove();
    endpoint->Close();
    arrivals.clear();
    departures.clear();
    lineDecoder.Reset();
    unitReceiver.Reset();
    inLine.Reset();
    outLine.Reset();
    lineTimer->Stop();
}

bool SimulatedReceiver::Reappear(QString* error)
{
    if (!endpoint->Open(error))
        return false;
    if (link.IsSet() && !link.Make(endpoint->Name(), error)) {
        endpoint->Close();
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
        if (!lineDecoder.Feed(static_cast<std::uint8_t>(byte)))
            continue;
        const QByteArray payload = lineDecoder.Payload();
        if (unplugged)
            LoseRequest(payload, " (unplugged)");
        else
            arrivals.push_back({arrived, payload, requestFaults.Apply(payload)});
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
    return !silent && !unplugged && (options.silentAfter < 0 || received < options.silentAfter);
}

void SimulatedReceiver::Receive(const Arrival& arrival)
{
    if (arrival.outcome.fate == FaultInjector::Fate::Dropped) {
        LoseRequest(arrival.payload, " (dropped)");
        return;
    }
    // What the line delivers, noise and all, goes through the unit's own
    // receiver, which alone decides whether a frame came.
    bool accepted = false;
    QByteArray payload;
    for (char byte : arrival.outcome.bytes) {
        if (unitReceiver.Feed(static_cast<std::uint8_t>(byte))) {
            accepted = true;
            payload = unitReceiver.Payload();
        }
    }
    if (!accepted) {
        Trace("<-", arrival.payload, " (bad checksum, refused)");
        Q_EMIT requestRejected(arrival.payload);
        return;
    }
    Handle(payload, arrival.dueNs);
}

void SimulatedReceiver::LoseRequest(const QByteArray& payload, const char* note)
{
    Trace("<-", payload, note);
    Q_EMIT requestDropped(payload);
}

void SimulatedReceiver::Handle(const QByteArray& payload, qint64 arrivedNs)
{
    // A frame is answered only while the unit still answers before it came.
    const bool answer = Answering();
    ++received;
    Trace("<-", payload);
    const QList<QByteArray> replies = unit->Handle(payload);
    NoteEepromChange();
    Q_EMIT frameReceived(payload);
    // A receiver silenced or unplugged from the signal sends no reply to it.
    if (!answer || silent || unplugged)
        return;
    const qint64 ready = arrivedNs + qint64{options.replyDelayMs} * NanosecondsPerMs;
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
    endpoint->Write(departure.outcome.bytes);
    Q_EMIT frameSent(departure.payload);
}

void SimulatedReceiver::OnRdsPeriod()
{
    if (!Answering() || !endpoint->IsOpen())
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
