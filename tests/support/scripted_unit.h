#pragma once

#include "link/unit_frame.h"
#include "pty_endpoint.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QObject>

#include <functional>

// A receiver stand-in for tests, on the unit's end of a pseudo-terminal: it
// records every byte and frame the program sends and answers through a
// responder the test supplies. Runs on the test's event loop.
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

    QString SlavePath() const { return pty.SlavePath(); }
    void SetResponder(Responder responder) { respond = std::move(responder); }

    // Sends one frame, or raw bytes, to the program.
    void Send(const QByteArray& payload);
    void SendRaw(const QByteArray& bytes);

    const QList<Received>& Requests() const { return requests; }
    QList<QByteArray> Payloads() const;
    // Every byte the program wrote, as it came off the line.
    const QByteArray& RawReceived() const { return raw; }
    void Clear()
    {
        requests.clear();
        raw.clear();
    }
    // Closes the pseudo-terminal: the program's device disappears.
    void Vanish() { pty.Close(); }

    // A responder that answers identity and version queries like a unit.
    static Responder Identifying(const QByteArray& model, int major, int minor);

Q_SIGNALS:
    void requestReceived(const QByteArray& payload);

private:
    void OnBytes(const QByteArray& bytes);

    PtyEndpoint pty;
    UnitFrame receiver;
    Responder respond;
    QList<Received> requests;
    QByteArray raw;
    QElapsedTimer clock;
};
