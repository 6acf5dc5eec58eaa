#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

// The unit's end of its line: bytes the program sent arrive here, bytes the
// unit sends leave here. Lives on the thread that created it.
class LineEndpoint : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // Makes the line anew, closing a previous one; false with a message.
    virtual bool Open(QString* error) = 0;
    // The program's end loses its device.
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;
    // What the program opens to reach this end.
    virtual QString Name() const = 0;
    // Puts bytes on the line, in order.
    virtual void Write(const QByteArray& bytes) = 0;

Q_SIGNALS:
    void bytesArrived(const QByteArray& bytes);
};
