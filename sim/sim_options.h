#pragma once

#include <QList>
#include <QMap>
#include <QString>
#include <QtGlobal>

// How a simulated receiver is run: the unit it pretends to be, where its line
// appears, and what the line does to the frames in each direction. Filled
// from the command line of veltrix-unit-sim, or directly by tests.
struct SimOptions
{
    QString model = QStringLiteral("K230");     // identification text; any text is allowed
    QString firmware = QStringLiteral("v2.05"); // "vX.YY", major 0..127
    QString eepromFile;     // 2048-byte image: loaded at start if present, saved after writes
    QString linkPath;       // symlink to the slave path; removed at exit
    int dropPercent = 0;    // 0..100: a frame the unit sends is lost
    int corruptPercent = 0; // 0..100: a frame the unit sends gets a bad checksum
    bool noise = false;     // stray bytes (never 0x01, 0x02 or 0x5E) between frames
    // The same three for the frames the program sends: a lost request never
    // reaches the unit; a spoilt one reaches the unit's frame receiver with a
    // bad checksum and is refused there; noise comes before a request.
    int requestDropPercent = 0;
    int requestCorruptPercent = 0;
    bool requestNoise = false;
    int replyDelayMs = 0;   // time between a request's arrival and its reply
    int silentAfter = -1;   // answer only the first N requests accepted; -1 = always
    int lineRate = 9600;    // baud, 10 bits per byte both ways; 0 = unpaced
    bool trace = false;     // every frame both ways to stderr
    quint32 seed = 1;       // fault injection and noise are reproducible, each direction
                            // drawing from its own generator
    int rdsPeriodMs = 1000; // RDS while FM is heard; 0 = no RDS
    // Cells that hold at most a value: index or address → largest value kept.
    // A write request of a larger value stores the largest and echoes it.
    QMap<int, int> liveClamps;   // live setup index (inside the block) → 0..255
    QMap<int, int> eepromClamps; // EEPROM address 0..2047 → 0..255
    // Worn cells: a write is echoed as taken, but the cell keeps its value.
    QList<int> lostEepromWrites; // EEPROM addresses 0..2047
    // The line runs inside the process (InProcessLine, a "sim:" name) instead
    // of on a pseudo-terminal; linkPath is then not used.
    bool inProcess = false;
};
