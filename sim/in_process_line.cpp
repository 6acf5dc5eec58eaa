#include "in_process_line.h"

#include "link/line_transport.h"
#include "link/unit_link.h"

#include <QHash>

#include <memory>
#include <utility>

namespace {

// The lines open now, by name.
QHash<QString, InProcessLine*>& OpenLines()
{
    static QHash<QString, InProcessLine*> lines;
    return lines;
}

const QString NamePrefix = QStringLiteral("sim:");
// Unread bytes beyond which nobody is taken to be listening.
constexpr qsizetype StaleInputLimit = 1024;

} // namespace

// The program's end of an in-process line: what UnitLink opens for a "sim:"
// name.
class InProcessTransport final : public LineTransport
{
public:
    ~InProcessTransport() override { Close(); }

    bool Open(const QString& portName, const Timeouts&) override
    {
        Close();
        InProcessLine* found = OpenLines().value(portName);
        if (!found || found->holder) {
            failure = found ? OpenFailure::Busy : OpenFailure::Missing;
            return false;
        }
        failure = OpenFailure::None;
        line = found;
        line->holder = this;
        open = true;
        ++opening;
        // What the unit sent while no port was open waits on the line, as
        // it does in a terminal's input queue.
        if (!line->unread.isEmpty())
            Accept(std::exchange(line->unread, {}));
        return true;
    }

    void Close() override
    {
        if (line && line->holder == this)
            line->holder = nullptr;
        line = nullptr;
        open = false;
        inbound.clear();
        ++opening;
    }

    bool IsOpen() const override { return open; }

    void Write(QByteArrayView bytes) override
    {
        if (line && !bytes.isEmpty())
            line->Accept(bytes.toByteArray());
    }

    // What was written has crossed once it was queued.
    void Drain(int) override {}
    OpenFailure LastOpenFailure() const override { return failure; }
    quint64 Opening() const override { return opening; }

    // From the unit's end.
    void Accept(const QByteArray& bytes)
    {
        inbound.append(bytes);
        if (std::exchange(deliveryPosted, true))
            return;
        QMetaObject::invokeMethod(
            this,
            [this] {
                deliveryPosted = false;
                if (!inbound.isEmpty())
                    Q_EMIT bytesArrived(std::exchange(inbound, {}));
            },
            Qt::QueuedConnection);
    }

    // The unit's end went away. Like a serial port, this end stays open
    // until it notices, later; nothing crosses meanwhile, and then it closes
    // and says so once.
    void Lose()
    {
        line = nullptr;
        inbound.clear();
        const quint64 lost = opening;
        QMetaObject::invokeMethod(
            this,
            [this, lost] {
                if (opening != lost)
                    return;
                Close();
                Q_EMIT deviceLost();
            },
            Qt::QueuedConnection);
    }

private:
    InProcessLine* line = nullptr; // null once the unit's end is gone
    bool open = false;
    QByteArray inbound; // sent by the unit, not yet delivered
    bool deliveryPosted = false;
    quint64 opening = 0;
    OpenFailure failure = OpenFailure::None;
};

InProcessLine::InProcessLine(QObject* parent) : LineEndpoint(parent)
{
    static int lines = 0;
    name = NamePrefix + QString::number(++lines);
}

InProcessLine::~InProcessLine()
{
    Close();
}

bool InProcessLine::Open(QString*)
{
    static const bool installed = [] {
        UnitLink::SetTransportFactory([](const QString& portName) {
            return portName.startsWith(NamePrefix) ? std::make_unique<InProcessTransport>()
                                                   : std::unique_ptr<InProcessTransport>();
        });
        return true;
    }();
    Q_UNUSED(installed);
    Close();
    open = true;
    OpenLines().insert(name, this);
    return true;
}

void InProcessLine::Close()
{
    if (!open)
        return;
    open = false;
    OpenLines().remove(name);
    inbound.clear();
    unread.clear();
    if (holder)
        std::exchange(holder, nullptr)->Lose();
}

void InProcessLine::Write(const QByteArray& bytes)
{
    if (holder) {
        holder->Accept(bytes);
        return;
    }
    // Nobody listens: a few frames wait, then the stale ones are lost.
    if (unread.size() > StaleInputLimit)
        unread.clear();
    unread.append(bytes);
}

void InProcessLine::Accept(const QByteArray& bytes)
{
    inbound.append(bytes);
    if (std::exchange(deliveryPosted, true))
        return;
    QMetaObject::invokeMethod(this, &InProcessLine::Deliver, Qt::QueuedConnection);
}

void InProcessLine::Deliver()
{
    deliveryPosted = false;
    if (!inbound.isEmpty())
        Q_EMIT bytesArrived(std::exchange(inbound, {}));
}
