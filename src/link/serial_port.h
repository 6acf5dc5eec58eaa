#pragma once

#include "link/device_lock.h"
#include "link/line_transport.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QSerialPort>
#include <QString>
#include <QTimer>

#include <deque>

// The serial device the receiver hangs on: 9600 baud, 8N1, no flow control,
// DTR on and RTS off. Lives on the thread that owns it (the GUI thread) and
// runs on its event loop.
//
// Besides the transport's contract:
// - Everything the device has delivered leaves as one bytesArrived.
// - Writes go to the device one after another; a write that has not left
//   within the write timeout is cut off, so its rest is never sent late.
// - A device that disappears (USB adapter unplugged, peer gone) closes the
//   port once and emits deviceLost(); it never produces an error storm.
// - One device is one port, whichever path or symlink names it: an open port
//   holds the device's lock (DeviceLock) until it closes, and an open that
//   finds it held fails as Busy, naming the holder where the system tells,
//   before the device's line settings are touched.
class SerialPort : public LineTransport
{
    Q_OBJECT

public:
    explicit SerialPort(QObject* parent = nullptr);
    ~SerialPort() override;

    // Opens the named port: "COMn" is /dev/ttyS(n-1), a name beginning with
    // "/" is a device path used as it stands, any other name is looked up
    // under /dev/. Closes the port first if it is open.
    bool Open(const QString& portName, const Timeouts& timeouts) override;
    void Close() override;
    // Close() drops what is still queued: a program that ends after its last
    // frame drains first, or that frame never reaches the unit. Waits for the
    // driver's output queue too.
    void Drain(int timeoutMs) override;
    bool IsOpen() const override;
    void Write(QByteArrayView bytes) override;
    OpenFailure LastOpenFailure() const override { return openFailure; }
    Holder LastOpenHolder() const override { return openHolder; }
    quint64 Opening() const override { return opening; }

    static QString DevicePath(const QString& portName);

    // The reason behind an open error on a device path: the platform gives
    // the same permission error for a device the user may not use and for
    // one locked by another program, so the device's access tells them
    // apart.
    static OpenFailure Classify(QSerialPort::SerialPortError error, bool exists, bool accessible);

    // Why the device at `path` could not be opened, in the user's words, for
    // example "/dev/ttyUSB0 is in use by minicom, process 1234".
    static QString OpenFailureText(const QString& path, OpenFailure failure, const Holder& holder);

private:
    void StartWrite();
    void OnBytesWritten(qint64 count);
    void FinishWrite();
    void OnError(QSerialPort::SerialPortError error);

    QSerialPort port;
    Timeouts timeouts;
    quint64 opening = 0;
    DeviceLock lock;
    OpenFailure openFailure = OpenFailure::None;
    Holder openHolder;
    // Frames waiting for the line; the front one is on its way, `written`
    // of its bytes have left.
    std::deque<QByteArray> writes;
    qint64 written = 0;
    QTimer writeTimer;
};
