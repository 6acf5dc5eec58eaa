#pragma once

#include <array>

class SettingsImage;
struct SetupFlags;
struct SpeakerFields;

// What the "Levels" page edits: the eight channel levels and bass and
// treble, as list indexes (the codes of the setup block).
//
// A level code is dB + 12 (0..24), a tone code (dB + 10) / 2 (0..10). A code
// outside its list is kept as read and written back unchanged; -1 means the
// byte is absent from the block (or, for bass and treble, not yet loaded)
// and is not stored. Every byte is stored whole.
struct LevelFields
{
    static constexpr int LevelCount = 25; // -12 .. +12 dB
    static constexpr int ToneCount = 11;  // -10 .. +10 dB in 2 dB steps
    static constexpr int LevelZero = 12;

    // Channels in the order of their bytes.
    enum Channel
    {
        FrontLeft,
        Center,
        FrontRight,
        SurroundRight,
        BackRight,
        BackLeft,
        SurroundLeft,
        Subwoofer,
        ChannelCount
    };

    std::array<int, ChannelCount> levels{LevelZero, LevelZero, LevelZero, LevelZero,
                                         LevelZero, LevelZero, LevelZero, LevelZero};
    int bass = -1;
    int treble = -1;

    static LevelFields Load(const SettingsImage& image, const SetupFlags& flags);
    void Store(SettingsImage& image, const SetupFlags& flags) const;

    // Which level lists a speaker configuration makes usable. Front left and
    // right, bass and treble are always usable. With a single back speaker
    // ("L") only the back left level is offered, in the middle behind the
    // listener.
    struct Usable
    {
        bool center = true;
        bool surround = true; // left and right
        bool back = true;     // left and right
        bool subwoofer = true;
        bool backPair = true;
    };
    static Usable UsableFor(const SpeakerFields& speakers, const SetupFlags& flags);
};
