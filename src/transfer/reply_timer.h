#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

// The wait for the unit's reply to one request. It counts from the later of
// the send and the last frame the unit sent since: a reply queued behind
// other frames (the reports of a query of everything, RDS texts) is late
// through no loss. It never runs longer than the ceiling after the send, so
// a unit that talks without pause still has its lost replies asked again.
class ReplyTimer : public QObject
{
    Q_OBJECT

public:
    explicit ReplyTimer(QObject* parent = nullptr);

    void start(int waitMs, int ceilingMs);
    void stop() { timer.stop(); }
    bool isActive() const { return timer.isActive(); }
    // The wait given to the last start.
    int interval() const { return wait; }
    // A frame from the unit arrived.
    void NoteTraffic();

Q_SIGNALS:
    void timeout();

private:
    QTimer timer;
    QElapsedTimer sinceSend;
    int wait = 0;
    int ceiling = 0;
};
