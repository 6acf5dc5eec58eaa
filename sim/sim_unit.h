#pragma once

#include "setup_layout.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QMap>
#include <QSet>
#include <QString>

#include <array>
#include <bitset>
#include <cstdint>

// The simulated receiver's own behaviour, without any I/O: it takes request
// payloads and returns the payloads the unit sends back (answers and the
// reports of every change a request caused), and it produces the RDS frames
// of one period on demand. Time and the line belong to the caller.
//
// Malformed requests (wrong length, unknown type or variable, index or
// address out of range) produce no output and change nothing. A value out of
// range in a set-variable request changes nothing but is answered with the
// variable's current value, so a display that went ahead is corrected.
// Keys and set-variable requests for a room that is off are ignored, except
// the room's power.
class SimUnit
{
public:
    static constexpr int EepromSize = 2048;
    static constexpr int MaxVolume = 18; // dB

    // modelText: any identification text; unknown texts get the layout of
    // their first four characters (SetupLayout).
    SimUnit(const QString& modelText, int firmwareMajor, int firmwareMinor);

    // "vX.YY" (case ignored, major 0..127, two minor digits) → true.
    static bool ParseFirmware(const QString& text, int* major, int* minor);

    QList<QByteArray> Handle(QByteArrayView request);
    // The frames of one RDS period: nothing unless the tuner is heard on FM.
    // The first period on a new station clears the radio text first (and the
    // PS name when the station has no RDS); each period then sends the PS name
    // and the next segment of the radio text.
    QList<QByteArray> RdsTick();

    // A memory cell that holds at most max: a write request (type 29 or 30)
    // of a larger value stores max, and the reply echoes max. The unit's own
    // changes (variables, stored and recalled presets) are not clamped, and
    // nor is what the cell holds already. A max of 255 lifts the clamp. False,
    // and nothing changes, for an index outside the block, an address outside
    // the EEPROM or a max outside 0..255.
    bool SetLiveClamp(int index, int max);
    bool SetEepromClamp(int address, int max);
    // A worn cell: every write to `address` is echoed with the value sent,
    // as if it had been taken, but the cell keeps what it held, so only a
    // read shows the loss. False for an address outside the EEPROM.
    bool LoseEepromWrites(int address);

    // Replaces the EEPROM with an image of exactly EepromSize bytes.
    bool ReplaceEeprom(const QByteArray& image);
    const QByteArray& Eeprom() const { return eeprom; }
    const QByteArray& LiveSetup() const { return liveSetup; }
    // Replaces the live setup with a block of its own size.
    bool ReplaceLiveSetup(const QByteArray& block);
    // Grows with every change of the EEPROM.
    quint64 EepromRevision() const { return eepromRevision; }
    const SetupLayout& Layout() const { return layout; }

    // Current value of a live variable (signed dB for volumes and tones,
    // frequencies in their units), or -1 for a number that is none.
    int Value(std::uint8_t variable) const;
    QByteArray InputName(int index) const;
    // The volume that stands for minus infinity, the bottom step.
    int MinimumVolume() const;
    bool TunerHeard() const;
    bool TunerHeardOnFm() const;

private:
    using Values = std::array<int, 64>;
    using Flags = std::bitset<64>;

    bool IsLive(std::uint8_t variable) const;
    QByteArray Report(std::uint8_t variable) const;
    QByteArray NameReport(int index) const;
    void ReportChanges(const Values& before, QList<QByteArray>& out);
    void SyncSetup(const Values& before);

    void Query(QByteArrayView request, QList<QByteArray>& out) const;
    void Set(QByteArrayView request, QList<QByteArray>& out);
    void Rename(QByteArrayView request, QList<QByteArray>& out);
    void Assign(std::uint8_t variable, int raw);
    void Key(std::uint8_t code);
    bool MainKey(std::uint8_t code);
    bool ZoneKey(std::uint8_t code);
    bool TunerKey(std::uint8_t code, bool zone);
    void LiveSetupRequest(QByteArrayView request, QList<QByteArray>& out);
    void EepromRequest(QByteArrayView request, QList<QByteArray>& out);

    void SetPower(bool zone, bool on);
    void SelectMainSource(int source);
    void StepVolume(std::uint8_t variable, int delta);
    void SetBand(int band);
    void Tune(int band, int frequency);
    void StepFrequency(bool up);
    bool RecallTunerPreset(int band, int number);
    void StorePreset(int number);
    void RecallPreset(int number);
    void ApplySetupToLive();
    int SetupByte(int canonical) const;
    static bool SetClamp(QMap<int, int>& clamps, int cell, int cells, int max);
    static int Clamped(const QMap<int, int>& clamps, int cell, int value);
    void PutSetupByte(int canonical, int value);

    QString model;
    int major;
    int minor;
    SetupLayout layout;
    QByteArray eeprom;
    QByteArray liveSetup;
    quint64 eepromRevision = 0;
    Values values{};
    Flags forced;
    std::array<QByteArray, 10> inputNames;
    QMap<int, int> liveClamps;   // index → largest value a write stores
    QMap<int, int> eepromClamps; // address → largest value a write stores
    QSet<int> lostWrites;        // addresses whose writes are echoed, not kept
    int rdsFrequency = 0;        // station of the last RDS period, 0 = none
    int rdsOffset = 0;
};
