#pragma once

#include "fault_injector.h"
#include "line_endpoint.h"
#include "line_pacer.h"
#include "link/unit_frame.h"
#include "sim_options.h"
#include "sim_unit.h"
#include "slave_link.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <deque>
#include <memory>

class PreciseTimer;

// A simulated receiver on a pseudo-terminal, or on a line inside the process
// (SimOptions::inProcess): the line (pacing at the line rate, fault injection
// both ways, silence, a pulled cable) around a SimUnit, the same on either.
// Runs on the event loop of the thread that created it; nothing happens
// before Start().
//
// Timing: a request counts as arrived when its last byte would have crossed
// the line; its replies leave after the reply delay, one after another, each
// written to the line when its last byte would have been sent. RDS frames take
// their turn on the same outgoing line.
//
// Requests: the program's frames are picked out of the line, the request
// faults decide what becomes of each, and the bytes the line then delivers
// (stray bytes, the frame, or the frame with a spoilt checksum) go through
// the unit's own frame receiver when they arrive; only what it accepts acts
// on the unit. The two directions draw from separate generators, both seeded
// from SimOptions::seed, so request faults leave a seed's reply faults as
// they were.
class SimulatedReceiver : public QObject
{
    Q_OBJECT

public:
    explicit SimulatedReceiver(const SimOptions& options, QObject* parent = nullptr);
    // Saves the EEPROM file (when one is set) and removes the link.
    ~SimulatedReceiver() override;

    // Loads the EEPROM file if it exists, opens the line and makes the link.
    // False with a message on a malformed firmware text, an EEPROM file that
    // is not an image, or a pty or link that cannot be made.
    bool Start(QString* error = nullptr);
    // The name the program opens: the link when one is set, else the slave
    // path, or the in-process line's "sim:" name.
    QString SlavePath() const;
    const QByteArray& Eeprom() const;
    QByteArray LiveSetup() const;
    SimUnit& Unit();

    // Faults of the frames the unit sends.
    void SetFaults(int dropPercent, int corruptPercent, bool noise);
    // Faults of the frames the program sends.
    void SetRequestFaults(int dropPercent, int corruptPercent, bool noise);
    // While silent, requests still act on the unit but nothing is sent, and
    // output already queued is discarded: a unit that hangs in its sender.
    void SetSilent(bool silent);
    // While unplugged (the cable pulled, the port still there) nothing
    // crosses the line either way: requests are lost before the unit sees
    // them, including those still on the wire when the cable goes, nothing
    // is sent and queued output is discarded. A frame cut by either edge is
    // lost. A request that arrived before keeps its effect, even when its
    // reply is lost.
    void SetUnplugged(bool unplugged);
    // Closes the master end: the slave path (and the link) vanish, as when a
    // device is unplugged. Queued frames are lost.
    void Disappear();
    // A new pseudo-terminal, the link made again when one is set; the
    // in-process line comes back under its name.
    bool Reappear(QString* error = nullptr);
    // Writes the EEPROM file now when one is set.
    bool SaveEeprom(QString* error = nullptr);

Q_SIGNALS:
    // A request the unit's frame receiver accepted, once it has acted on the
    // unit and before its replies are queued.
    void frameReceived(const QByteArray& payload);
    void frameSent(const QByteArray& payload);
    // A request the line lost (a drop fault, or the cable pulled).
    void requestDropped(const QByteArray& payload);
    // A request that reached the unit damaged and that its frame receiver refused.
    void requestRejected(const QByteArray& payload);

private:
    struct Arrival
    {
        qint64 dueNs;
        QByteArray payload; // as the program sent it
        FaultInjector::Outcome outcome;
    };
    struct Departure
    {
        qint64 dueNs;
        QByteArray payload;
        FaultInjector::Outcome outcome;
    };

    qint64 Now() const { return clock.nsecsElapsed(); }
    void OnBytes(const QByteArray& bytes);
    void Pump();
    void Receive(const Arrival& arrival);
    void Handle(const QByteArray& payload, qint64 arrivedNs);
    void LoseRequest(const QByteArray& payload, const char* note);
    void Queue(const QByteArray& payload, qint64 readyNs);
    void Put(const Departure& departure);
    void OnRdsPeriod();
    bool Answering() const;
    void Trace(const char* direction, const QByteArray& payload, const char* note = "") const;
    void NoteEepromChange();

    SimOptions options;
    QString startError;
    std::unique_ptr<SimUnit> unit;
    std::unique_ptr<LineEndpoint> endpoint;
    SlaveLink link;
    FaultInjector faults;        // the unit's frames
    FaultInjector requestFaults; // the program's frames
    LinePacer inLine;
    LinePacer outLine;
    UnitFrame lineDecoder;  // finds the program's frames on the line
    UnitFrame unitReceiver; // the unit's own: takes what the line delivers
    QElapsedTimer clock;
    PreciseTimer* lineTimer;
    QTimer rdsTimer;
    QTimer saveTimer;
    std::deque<Arrival> arrivals;
    std::deque<Departure> departures;
    int received = 0;
    bool silent = false;
    bool unplugged = false;
    bool started = false;
    quint64 savedRevision = 0;
};
