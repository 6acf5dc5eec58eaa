#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QObject>
#include <QSerialPort>
#include <QString>
#include <QTimer>

#include <deque>

// The serial device the receiver hangs on: 9600 baud, 8N1, no flow control,
// DTR on and RTS off. Lives on the thread that owns it (the GUI thread) and
// runs on its event loop.
//
// Contract:
// - Reads and writes are queued; at most one read and one write are in
//   progress at any time, each queue served strictly in order.
// - Every completion is delivered later (queued) on the owner's thread, in
//   the order the operations completed, as (message, requested, result).
//   A request queued with message 0 completes silently.
// - A read completes when its length has arrived, when the line stays quiet
//   for the interval timeout after at least one byte, or at the total
//   timeout with whatever has arrived (possibly nothing).
// - Close() (and Open() on an open port) discards every queued request and
//   every completion not yet delivered: nothing of an earlier opening is ever
//   delivered after the port was closed.
// - A device that disappears (USB adapter unplugged, peer gone) closes the
//   port once and emits deviceLost(); it never produces an error storm.
class SerialPort : public QObject
{
    Q_OBJECT

public:
    struct Timeouts
    {
        int readInterval = 100; // ms between bytes of one read, after the first
        int readTotal = 3000;   // ms for a whole read
        int writeTotal = 1000;  // ms for a whole write
    };

    // Why the last Open failed.
    enum class OpenFailure
    {
        None,
        Missing,          // no such device
        PermissionDenied, // the user may not read and write the device
        Busy,             // another program holds the device's lock
        Other,
    };

    explicit SerialPort(QObject* parent = nullptr);
    ~SerialPort() override;

    // Opens the named port: "COMn" is /dev/ttyS(n-1), a name beginning with
    // "/" is a device path used as it stands, any other name is looked up
    // under /dev/. Closes the port first if it is open.
    bool Open(const QString& portName, const Timeouts& timeouts);
    // Always true; safe on a closed port.
    bool Close();
    // Blocks until every write queued so far has left the computer (the
    // driver's output queue is empty), or `timeoutMs` has passed. Close()
    // drops what is still queued: a program that ends after its last frame
    // drains first, or that frame never reaches the unit. Safe on a closed
    // port.
    void Drain(int timeoutMs);
    bool IsOpen() const;

    // False when the port is closed or the length is not positive.
    bool QueueRead(int length, int message);
    // The bytes are copied; the caller may reuse its buffer at once.
    bool QueueWrite(QByteArrayView data, int message);

    // Count of successful openings so far; identifies the current one.
    quint64 Opening() const { return opening; }

    static QString DevicePath(const QString& portName);

    OpenFailure LastOpenFailure() const { return openFailure; }
    // The reason behind an open error on a device path: the platform gives
    // the same permission error for a device the user may not use and for
    // one locked by another program, so the device's access tells them
    // apart.
    static OpenFailure Classify(QSerialPort::SerialPortError error, bool exists, bool accessible);

Q_SIGNALS:
    void readCompleted(int message, int requested, const QByteArray& data);
    void writeCompleted(int message, int requested, int transferred);
    void deviceLost();

private:
    struct Request
    {
        int length = 0;
        int message = 0;
        QByteArray data; // bytes to write, or bytes read so far
        int done = 0;    // bytes written so far (writes)
    };

    // A finished request waiting to be delivered to the owner.
    struct Completion
    {
        bool isRead = true;
        int message = 0;
        int requested = 0;
        int transferred = 0;
        QByteArray data;
    };

    void Post(Completion completion);
    void Deliver();
    void StartRead();
    void ServeRead();
    void FinishRead();
    void StartWrite();
    void OnBytesWritten(qint64 count);
    void FinishWrite();
    void OnError(QSerialPort::SerialPortError error);
    void Discard();

    QSerialPort port;
    Timeouts timeouts;
    quint64 opening = 0;
    OpenFailure openFailure = OpenFailure::None;
    // Completions are delivered by one posted call that drains this queue,
    // so a whole frame already in the buffer takes one pass of the event
    // loop rather than one pass per byte.
    std::deque<Completion> completions;
    bool deliveryPosted = false;
    std::deque<Request> reads;
    std::deque<Request> writes;
    QTimer readTotalTimer;
    QTimer readIntervalTimer;
    QTimer writeTimer;
};
