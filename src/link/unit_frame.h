#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <cstdint>

// The frame format of the receiver's line, both ways:
//   0x01, escaped payload, 0x02, escaped checksum
// where the checksum is the one's complement of the 8-bit sum of the raw
// payload bytes, and a byte below 0x14 or equal to 0x5E is sent as 0x5E
// followed by the byte OR 0x40. Start and end bytes are never escaped, so
// 0x01 and 0x02 always mark frame boundaries on the line.
//
// An object of this class is the receive state machine: feed it the line's
// bytes one at a time; it reports each frame whose checksum matches. It never
// holds more than MaxPayload payload bytes: a longer frame is dropped.
class UnitFrame
{
public:
    static constexpr std::uint8_t Start = 0x01;
    static constexpr std::uint8_t End = 0x02;
    static constexpr std::uint8_t Escape = 0x5E;

    // The bytes on the wire for one payload.
    static QByteArray Encode(QByteArrayView payload);
    static std::uint8_t Checksum(QByteArrayView payload);

    // Back to idle, outside any frame.
    void Reset();

    // Takes the next byte from the line. Returns true when that byte completed
    // a frame with a matching checksum; Payload() then holds it until the next
    // call. Bytes outside a frame are ignored; a start byte resynchronises.
    bool Feed(std::uint8_t byte);
    const QByteArray& Payload() const { return payload; }

private:
    enum class State
    {
        Idle,
        Payload,
        Checksum
    };

    State state = State::Idle;
    bool escapePending = false;
    std::uint8_t sum = 0;
    QByteArray payload;
};
