#pragma once

#include "link/message_set.h"
#include "model/model_facts.h"

#include <QByteArrayView>
#include <QObject>
#include <QString>

#include <array>

// The two rooms a receiver plays in.
enum class LiveRoom
{
    Main,
    Zone,
};

// What the program knows of the receiver's present state, as last reported.
// A plain copy: tests and views may keep one.
struct LiveValues
{
    // A room's volume (dB, signed) and mute as the unit last reported them,
    // whether or not the room was on.
    struct Sound
    {
        int volume = 0;
        bool mute = false;
    };

    bool connected = false;
    ModelFacts facts;            // model text, version text ("v2.05"), block size
    int modelIndex = 0;          // 1 (K220) or 2; 0 until the first connection
    bool extendedLayout = false; // false while not connected

    bool mainPower = false;
    bool zonePower = false;
    bool tunerLive = false; // the tuner is heard in the main room or the zone
    bool mainSourceIsTuner = false;

    // The source selected on the panel for each room: the last report while
    // that room was on; -1 when none is selected (room off, or no report).
    int mainSource = -1;
    int zoneSource = -1;
    int surroundMode = -1;

    int tunerBand = Band::Fm;
    int fmFrequency = 0; // 10 kHz units
    int amFrequency = 0; // kHz
    int fmPreset = 0;    // 0 = none
    int amPreset = 0;
    bool fmMute = false;    // as shown: false while the tuner is not heard
    bool speakersA = false; // as shown: false while the main room is off
    bool speakersB = false;

    int mainVolume = 0; // dB, signed; kept only while main power is on
    int zoneVolume = 0; // dB, signed; kept only while zone power is on
    int bass = 0;       // dB, signed
    int treble = 0;     // dB, signed

    QString radioText;
    QString psName;

    // By LiveRoom: the volume popup shows a room's sound even while it is off.
    std::array<Sound, 2> reportedSound{};
    const Sound& ReportedSound(LiveRoom room) const
    {
        return reportedSound[room == LiveRoom::Main ? 0 : 1];
    }
    Sound& ReportedSound(LiveRoom room) { return reportedSound[room == LiveRoom::Main ? 0 : 1]; }

    // Input names as last reported (variable 55); empty until reported.
    std::array<QString, InputCount> inputNames;
    std::array<bool, InputCount> inputNameKnown{};

    // The next connection to a supported unit reads the block size.
    bool firstConnectionPending = true;
};

// The owner of what the unit reported. Only the unit's reports change it
// (and the connection procedure, which resets the rooms and the radio texts
// on each new connection); a command sent to the unit changes nothing here,
// except that a typed tuner value counts as the current one until the unit
// reports (AssumeTunerValue).
//
// The signals are the views of the control panel, in the order a view must
// apply them. Everything runs on the owner's thread.
class LiveStatus : public QObject
{
    Q_OBJECT

public:
    explicit LiveStatus(QObject* parent = nullptr);

    const LiveValues& Values() const { return values; }
    // The transfers learn the block size; nothing else writes the facts.
    ModelFacts& Facts() { return values.facts; }

    // Payloads of type 20 (variable report), 23 (version), 27 (programme
    // service name) and 28 (radio text). Short or out-of-range payloads are
    // ignored; every index from the line is checked before it is used.
    void ApplyReport(QByteArrayView payload);
    void ApplyVersion(QByteArrayView payload);
    void ApplyPsName(QByteArrayView payload);
    void ApplyRadioText(QByteArrayView payload);

    // A unit answered after a silence: the rooms start off and unselected
    // until the unit reports them.
    void BeginConnection();
    // The line fell silent once: the unit is no longer taken as connected,
    // but nothing is shown until the second silent period.
    void MarkSilent();
    // "Not Connected": both rooms off.
    void ShowDisconnected();
    // Model facts of the connection line, then connectionLineRefreshed; a
    // supported unit's first refresh after a connection also announces
    // supportedUnitConnected.
    void RefreshConnectionLine();

    // A frequency (variable 44 or 45) or preset (56 or 57) the user typed
    // and the program sent: it stands until the unit reports, so typing it
    // again sends nothing. Other variables are ignored.
    void AssumeTunerValue(int variable, int value);

    // A name the program just sent for input 0..9: the input's name until
    // the unit reports one (announced by inputNameAssumed).
    void AssumeInputName(int index, const QString& name);
    // Texts for the command line, the sheet and the files, as LivePresenter
    // words them for the panel.
    QString InputCaption(int index) const;
    QString VolumeText(int value) const;

Q_SIGNALS:
    void connectionLineRefreshed(); // connection line and model-dependent items
    void supportedUnitConnected();  // first refresh of a supported unit's connection
    void connectionShown(bool connected);
    void mainPowerShown(bool on); // the main room's controls follow main power
    void zonePowerShown(bool on);
    void tunerSectionUpdated(bool live);

    // The values the panel shows, in its terms, one signal each: emitted for
    // a report whose room is on (the tuner's: while the tuner is heard, on
    // the band shown) and whose value is in range, so a view applies every
    // one it hears. Levels are signed dB; sources 0..9; surround modes
    // 0..13 but SurroundModeNone; signal types 0..SignalTypeCount-1. The
    // tuner's frequency and preset are those of LiveValues::tunerBand.
    void mainPowerReported(bool on); // after mainPowerShown
    void zonePowerReported(bool on);
    void mainMuteChanged(bool on);
    void zoneMuteChanged(bool on);
    void speakersAChanged(bool on);
    void speakersBChanged(bool on);
    void tapeMonitorChanged(bool on);
    void toneDefeatChanged(bool on);
    void fmMuteChanged(bool on);
    void mainVolumeChanged(int decibels);
    void zoneVolumeChanged(int decibels);
    void bassChanged(int decibels);
    void trebleChanged(int decibels);
    void signalTypeChanged(int type);
    void surroundModeChanged(int mode);
    void mainSourceChanged(int source);
    void zoneSourceChanged(int source);
    void tunerBandChanged(int band);
    void tunerFrequencyChanged();
    void tunerPresetChanged();
    // Every report of a room's volume or mute, shown or not
    // (LiveValues::reportedSound).
    void soundReported(LiveRoom room);

    void identified(); // a model report arrived
    void versionReported();
    void inputNameReported(int index, const QString& name);
    void inputNameAssumed(int index, const QString& name);
    void psNameChanged(const QString& name);
    void radioTextChanged(const QString& text);

private:
    void ApplyVariable(int variable, int v, int raw, QByteArrayView payload);
    bool ApplySound(int variable, int v);
    void ApplySource(int variable, int v, int raw);
    void ApplyTuner(int variable, int v, int raw, QByteArrayView payload);
    void SetMainPower(bool on);
    void ClearMainRoom();
    void SetZonePower(bool on);
    void UpdateTunerSection();
    void SetPsName(const QString& name);
    void SetRadioText(const QString& text);

    LiveValues values;
};
