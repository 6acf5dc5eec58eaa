#pragma once

#include <QString>
#include <QtGlobal>

// How a simulated receiver is run: the unit it pretends to be, where its line
// appears, and what the line does to the frames the unit sends. Filled from
// the command line of veltrix-unit-sim, or directly by tests.
struct SimOptions
{
    QString model = QStringLiteral("K230");     // identification text; any text is allowed
    QString firmware = QStringLiteral("v2.05"); // "vX.YY", major 0..127
    QString eepromFile;     // 2048-byte image: loaded at start if present, saved after writes
    QString linkPath;       // symlink to the slave path; removed at exit
    int dropPercent = 0;    // 0..100: a frame the unit sends is lost
    int corruptPercent = 0; // 0..100: a frame the unit sends gets a bad checksum
    bool noise = false;     // stray bytes (never 0x01 or 0x02) between frames
    int replyDelayMs = 0;   // time between a request's arrival and its reply
    int silentAfter = -1;   // answer only the first N frames received; -1 = always
    int lineRate = 9600;    // baud, 10 bits per byte both ways; 0 = unpaced
    bool trace = false;     // every frame both ways to stderr
    quint32 seed = 1;       // fault injection and noise are reproducible
    int rdsPeriodMs = 1000; // RDS while FM is heard; 0 = no RDS
};
