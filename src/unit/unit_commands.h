#pragma once

#include <QString>

#include <cstdint>

class LiveStatus;
class UnitLink;

// Every command the program sends for the user, by what it does rather than
// by protocol number: the control panel, the volume popup, the setup flow,
// the settings-file reader and a command line all call these.
//
// Commands are fire-and-forget: nothing here changes what the program shows;
// the unit's report does (see LiveStatus). A command sent while the port is
// closed goes nowhere. Spin steps follow the platform spin's sign: a
// negative delta is the upper arrow (up), a positive one the lower arrow
// (down), 0 sends nothing.
class UnitCommands
{
public:
    enum class Room
    {
        Main,
        Zone,
    };

    // The switches a key toggles.
    enum class Switch
    {
        MainMute,
        ZoneMute,
        SpeakersA,
        SpeakersB,
        TapeMonitor,
        ToneDefeat,
    };

    enum class Tone
    {
        Bass,
        Treble,
    };

    enum class TunerAction
    {
        BandAm,
        BandFm,
        SeekUp,
        SeekDown,
    };

    UnitCommands(UnitLink& link, LiveStatus& status);

    void TogglePower(Room room);
    void Toggle(Switch which);
    void StepVolume(Room room, int delta);
    // Sets the room's volume to `decibels` (signed; the model's lowest
    // setting is minus infinity). Values outside -128..127 send nothing.
    void SetVolume(Room room, int decibels);
    // Bass and treble move in 2 dB steps from the value last reported; the
    // unit keeps them within its range.
    void StepBass(int delta);
    void StepTreble(int delta);
    // Sets bass or treble to `decibels` (signed); the unit keeps it within
    // its range and steps. Values outside -128..127 send nothing.
    void SetTone(Tone tone, int decibels);
    // Source 0..9 of the room; other values send nothing.
    void SelectSource(Room room, int source);
    // Surround mode 0..13 except the one without a mode; others send nothing.
    void SelectSurroundMode(int mode);
    // A/V preset 1..5; other numbers send nothing.
    void RecallPreset(int number);
    void StorePreset(int number);

    // The tuner's keys go to the room whose source is TUNER (the main room
    // first); when neither room has TUNER selected they send nothing (a zone
    // hearing the main room's tuner through LOCAL has no keys of its own).
    void Tuner(TunerAction action);
    void StepFrequency(int delta);
    void StepTunerPreset(int delta);
    // The opposite of the FM mute the unit last reported.
    void ToggleFmMute();
    // A typed frequency of the current band (FM in 10 kHz units, AM in kHz)
    // or preset number: sent when it is nonzero, fits its message (16 bits,
    // one byte) and differs from the current one, which it then replaces
    // until the unit reports. False when nothing was sent.
    bool SetFrequency(int value);
    bool SetTunerPreset(int value);
    // The same for a caller that waits for the unit's report instead (the
    // command line): nothing is assumed, so only the unit's report changes
    // what the live status holds.
    bool SendFrequency(int value);
    bool SendTunerPreset(int value);

    // Renames input 0..9 at once: trailing white space is removed, the name
    // becomes the input's caption (LiveStatus::AssumeInputName) and its
    // first 13 characters are sent, padded with spaces to exactly 13. An
    // empty name (or one of spaces only) or another index sends nothing and
    // gives false. The setup flow and the settings-file reader use this.
    bool SendInputName(int index, const QString& name);
    // The rename the user asks for in the Rename Input dialog: the first 13
    // characters with trailing white space removed are sent; the caption
    // follows the unit's report. False when nothing was sent.
    bool RequestRename(int index, const QString& name);

    // Asks the unit for the name of input 0..9.
    void QueryInputName(int index);
    // The identity query, the version query and the query of every variable.
    void QueryModel();
    void QueryVersion();
    void QueryAll();

private:
    void SendTunerKey(std::uint8_t main, std::uint8_t zone);
    void StepTone(std::uint8_t variable, int current, int delta);
    bool SendTunerValue(bool preset, int value, bool assume);
    void SendName(int index, const QString& name);

    UnitLink& link;
    LiveStatus& status;
};
