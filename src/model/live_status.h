#pragma once

#include "link/message_set.h"
#include "model/model_facts.h"

#include <QString>

#include <array>

// What the program knows of the receiver's present state, as last reported by
// the unit. The program never changes it when it sends a command: only the
// unit's reports do (and the connection procedure, which resets the power
// flags and the radio texts on each new connection).
struct LiveStatus
{
    bool connected = false;
    ModelFacts facts;         // model text, version text ("v2.05"), block size
    int modelIndex = 0;       // 1 (K220) or 2; 0 until the first connection
    bool extendedLayout = false; // false while not connected

    bool mainPower = false;
    bool zonePower = false;
    bool tunerLive = false;       // the tuner is heard in the main room or the zone
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

    int mainVolume = 0; // dB, signed; kept only while main power is on
    int zoneVolume = 0; // dB, signed; kept only while zone power is on
    int bass = 0;       // dB, signed
    int treble = 0;     // dB, signed

    QString radioText;
    QString psName;

    // Input names as last reported (variable 55); empty until reported.
    std::array<QString, InputCount> inputNames;

    // The next connection to a supported unit reads the block size.
    bool firstConnectionPending = true;
};
