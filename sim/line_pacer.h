#pragma once

#include <QtGlobal>

// One direction of a serial line at a fixed rate, 10 bits per byte (start,
// 8 data, stop). Bytes queue behind each other: a byte starts when it is
// ready and the line is free, and the line is busy until its last bit.
// Times are nanoseconds on the caller's clock.
class LinePacer
{
public:
    // baud 0 = unpaced: every byte takes no time.
    explicit LinePacer(int baud = 0);

    qint64 WireTimeNs(qsizetype bytes) const;
    // Queues count bytes ready at readyNs; returns when the last one has been
    // transmitted.
    qint64 Transmit(qint64 readyNs, qsizetype count);
    // The line is idle from here on.
    void Reset() { freeAt = 0; }

private:
    int rate;
    qint64 freeAt = 0;
};
