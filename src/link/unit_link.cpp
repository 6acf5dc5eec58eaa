#include "link/unit_link.h"

#include "link/message_set.h"

UnitLink::UnitLink(QObject* parent) : QObject(parent)
{
    connect(&port, &SerialPort::readCompleted, this, &UnitLink::OnReadCompleted);
    connect(&port, &SerialPort::deviceLost, this, &UnitLink::deviceLost);
}

bool UnitLink::Open(const QString& name, const SerialPort::Timeouts& timeouts)
{
    portName = name;
    if (!port.Open(name, timeouts))
        return false;
    receiver.Reset();
    port.QueueRead(1, ReadMessage);
    return true;
}

void UnitLink::Close()
{
    port.Close();
}

void UnitLink::SendFrame(QByteArrayView payload)
{
    if (!port.IsOpen())
        return;
    port.QueueWrite(UnitFrame::Encode(payload), 0);
    Q_EMIT payloadSent(payload.toByteArray());
}

void UnitLink::SendFrame(std::initializer_list<std::uint8_t> payload)
{
    QByteArray bytes;
    bytes.reserve(static_cast<qsizetype>(payload.size()));
    for (std::uint8_t b : payload)
        bytes.append(static_cast<char>(b));
    SendFrame(QByteArrayView(bytes));
}

void UnitLink::SendQuery(std::uint8_t variable)
{
    SendFrame({MessageType::Variable, variable});
}

void UnitLink::SendSet(std::uint8_t variable, std::uint8_t value)
{
    SendFrame({MessageType::Set, variable, value});
}

void UnitLink::SendKey(std::uint8_t code)
{
    SendFrame({MessageType::Key, code});
}

void UnitLink::OnReadCompleted(int message, int, const QByteArray& data)
{
    if (message != ReadMessage)
        return;
    // Handlers below may close or reopen the port; only the chain of the
    // opening that is still current goes on.
    const quint64 opening = port.Opening();
    if (data.isEmpty()) {
        Q_EMIT lineSilent();
    } else {
        for (char c : data) {
            if (receiver.Feed(static_cast<std::uint8_t>(c)))
                Q_EMIT payloadReceived(receiver.Payload());
        }
    }
    if (port.Opening() == opening)
        port.QueueRead(1, ReadMessage);
}
