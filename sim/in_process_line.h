#pragma once

#include "line_endpoint.h"

#include <QByteArray>
#include <QString>

class InProcessTransport;

// The unit's end of a line inside the process, for tests that want the
// simulated unit without a pseudo-terminal. Each line has a name of its own
// ("sim:1", "sim:2", ...) that a UnitLink opens like a port: the first line
// opened installs the link's transport factory, which serves every "sim:"
// name and leaves all others to the serial port.
//
// Bytes cross later, on the event loop, in order, never inside the Write
// that sent them. Only one program end holds the line at a time (a second
// is busy); what the unit sends while none does waits for the next, up to
// a few frames, as in a terminal's input queue. Close() is the
// device lost: the program's end closes and hears of it once, later; its
// name opens again after Open(). Lives on the thread that created it, the
// program's end on the same thread.
class InProcessLine : public LineEndpoint
{
    Q_OBJECT

public:
    explicit InProcessLine(QObject* parent = nullptr);
    ~InProcessLine() override;

    bool Open(QString* error) override;
    void Close() override;
    bool IsOpen() const override { return open; }
    QString Name() const override { return name; }
    void Write(const QByteArray& bytes) override;

private:
    friend class InProcessTransport;

    // From the program's end.
    void Accept(const QByteArray& bytes);
    void Deliver();

    QString name;
    bool open = false;
    InProcessTransport* holder = nullptr; // the program's end that has it open
    QByteArray inbound;                   // sent by the program, not yet delivered
    QByteArray unread;                    // sent by the unit while no program end held it
    bool deliveryPosted = false;
};
