#pragma once

#include <QEventLoop>
#include <QTimer>

#include <functional>

// Runs the event loop until done() holds or the time is up; true when it
// holds. Unlike QTest's waits, which sleep between rounds of events, this
// keeps the loop running, so line round trips take their real time.
inline bool WaitFor(const std::function<bool()>& done, int timeoutMs)
{
    if (done())
        return true;
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    poll.start(1);
    loop.exec();
    return done();
}

// QVERIFY that the condition comes to hold within 10 s, the loop running.
#define WAIT_UNTIL(condition) QVERIFY2(WaitFor([&] { return bool(condition); }, 10000), #condition)

// Keeps the event loop running for the given time.
inline void Pause(int ms)
{
    WaitFor([] { return false; }, ms);
}
