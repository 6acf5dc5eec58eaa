#include "transfer/retry_timeout.h"

#include <algorithm>
#include <cmath>

void RetryTimeout::Sample(qint64 roundTripMs)
{
    const double sample = static_cast<double>(std::max<qint64>(roundTripMs, 0));
    if (!sampled) {
        smoothed = sample;
        deviation = sample / 2;
        sampled = true;
    } else {
        deviation = 0.75 * deviation + 0.25 * std::abs(smoothed - sample);
        smoothed = 0.875 * smoothed + 0.125 * sample;
    }
    backoff = 0;
}

void RetryTimeout::Backoff()
{
    backoff = std::min(backoff + 1, MaxBackoff);
}

int RetryTimeout::Wait(int floorMs, int ceilingMs) const
{
    if (!sampled)
        return ceilingMs;
    // The timer's granularity stands in for a deviation of nothing.
    const double base = smoothed + std::max(1.0, 4 * deviation);
    const double wait = std::ceil(base) * (1 << backoff);
    // The ceiling wins over the floor: a caller's period is never lengthened.
    const int floor = std::min(floorMs, ceilingMs);
    return static_cast<int>(std::clamp(wait, double(floor), double(std::max(ceilingMs, floor))));
}

RetryTimeout RetryTimeout::Settled() const
{
    RetryTimeout settled = *this;
    settled.backoff = 0;
    return settled;
}
