#pragma once

#include "link/line_transport.h"
#include "link/unit_frame.h"

#include <QByteArray>
#include <QObject>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>

// The receiver's line as frames: sends payloads through the transport (the
// serial port unless a transport factory claims the port's name) and feeds
// whatever arrives to the frame receiver as it comes. A timer of its own
// tells when the line is quiet.
//
// Signals arrive on the owner's thread in line order. A handler may close or
// reopen the link; nothing of the earlier opening is delivered after that,
// not even the rest of the bytes that brought the handler's frame. Bytes
// that arrive while a handler runs a nested event loop wait until it
// returns, and the silence timer waits with them.
class UnitLink : public QObject
{
    Q_OBJECT

public:
    // Makes the transport for a port name, or returns nullptr for the serial
    // port. Process-wide; set before links open (a test seam).
    using TransportFactory = std::function<std::unique_ptr<LineTransport>(const QString& portName)>;
    static void SetTransportFactory(TransportFactory factory);

    explicit UnitLink(QObject* parent = nullptr);
    ~UnitLink() override;

    // Opens the port, resets the receiver and starts the silence timer.
    bool Open(const QString& portName, const LineTransport::Timeouts& timeouts);
    void Close();
    bool IsOpen() const { return transport->IsOpen(); }
    // See LineTransport::Drain.
    void Drain(int timeoutMs) { transport->Drain(timeoutMs); }
    // Why the last Open failed.
    LineTransport::OpenFailure LastOpenFailure() const { return openFailure; }
    // Who holds the port when the last Open failed as Busy.
    const LineTransport::Holder& LastOpenHolder() const { return openHolder; }
    // Grows with every opening and close, the device's loss included: a step
    // scheduled for one opening compares it before it runs.
    quint64 Opening() const { return openingBase + transport->Opening(); }
    // The name last passed to Open, for example "COM3" or a device path.
    const QString& PortName() const { return portName; }

    // Queues one frame; dropped silently while the port is closed.
    void SendFrame(QByteArrayView payload);
    void SendFrame(std::initializer_list<std::uint8_t> payload);
    void SendQuery(std::uint8_t variable);
    void SendSet(std::uint8_t variable, std::uint8_t value);
    void SendKey(std::uint8_t code);

Q_SIGNALS:
    // A frame with a matching checksum; the payload excludes the checksum.
    void payloadReceived(const QByteArray& payload);
    // A payload just queued for the line (for tracing and tests).
    void payloadSent(const QByteArray& payload);
    // No byte for the read timeout (3000 ms on a real line); again after
    // each further such period.
    void lineSilent();
    // The device went away; the port is closed.
    void deviceLost();

private:
    void Adopt(std::unique_ptr<LineTransport> next);
    void OnBytesArrived(const QByteArray& bytes);

    std::unique_ptr<LineTransport> transport;
    bool serialTransport = false;
    quint64 openingBase = 0; // openings of transports used before this one
    LineTransport::OpenFailure openFailure = LineTransport::OpenFailure::None;
    LineTransport::Holder openHolder;
    UnitFrame receiver;
    QByteArray pending; // arrived, not yet fed to the receiver
    bool feeding = false;
    QTimer silence;
    QString portName;
};
