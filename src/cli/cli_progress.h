#pragma once

#include <QElapsedTimer>
#include <QString>

#include <cstdio>

// Progress of a transfer on the error stream: on a terminal one bar redrawn
// in place, with the bytes done, the total and the time left; otherwise a
// plain line at the start and at every tenth of the way, so a log stays short.
// A quiet progress writes nothing.
class CliProgress
{
public:
    // The stream is not owned and must outlive the progress.
    CliProgress(std::FILE* stream, bool terminal, bool quiet);

    // A transfer of `totalBytes` began, described by `text`.
    void Begin(const QString& text, int totalBytes);
    // 0..100 of the transfer begun last.
    void Update(int percent);
    // The transfer ended; ends the bar's line.
    void End();

    // "1:05" style time left for `done` of `total` after `elapsedMs`; "--:--"
    // before anything is done.
    static QString TimeLeft(qint64 elapsedMs, int done, int total);
    // The bar's text, without the carriage return.
    static QString BarText(int done, int total, const QString& timeLeft);

private:
    std::FILE* stream;
    bool terminal;
    bool quiet;
    bool running = false;
    int total = 0;
    int lastTenth = -1;
    QString title;
    QElapsedTimer clock;
};
