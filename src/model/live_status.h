#pragma once

#include "link/message_set.h"
#include "model/model_facts.h"

#include <QByteArrayView>
#include <QObject>
#include <QString>

#include <array>

// What the program knows of the receiver's present state, as last reported.
// A plain copy: tests and views may keep one.
struct LiveValues
{
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
    // The name of input 0..9 as the panel captions it: the reported (or
    // assumed) name, else the default caption.
    QString InputCaption(int index) const;

    // "-oo dB" for the model's minus-infinity code, else "%d dB".
    QString VolumeText(int value) const;

Q_SIGNALS:
    void connectionLineRefreshed(); // connection line and model-dependent items
    void supportedUnitConnected();  // first refresh of a supported unit's connection
    void connectionShown(bool connected);
    void mainPowerShown(bool on); // the main room's controls follow main power
    void zonePowerShown(bool on);
    void tunerSectionUpdated(bool live);
    // A variable report. shown tells whether the panel displays it (its room
    // is on, its value is in range); unshown reports still matter to the
    // volume popup. value is signed where the variable is signed, the
    // unsigned 16-bit value for frequencies, else the unsigned byte.
    void reportApplied(int variable, int value, bool shown);
    void identified(); // a model report arrived
    void versionReported();
    void inputNameReported(int index, const QString& name);
    void inputNameAssumed(int index, const QString& name);
    void psNameChanged(const QString& name);
    void radioTextChanged(const QString& text);

private:
    void ApplyVariable(int variable, int v, int raw, QByteArrayView payload);
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
