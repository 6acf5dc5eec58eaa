#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGINT, SIGTERM and SIGHUP into a signal on the event loop, so a program can
// end the way its own quit command would (store what it keeps, close its
// line) instead of dying mid-way. One instance per process; SIGPIPE is
// ignored as well, so a reader that goes away does not end the process.
class TerminationSignals : public QObject
{
    Q_OBJECT

public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

    // False when the handlers could not be installed.
    bool IsActive() const { return notifier != nullptr; }

Q_SIGNALS:
    void terminationRequested();

private:
    QSocketNotifier* notifier = nullptr;
};
