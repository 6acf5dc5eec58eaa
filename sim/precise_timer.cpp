#include "precise_timer.h"

#include <QSocketNotifier>

#include <sys/timerfd.h>
#include <unistd.h>

#include <cstdint>

PreciseTimer::PreciseTimer(QObject* parent) : QObject(parent)
{
    fd = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    if (fd < 0)
        return;
    notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, &PreciseTimer::OnReadable);
}

PreciseTimer::~PreciseTimer()
{
    delete notifier;
    if (fd >= 0)
        ::close(fd);
}

void PreciseTimer::StartIn(qint64 nanoseconds)
{
    if (fd < 0)
        return;
    // A zero expiry would disarm the timer.
    const qint64 wait = nanoseconds > 0 ? nanoseconds : 1;
    itimerspec timerValue{};
    timerValue.it_value.tv_sec = static_cast<time_t>(wait / 1'000'000'000);
    timerValue.it_value.tv_nsec = static_cast<long>(wait % 1'000'000'000);
    timerfd_settime(fd, 0, &timerValue, nullptr);
}

void PreciseTimer::Stop()
{
    if (fd < 0)
        return;
    itimerspec timerValue{};
    timerfd_settime(fd, 0, &timerValue, nullptr);
}

void PreciseTimer::OnReadable()
{
    std::uint64_t expirations = 0;
    if (::read(fd, &expirations, sizeof expirations) == sizeof expirations && expirations > 0)
        Q_EMIT expired();
}
