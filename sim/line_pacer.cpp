#include "line_pacer.h"

#include <algorithm>

namespace {

constexpr qint64 BitsPerByte = 10;
constexpr qint64 NanosecondsPerSecond = 1'000'000'000;

} // namespace

LinePacer::LinePacer(int baud) : rate(std::max(baud, 0)) {}

qint64 LinePacer::WireTimeNs(qsizetype bytes) const
{
    if (rate == 0)
        return 0;
    return bytes * BitsPerByte * NanosecondsPerSecond / rate;
}

qint64 LinePacer::Transmit(qint64 readyNs, qsizetype count)
{
    freeAt = std::max(readyNs, freeAt) + WireTimeNs(count);
    return freeAt;
}
