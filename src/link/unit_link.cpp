#include "link/unit_link.h"

#include "link/message_set.h"
#include "link/serial_port.h"

#include <utility>

namespace {

UnitLink::TransportFactory& Factory()
{
    static UnitLink::TransportFactory factory;
    return factory;
}

} // namespace

void UnitLink::SetTransportFactory(TransportFactory factory)
{
    Factory() = std::move(factory);
}

UnitLink::UnitLink(QObject* parent) : QObject(parent)
{
    silence.setTimerType(Qt::PreciseTimer);
    connect(&silence, &QTimer::timeout, this, [this] {
        // A device lost a moment ago is closed already; its loss is on the way.
        if (transport->IsOpen())
            Q_EMIT lineSilent();
        else
            silence.stop();
    });
    Adopt(std::make_unique<SerialPort>());
    serialTransport = true;
}

UnitLink::~UnitLink()
{
    transport->Close();
}

void UnitLink::Adopt(std::unique_ptr<LineTransport> next)
{
    if (transport) {
        transport->disconnect(this);
        transport->Close();
        openingBase += transport->Opening() + 1;
        // A handler of the old transport's signal may be what reopens the
        // link: it is deleted once that call has returned, or with the link.
        transport.release()->deleteLater();
    }
    transport = std::move(next);
    transport->setParent(this);
    connect(transport.get(), &LineTransport::bytesArrived, this, &UnitLink::OnBytesArrived);
    connect(transport.get(), &LineTransport::deviceLost, this, [this] {
        silence.stop();
        Q_EMIT deviceLost();
    });
}

bool UnitLink::Open(const QString& name, const LineTransport::Timeouts& timeouts)
{
    Close();
    portName = name;
    std::unique_ptr<LineTransport> claimed = Factory() ? Factory()(name) : nullptr;
    if (claimed || !serialTransport) {
        serialTransport = !claimed;
        Adopt(claimed ? std::move(claimed) : std::make_unique<SerialPort>());
    }
    if (!transport->Open(name, timeouts)) {
        openFailure = transport->LastOpenFailure();
        openHolder = transport->LastOpenHolder();
        return false;
    }
    openFailure = LineTransport::OpenFailure::None;
    openHolder = {};
    receiver.Reset();
    silence.start(timeouts.readTotal);
    return true;
}

void UnitLink::Close()
{
    silence.stop();
    pending.clear();
    transport->Close();
}

void UnitLink::SendFrame(QByteArrayView payload)
{
    if (!transport->IsOpen())
        return;
    transport->Write(UnitFrame::Encode(payload));
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

void UnitLink::OnBytesArrived(const QByteArray& bytes)
{
    silence.stop();
    pending.append(bytes);
    // A handler below that runs a nested event loop gets here again: the
    // loop further up the stack takes these bytes once it returns.
    if (feeding)
        return;
    feeding = true;
    while (!pending.isEmpty()) {
        // Close() and Open() clear `pending`: once the opening changes, what
        // is left there came on the new one.
        const quint64 opening = Opening();
        qsizetype next = 0;
        while (Opening() == opening && next < pending.size()) {
            if (!receiver.Feed(static_cast<std::uint8_t>(pending.at(next++))))
                continue;
            // A copy: a handler that reopens resets the receiver under it.
            const QByteArray payload = receiver.Payload();
            Q_EMIT payloadReceived(payload);
        }
        if (Opening() == opening)
            pending.clear();
    }
    feeding = false;
    if (transport->IsOpen())
        silence.start();
}
