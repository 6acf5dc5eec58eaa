#pragma once

#include "fault_injector.h"
#include "line_pacer.h"
#include "link/unit_frame.h"
#include "pty_endpoint.h"
#include "sim_options.h"
#include "sim_unit.h"
#include "slave_link.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <deque>
#include <memory>

class PreciseTimer;

// A simulated receiver on a pseudo-terminal: the line (pacing at the line
// rate, fault injection, silence) around a SimUnit. Runs on the event loop of
// the thread that created it; nothing happens before Start().
//
// Timing: a request counts as arrived when its last byte would have crossed
// the line; its replies leave after the reply delay, one after another, each
// written to the pty when its last byte would have been sent. RDS frames take
// their turn on the same outgoing line.
class SimulatedReceiver : public QObject
{
    Q_OBJECT

public:
    explicit SimulatedReceiver(const SimOptions& options, QObject* parent = nullptr);
    // Saves the EEPROM file (when one is set) and removes the link.
    ~SimulatedReceiver() override;

    // Loads the EEPROM file if it exists, opens the pseudo-terminal and makes
    // the link. False with a message on a malformed firmware text, an EEPROM
    // file that is not an image, or a pty or link that cannot be made.
    bool Start(QString* error = nullptr);
    // The path the program opens: the link when one is set, else the slave.
    QString SlavePath() const;
    const QByteArray& Eeprom() const;
    QByteArray LiveSetup() const;
    SimUnit& Unit();

    void SetFaults(int dropPercent, int corruptPercent, bool noise);
    // While silent, requests still act on the unit but nothing is sent, and
    // output already queued is discarded.
    void SetSilent(bool silent);
    // Closes the master end: the slave path (and the link) vanish, as when a
    // device is unplugged. Queued frames are lost.
    void Disappear();
    // A new pseudo-terminal, the link made again when one is set.
    bool Reappear(QString* error = nullptr);
    // Writes the EEPROM file now when one is set.
    bool SaveEeprom(QString* error = nullptr);

Q_SIGNALS:
    void frameReceived(const QByteArray& payload);
    void frameSent(const QByteArray& payload);

private:
    struct Arrival
    {
        qint64 dueNs;
        QByteArray payload;
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
    void Queue(const QByteArray& payload, qint64 readyNs);
    void Put(const Departure& departure);
    void OnRdsPeriod();
    bool Answering() const;
    void Trace(const char* direction, const QByteArray& payload, const char* note = "") const;
    void NoteEepromChange();

    SimOptions options;
    QString startError;
    std::unique_ptr<SimUnit> unit;
    PtyEndpoint pty;
    SlaveLink link;
    FaultInjector faults;
    LinePacer inLine;
    LinePacer outLine;
    UnitFrame decoder;
    QElapsedTimer clock;
    PreciseTimer* lineTimer;
    QTimer rdsTimer;
    QTimer saveTimer;
    std::deque<Arrival> arrivals;
    std::deque<Departure> departures;
    int received = 0;
    bool silent = false;
    bool started = false;
    quint64 savedRevision = 0;
};
