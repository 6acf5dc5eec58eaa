#include "transfer/memory_transfer.h"

#include "link/message_set.h"
#include "link/unit_link.h"
#include "model/live_status.h"

MemoryTransfer::MemoryTransfer(UnitLink& unitLink, LiveStatus& liveStatus, QObject* parent)
    : QObject(parent), link(unitLink), status(liveStatus)
{
    eepromRetry.setTimerType(Qt::PreciseTimer);
    connect(&eepromRetry, &QTimer::timeout, this, &MemoryTransfer::OnEepromRetry);
}

void MemoryTransfer::SetTiming(const Timing& newTiming)
{
    timing = newTiming;
}

void MemoryTransfer::SendEepromRead(int address)
{
    link.SendFrame({MessageType::Eeprom, MemoryOp::Read, static_cast<std::uint8_t>(address & 0xFF),
                    static_cast<std::uint8_t>((address >> 8) & 0xFF)});
    eepromRetry.start(timing.retry);
}

void MemoryTransfer::OnEepromRetry()
{
    if (state.memAddress <= 0) {
        eepromRetry.stop();
        return;
    }
    SendEepromRead(state.memAddress);
}

void MemoryTransfer::ReadBlockSize()
{
    state.readingSize = true;
    state.memAddress = status.facts.BlockSizeAddress();
    SendEepromRead(state.memAddress);
}

void MemoryTransfer::HandleLiveSetupReply(QByteArrayView)
{
}

void MemoryTransfer::HandleEepromReply(QByteArrayView payload)
{
    if (payload.size() < 4)
        return;
    eepromRetry.stop();
    const int address = static_cast<std::uint8_t>(payload[1]) |
                        (static_cast<std::uint8_t>(payload[2]) << 8);
    const auto value = static_cast<std::uint8_t>(payload[3]);

    if (state.readingSize && address == state.memAddress) {
        status.facts.blockSize = ModelFacts::DecodeBlockSize(value);
        state.readingSize = false;
        state.memAddress = TransferState::IdleAddress;
        Q_EMIT blockSizeRead(status.facts.blockSize);
        return;
    }
    if (state.memAddress > 0)
        eepromRetry.start(timing.retry);
}
