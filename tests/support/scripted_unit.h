#pragma once

#include "link/unit_frame.h"
#include "pty_pair.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QObject>

#include <functional>

class QSocketNotifier;

// A receiver stand-in for tests, on the master end of a pseudo-terminal: it
// records every frame the program sends and answers through a responder the
// test supplies. Runs on the test's event loop.
class ScriptedUnit : public QObject
{
    Q_OBJECT

public:
    struct Received
    {
        QByteArray payload;
        qint64 atMs; // since the unit was created
    };
    using Responder = std::function<QList<QByteArray>(const QByteArray& request)>;

    ScriptedUnit();
    ~ScriptedUnit() override;

    const QString& SlavePath() const { return pty.SlavePath(); }
    void SetResponder(Responder responder) { respond = std::move(responder); }

    // Sends one frame (or raw bytes) to the program.
    void Send(const QByteArray& payload);
    void SendRaw(const QByteArray& bytes);

    const QList<Received>& Requests() const { return requests; }
    // Every byte the program wrote, as it came off the line.
    const QByteArray& RawReceived() const { return raw; }
    QList<QByteArray> Payloads() const;
    void Clear()
    {
        requests.clear();
        raw.clear();
    }
    // Closes the master: the program's device disappears.
    void Vanish();

    // A responder that answers identity and version queries like a unit.
    static Responder Identifying(const QByteArray& model, int major, int minor);

Q_SIGNALS:
    void requestReceived(const QByteArray& payload);

private:
    void OnReadable();

    PtyPair pty;
    UnitFrame receiver;
    Responder respond;
    QList<Received> requests;
    QByteArray raw;
    QElapsedTimer clock;
    QSocketNotifier* notifier = nullptr;
};
