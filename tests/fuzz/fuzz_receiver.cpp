// Feeds arbitrary line bytes through the frame receiver and the session's
// dispatch, the path every byte from the unit takes. Anything the unit could
// send must leave the program in one piece.

#include "link/unit_frame.h"
#include "unit/unit_session.h"

#include <QCoreApplication>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    // Timers started by the dispatch need an application object.
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    UnitSession session;
    UnitFrame receiver;
    // The first byte picks a state to start from, so reports that only act
    // while a room is on or the tuner is heard are reached too.
    if (size > 0 && (data[0] & 1)) {
        const char on[] = {20, 21, 1, 20, 52, 1, 20, 53, 9, 20, 54, 8};
        for (int i = 0; i < 12; i += 3)
            Q_EMIT session.Link().payloadReceived(QByteArray(on + i, 3));
    }
    for (std::size_t i = 0; i < size; ++i) {
        if (receiver.Feed(data[i])) {
            const QByteArray& payload = receiver.Payload();
            if (payload.size() > 63)
                __builtin_trap();
            Q_EMIT session.Link().payloadReceived(payload);
        }
    }
    // Payloads straight in as well, without the framing in the way.
    if (size > 1)
        Q_EMIT session.Link().payloadReceived(
            QByteArray(reinterpret_cast<const char*>(data + 1),
                       static_cast<qsizetype>(std::min<std::size_t>(size - 1, 63))));
    return 0;
}
