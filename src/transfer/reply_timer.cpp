#include "transfer/reply_timer.h"

#include <algorithm>

ReplyTimer::ReplyTimer(QObject* parent) : QObject(parent)
{
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    connect(&timer, &QTimer::timeout, this, &ReplyTimer::timeout);
}

void ReplyTimer::start(int waitMs, int ceilingMs)
{
    wait = waitMs;
    ceiling = std::max(waitMs, ceilingMs);
    sinceSend.start();
    timer.start(wait);
}

void ReplyTimer::NoteTraffic()
{
    if (!timer.isActive())
        return;
    const int left = std::min<qint64>(wait, ceiling - sinceSend.elapsed());
    if (left > timer.remainingTime())
        timer.start(left);
}
