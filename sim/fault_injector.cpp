#include "fault_injector.h"

#include "link/unit_frame.h"

#include <algorithm>

namespace {

constexpr int NoisePercent = 30; // share of frames that get stray bytes before them
constexpr int MaxNoiseBytes = 4;
constexpr int FirstNoiseByte = 3;                     // above the start and end bytes
constexpr int NoiseValues = 256 - FirstNoiseByte - 1; // less the escape byte

} // namespace

FaultInjector::FaultInjector(quint32 seed) : generator(seed) {}

void FaultInjector::Configure(int dropPercent, int corruptPercent, bool noise)
{
    drop = std::clamp(dropPercent, 0, 100);
    corrupt = std::clamp(corruptPercent, 0, 100);
    noisy = noise;
}

int FaultInjector::Percent()
{
    return static_cast<int>(generator() % 100);
}

FaultInjector::Outcome FaultInjector::Apply(QByteArrayView payload)
{
    Outcome outcome;
    // Draw every decision for every frame, so that switching one fault on
    // does not reshuffle the others.
    const bool lost = Percent() < drop;
    const bool spoilt = Percent() < corrupt;
    int noiseBytes = 0;
    if (Percent() < NoisePercent)
        noiseBytes = 1 + static_cast<int>(generator() % MaxNoiseBytes);
    for (int i = 0; i < noiseBytes; ++i) {
        auto value = FirstNoiseByte + generator() % NoiseValues;
        if (value >= UnitFrame::Escape)
            ++value;
        if (noisy)
            outcome.bytes.append(static_cast<char>(value));
    }
    if (lost) {
        outcome.fate = Fate::Dropped;
        outcome.bytes.clear();
    } else if (spoilt) {
        outcome.fate = Fate::Corrupted;
        outcome.bytes.append(WithBadChecksum(payload));
    } else {
        outcome.bytes.append(UnitFrame::Encode(payload));
    }
    return outcome;
}

QByteArray FaultInjector::WithBadChecksum(QByteArrayView payload)
{
    QByteArray frame = UnitFrame::Encode(payload);
    // The end byte is never escaped, so its last occurrence starts the checksum.
    frame.truncate(frame.lastIndexOf(static_cast<char>(UnitFrame::End)) + 1);
    const auto bad = static_cast<std::uint8_t>(~UnitFrame::Checksum(payload));
    if (bad < 0x14 || bad == UnitFrame::Escape) {
        frame.append(static_cast<char>(UnitFrame::Escape));
        frame.append(static_cast<char>(bad | 0x40));
    } else {
        frame.append(static_cast<char>(bad));
    }
    return frame;
}

bool FaultInjector::IsNoiseByte(char byte)
{
    const auto value = static_cast<std::uint8_t>(byte);
    return value >= FirstNoiseByte && value != UnitFrame::Escape;
}
