// Feeds arbitrary line bytes through the frame receiver and the session's
// dispatch, the path every byte from the unit takes. Anything the unit could
// send must leave the program in one piece, with a live state the panel can
// show: indexes in range, and nothing kept for a room that is off or a
// tuner that is not heard. (Frames coming back from the encoder byte for
// byte is the frame codec's test.)

#include "link/message_set.h"
#include "link/unit_frame.h"
#include "unit/unit_session.h"

#include "fuzz_support.h"

namespace {

// What the views rely on, whatever was reported.
void CheckShowable(const LiveValues& v)
{
    const auto sourceOrNone = [](int s) { return s >= -1 && s < InputCount; };
    Require(sourceOrNone(v.mainSource) && sourceOrNone(v.zoneSource));
    Require(v.mainPower ||
            (v.mainSource == -1 && v.surroundMode == -1 && !v.speakersA && !v.speakersB));
    Require(v.zonePower || v.zoneSource == -1);
    Require(v.tunerLive || (v.radioText.isEmpty() && v.psName.isEmpty() && !v.fmMute));
    Require(v.tunerBand == Band::Am || v.tunerBand == Band::Fm);
    Require(v.modelIndex >= 0 && v.modelIndex <= 2);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    StartApplication(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    UnitSession session;
    LiveStatus& live = session.Live();
    UnitFrame receiver;
    // The first byte picks a state to start from, so reports that only act
    // while a room is on or the tuner is heard are reached too, and where
    // the session steps in.
    const int mode = size > 0 ? data[0] : 0;
    if (mode & 1) {
        const char on[] = {20, 21, 1, 20, 52, 1, 20, 53, 9, 20, 54, 8};
        for (int i = 0; i < 12; i += 3)
            Q_EMIT session.Link().payloadReceived(QByteArray(on + i, 3));
    }
    const std::size_t interruptAt = size / 2;
    for (std::size_t i = 0; i < size; ++i) {
        // The session's own events: a silent period, "Not Connected", a new
        // connection; late reports after each must find the state consistent.
        if (i == interruptAt && (mode & 6) == 2)
            live.MarkSilent();
        else if (i == interruptAt && (mode & 6) == 4)
            live.ShowDisconnected();
        else if (i == interruptAt && (mode & 6) == 6)
            live.BeginConnection();
        if (i == interruptAt)
            live.RefreshConnectionLine();
        if (receiver.Feed(data[i])) {
            const QByteArray& payload = receiver.Payload();
            Require(payload.size() <= 63);
            Q_EMIT session.Link().payloadReceived(payload);
            CheckShowable(live.Values());
        }
    }
    // Payloads straight in as well, without the framing in the way.
    if (size > 1)
        Q_EMIT session.Link().payloadReceived(
            InputBytes(data + 1, std::min<std::size_t>(size - 1, 63)));
    CheckShowable(live.Values());

    // What the panel asks of the state: every caption and the volume's text.
    for (int i = -1; i <= InputCount; ++i) {
        const bool input = i >= 0 && i < InputCount;
        // A unit may report an empty name; a default caption never is.
        if (!input || !live.Values().inputNameKnown[static_cast<std::size_t>(i)])
            Require(live.InputCaption(i).isEmpty() == !input);
    }
    Require(!live.VolumeText(live.Values().mainVolume).isEmpty());
    return 0;
}
