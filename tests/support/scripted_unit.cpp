#include "scripted_unit.h"

#include "link/message_set.h"

ScriptedUnit::ScriptedUnit()
{
    clock.start();
    QString error;
    if (!pty.Open(&error))
        qFatal("ScriptedUnit: %s", qPrintable(error));
    connect(&pty, &PtyEndpoint::bytesArrived, this, &ScriptedUnit::OnBytes);
}

void ScriptedUnit::Send(const QByteArray& payload)
{
    pty.Write(UnitFrame::Encode(payload));
}

void ScriptedUnit::SendRaw(const QByteArray& bytes)
{
    pty.Write(bytes);
}

QList<QByteArray> ScriptedUnit::Payloads() const
{
    QList<QByteArray> out;
    for (const Received& r : requests)
        out.append(r.payload);
    return out;
}

void ScriptedUnit::OnBytes(const QByteArray& bytes)
{
    raw.append(bytes);
    for (char c : bytes) {
        if (!receiver.Feed(static_cast<std::uint8_t>(c)))
            continue;
        const QByteArray payload = receiver.Payload();
        requests.append({payload, clock.elapsed()});
        Q_EMIT requestReceived(payload);
        if (respond) {
            for (const QByteArray& reply : respond(payload))
                Send(reply);
        }
    }
}

ScriptedUnit::Responder ScriptedUnit::Identifying(const QByteArray& model, int major, int minor)
{
    return [model, major, minor](const QByteArray& request) -> QList<QByteArray> {
        if (request == QByteArray("\x14\x14"))
            return {QByteArray("\x14\x14") + model};
        if (request == QByteArray(1, static_cast<char>(MessageType::Version)))
            return {QByteArray(1, static_cast<char>(MessageType::Version)) +
                    static_cast<char>(major) + static_cast<char>(minor)};
        return {};
    };
}
