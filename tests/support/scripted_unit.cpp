#include "scripted_unit.h"

#include "link/message_set.h"

#include <QSocketNotifier>

#include <unistd.h>

ScriptedUnit::ScriptedUnit()
{
    clock.start();
    notifier = new QSocketNotifier(pty.MasterFd(), QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, &ScriptedUnit::OnReadable);
}

ScriptedUnit::~ScriptedUnit() = default;

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

void ScriptedUnit::Vanish()
{
    notifier->setEnabled(false);
    pty.CloseMaster();
}

void ScriptedUnit::OnReadable()
{
    char buffer[256];
    const ssize_t n = ::read(pty.MasterFd(), buffer, sizeof buffer);
    if (n <= 0) {
        // No slave open right now (the program is between two openings).
        notifier->setEnabled(false);
        QMetaObject::invokeMethod(
            this, [this] { notifier->setEnabled(pty.IsValid()); }, Qt::QueuedConnection);
        return;
    }
    raw.append(buffer, n);
    for (ssize_t i = 0; i < n; ++i) {
        if (!receiver.Feed(static_cast<std::uint8_t>(buffer[i])))
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
