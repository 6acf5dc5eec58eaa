#pragma once

#include <QtGlobal>

// How long to wait for the unit's reply before asking again, learnt from the
// round trips of the line.
//
// The estimate is TCP's: a smoothed round trip and the mean deviation of the
// samples, the wait being the smoothed round trip plus four deviations (and
// at least an eighth of the round trip, so the scheduler's jitter on a slow
// but steady line is no loss). Only an exchange answered at its first send
// gives a sample: the answer to a request sent twice may belong to either
// send. Each timeout in a row doubles the wait, and the answer ends the
// doubling: on a line that loses frames at random a loss says nothing of the
// next request.
//
// The wait never falls below the floor the caller gives, a few exchanges'
// time on the wire, so a slow unit is not flooded; it never exceeds the
// ceiling, the fixed period the unit was built for, which wins over the
// floor. Without a sample the wait is the ceiling.
class RetryTimeout
{
public:
    void Sample(qint64 roundTripMs);
    // The wait just ended without a reply.
    void Backoff();
    // The request that timed out was answered after all.
    void EndLosses() { backoff = 0; }
    // The wait before the next send.
    int Wait(int floorMs, int ceilingMs) const;

    bool HasSamples() const { return sampled; }
    double SmoothedMs() const { return smoothed; }
    // The learnt round trips without the doubling of the last losses: where
    // the next transfer starts.
    RetryTimeout Settled() const;

private:
    static constexpr int MaxBackoff = 5; // 32 times: past any ceiling

    double smoothed = 0;
    double deviation = 0;
    bool sampled = false;
    int backoff = 0;
};
