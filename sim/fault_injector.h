#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <random>

// Decides what one direction of the line does to each frame: lose it, spoil
// its checksum, or put stray bytes before it. The decisions come from a
// seeded generator, so a run with the same seed and the same frames is the
// same; each direction has an injector of its own.
class FaultInjector
{
public:
    enum class Fate
    {
        Sent,
        Dropped,
        Corrupted
    };

    struct Outcome
    {
        Fate fate = Fate::Sent;
        QByteArray bytes; // what goes on the line: noise, then the frame; empty when dropped
    };

    explicit FaultInjector(quint32 seed = 1);

    // Percentages are clamped to 0..100. Corruption is drawn only for frames
    // that were not dropped.
    void Configure(int dropPercent, int corruptPercent, bool noise);
    Outcome Apply(QByteArrayView payload);

    // The frame of the payload with its checksum byte inverted (and escaped
    // as the line needs), so no receiver accepts it.
    static QByteArray WithBadChecksum(QByteArrayView payload);
    // Stray bytes never include a start or end byte, so no false frame can
    // form and no real frame is cut, nor the escape byte, so a receiver that
    // keeps a pending escape across a start byte reads the next frame right.
    static bool IsNoiseByte(char byte);

private:
    int Percent();

    std::mt19937 generator;
    int drop = 0;
    int corrupt = 0;
    bool noisy = false;
};
