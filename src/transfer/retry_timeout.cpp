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
    // The timer's granularity stands in for a deviation of nothing; the
    // floor applies before the doubling, so each loss lengthens the wait.
    const double margin = std::max({1.0, 4 * deviation, smoothed / 8});
    const double base = std::max(std::ceil(smoothed + margin), static_cast<double>(floorMs));
    return static_cast<int>(std::min(base * (1 << backoff), static_cast<double>(ceilingMs)));
}

RetryTimeout RetryTimeout::Settled() const
{
    RetryTimeout settled = *this;
    settled.backoff = 0;
    return settled;
}
