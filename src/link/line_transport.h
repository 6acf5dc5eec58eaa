#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QObject>
#include <QString>

// Whatever carries the receiver's bytes: the serial port, or a line inside
// the process. Lives on the thread that owns it and runs on its event loop.
//
// Contract of every transport:
// - bytesArrived carries the bytes read, in line order, always from the
//   event loop, never from inside a call made on the transport.
// - Write queues the bytes behind earlier ones; nothing is written while the
//   transport is closed.
// - Close() (and Open() on an open transport) drops what is still queued
//   either way: nothing of an earlier opening arrives after it.
// - A device that disappears closes the transport, counts a new opening and
//   emits deviceLost() once, later (queued).
class LineTransport : public QObject
{
    Q_OBJECT

public:
    struct Timeouts
    {
        int readInterval = 100; // ms; unused now that bytes are taken as they arrive
        int readTotal = 3000;   // ms without a byte that make one silent period
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

    // The process holding a busy port, as far as the system tells: pid 0 and
    // an empty name when it does not. The name is the program's file name.
    struct Holder
    {
        qint64 pid = 0;
        QString program;
    };

    using QObject::QObject;

    // Closes first when open. False with LastOpenFailure() telling why.
    virtual bool Open(const QString& portName, const Timeouts& timeouts) = 0;
    // Safe on a closed transport.
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;
    // The bytes are copied; the caller may reuse its buffer at once.
    virtual void Write(QByteArrayView bytes) = 0;
    // Blocks until everything written so far has left, or timeoutMs has
    // passed. Safe on a closed transport.
    virtual void Drain(int timeoutMs) = 0;
    virtual OpenFailure LastOpenFailure() const = 0;
    // Who holds the port when the last Open failed as Busy.
    virtual Holder LastOpenHolder() const { return {}; }
    // Grows with every opening and every close; identifies the current one.
    virtual quint64 Opening() const = 0;

Q_SIGNALS:
    void bytesArrived(const QByteArray& bytes);
    void deviceLost();
};
