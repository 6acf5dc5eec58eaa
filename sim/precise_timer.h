#pragma once

#include <QObject>

class QSocketNotifier;

// A one-shot timer with nanosecond resolution on the event loop (a timerfd
// behind a socket notifier): QTimer rounds to whole milliseconds, which is
// as long as a byte at 9600 baud. Lives on the thread that created it.
class PreciseTimer : public QObject
{
    Q_OBJECT

public:
    explicit PreciseTimer(QObject* parent = nullptr);
    ~PreciseTimer() override;

    // Fires once after the given time; a pending expiry is replaced. Times
    // of 0 or less fire at the next turn of the event loop.
    void StartIn(qint64 nanoseconds);
    void Stop();
    bool IsValid() const { return fd >= 0; }

Q_SIGNALS:
    void expired();

private:
    void OnReadable();

    int fd = -1;
    QSocketNotifier* notifier = nullptr;
};
