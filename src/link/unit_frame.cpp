#include "link/unit_frame.h"

#include "link/message_set.h"

namespace {

bool NeedsEscape(std::uint8_t byte)
{
    return byte < 0x14 || byte == UnitFrame::Escape;
}

void AppendEscaped(QByteArray& out, std::uint8_t byte)
{
    if (NeedsEscape(byte)) {
        out.append(static_cast<char>(UnitFrame::Escape));
        out.append(static_cast<char>(byte | 0x40));
    } else {
        out.append(static_cast<char>(byte));
    }
}

} // namespace

std::uint8_t UnitFrame::Checksum(QByteArrayView payload)
{
    std::uint8_t sum = 0;
    for (char c : payload)
        sum = static_cast<std::uint8_t>(sum + static_cast<std::uint8_t>(c));
    return static_cast<std::uint8_t>(~sum);
}

QByteArray UnitFrame::Encode(QByteArrayView payload)
{
    QByteArray out;
    out.reserve(2 * payload.size() + 4);
    out.append(static_cast<char>(Start));
    for (char c : payload)
        AppendEscaped(out, static_cast<std::uint8_t>(c));
    out.append(static_cast<char>(End));
    AppendEscaped(out, Checksum(payload));
    return out;
}

void UnitFrame::Reset()
{
    state = State::Idle;
    escapePending = false;
    sum = 0;
    payload.clear();
}

bool UnitFrame::Feed(std::uint8_t byte)
{
    if (byte == Start) {
        // A start byte opens a new frame wherever it comes; a pending escape
        // belongs to the abandoned frame and must not alter the new one.
        state = State::Payload;
        escapePending = false;
        sum = 0;
        payload.clear();
        return false;
    }
    if (byte == End) {
        if (state == State::Payload)
            state = State::Checksum;
        escapePending = false;
        return false;
    }
    if (byte == Escape && !escapePending) {
        escapePending = true;
        return false;
    }

    // An escaped 0x5E stands for itself; any other escaped byte had 0x40 added.
    std::uint8_t value = byte;
    if (escapePending && byte != Escape)
        value = static_cast<std::uint8_t>(byte & ~0x40);
    escapePending = false;

    switch (state) {
    case State::Idle:
        return false;
    case State::Payload:
        if (payload.size() >= MaxPayload) {
            // Longer than any frame of the protocol: drop it and wait for the
            // next start byte.
            Reset();
            return false;
        }
        payload.append(static_cast<char>(value));
        sum = static_cast<std::uint8_t>(sum + value);
        return false;
    case State::Checksum:
        state = State::Idle;
        return value == static_cast<std::uint8_t>(~sum);
    }
    return false;
}
