#pragma once

#include "link/serial_port.h"
#include "link/unit_frame.h"

#include <QByteArray>
#include <QObject>

#include <cstdint>
#include <initializer_list>

// The receiver's line as frames: sends payloads through the serial port and
// keeps exactly one 1-byte read outstanding while the port is open, feeding
// each byte to the frame receiver.
//
// Signals arrive on the owner's thread in line order. A handler may close or
// reopen the port; the read chain of an earlier opening then stops, so there
// is never more than one chain.
class UnitLink : public QObject
{
    Q_OBJECT

public:
    // Completion tag of the chain's 1-byte reads.
    static constexpr int ReadMessage = 1124;

    explicit UnitLink(QObject* parent = nullptr);

    // Opens the port, resets the receiver and starts the read chain.
    bool Open(const QString& portName, const SerialPort::Timeouts& timeouts);
    void Close();
    bool IsOpen() const { return port.IsOpen(); }
    // The name last passed to Open, for example "COM3" or a device path.
    const QString& PortName() const { return portName; }
    SerialPort& Port() { return port; }

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
    // A read saw no byte for the read timeout (3000 ms on a real line).
    void lineSilent();
    // The device went away; the port is closed.
    void deviceLost();

private:
    void OnReadCompleted(int message, int requested, const QByteArray& data);

    SerialPort port;
    UnitFrame receiver;
    QString portName;
};
