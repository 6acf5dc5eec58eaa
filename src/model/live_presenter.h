#pragma once

#include "model/live_status.h"

#include <QString>

// How the views (the control panel, the tray menu, the volume popup) word and
// bound what the live status holds: the texts a value reads as, the input
// captions, the connection line, the unit's name and the volume popup's
// range. One place for them, so the views agree.
//
// Reads a LiveValues it does not own (the session's), which must outlive it;
// cheap to make, so each view keeps its own.
class LivePresenter
{
public:
    explicit LivePresenter(const LiveValues& shown) : values(shown) {}

    // "-oo dB" for the model's minus-infinity code, else "%d dB".
    QString VolumeText(int decibels) const;
    // Bass and treble: "%d dB".
    static QString ToneText(int decibels);
    // The name of signal type 0..SignalTypeCount-1; empty for others.
    static QString SignalTypeText(int type);
    // The name of surround mode 0..13; empty for SurroundModeNone and others.
    static QString SurroundModeText(int mode);

    // The caption a room's button of input 0..9 starts with: the default
    // name; input 8 is LOCAL in the zone. Empty outside 0..9.
    static QString DefaultCaption(int input, LiveRoom room);
    // Whether the unit's name of an input shows on the room's button: the
    // zone's LOCAL keeps its caption.
    static bool ShowsInputName(int input, LiveRoom room);
    // The name of input 0..9 as the panel captions it: the reported (or
    // assumed) name, else the default caption. Empty outside 0..9.
    QString InputCaption(int input) const;

    // The tuner's frequency and preset on the band of LiveValues::tunerBand:
    // "%d.%02d MHz" or "%d kHz", and "%d" or "--".
    QString FrequencyText() const;
    QString PresetText() const;

    // "Connected to K230 v2.05 on /dev/ttyS0", or "Not Connected".
    QString ConnectionLine(const QString& portName) const;
    // A connected unit the program knows the setup of.
    bool SupportedUnit() const;
    // The title of the unit's menu: "&K230" for a supported unit, else "Unit".
    QString UnitMenuTitle() const;
    // The unit's name on the volume popup: the model, "Unit" for one the
    // program does not know, "N/C" while not connected.
    QString UnitName() const;

    // A room's controls are live only while the unit reports it on.
    bool RoomOn(LiveRoom room) const;

    // The volume popup's slider: a position is the volume in dB with its
    // sign inverted, so louder is higher; the quietest position (62 on a
    // model of index 1, else 75) stands for minus infinity.
    static constexpr int LoudestPosition = -18;
    int QuietestPosition() const;
    // What the popup reads for a room: "-oo dB" while the thumb is at the
    // quietest position, else the room's reported volume.
    QString PopupVolumeText(LiveRoom room, bool thumbAtQuietest) const;

private:
    const LiveValues& values;
};
