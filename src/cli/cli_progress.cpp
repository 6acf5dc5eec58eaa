#include "cli/cli_progress.h"

#include <algorithm>

namespace {
constexpr int BarWidth = 30;
}

CliProgress::CliProgress(std::FILE* out, bool isTerminal, bool isQuiet)
    : stream(out), terminal(isTerminal), quiet(isQuiet)
{}

QString CliProgress::TimeLeft(qint64 elapsedMs, int done, int totalBytes)
{
    if (done <= 0 || totalBytes <= 0)
        return QStringLiteral("--:--");
    const qint64 left = std::max<qint64>(0, totalBytes - done);
    const qint64 seconds = (elapsedMs * left / done + 999) / 1000;
    return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

QString CliProgress::BarText(int done, int totalBytes, const QString& timeLeft)
{
    const int filled = totalBytes > 0 ? std::clamp(done * BarWidth / totalBytes, 0, BarWidth) : 0;
    return QStringLiteral("[%1%2] %3/%4 bytes, %5 left")
        .arg(QString(filled, QLatin1Char('#')), QString(BarWidth - filled, QLatin1Char('-')))
        .arg(done)
        .arg(totalBytes)
        .arg(timeLeft);
}

void CliProgress::Begin(const QString& text, int totalBytes)
{
    if (running)
        End();
    running = true;
    total = totalBytes;
    title = text;
    lastTenth = -1;
    clock.start();
    if (quiet)
        return;
    if (!terminal)
        std::fprintf(stream, "%s\n", qPrintable(text));
    Update(0);
}

void CliProgress::Update(int percent)
{
    if (quiet || !running)
        return;
    const int done = std::clamp(percent, 0, 100) * total / 100;
    if (terminal) {
        std::fprintf(stream, "\r%s",
                     qPrintable(BarText(done, total, TimeLeft(clock.elapsed(), done, total))));
        std::fflush(stream);
        return;
    }
    const int tenth = std::clamp(percent, 0, 100) / 10;
    if (tenth == lastTenth)
        return;
    lastTenth = tenth;
    std::fprintf(stream, "%d/%d bytes\n", done, total);
    std::fflush(stream);
}

void CliProgress::End()
{
    if (!running)
        return;
    running = false;
    if (!quiet && terminal) {
        std::fputc('\n', stream);
        std::fflush(stream);
    }
}
