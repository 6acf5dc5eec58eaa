#pragma once

#include <QByteArray>
#include <QByteArrayView>

// The tuner preset table in the unit's EEPROM: 30 FM slots of 11 bytes from
// address 32 (big-endian word (f + 1070) / 5, 0xFFFF empty; 8-byte name, first
// byte 0 for none, else padded with spaces; mute byte), then 10 AM slots of
// 2 bytes (big-endian word (f + 450) / step, high byte 0xFF empty), and the AM
// step flag at address 19 (nonzero 10 kHz, zero 9 kHz).
//
// Every function takes the whole EEPROM image and checks its size and the
// preset number: a short image or a number out of range reads as empty and is
// never written.
class TunerTable
{
public:
    static constexpr int AmStepAddress = 19;
    static constexpr int FmBase = 32;
    static constexpr int FmSlotSize = 11;
    static constexpr int FmCount = 30;
    static constexpr int AmBase = FmBase + FmSlotSize * FmCount; // 362
    static constexpr int AmSlotSize = 2;
    static constexpr int AmCount = 10;
    static constexpr int End = AmBase + AmSlotSize * AmCount; // 382, one past the table
    static constexpr int FmNameSize = 8;

    // FM in 10 kHz units, AM in kHz.
    static bool FmInBand(int frequency) { return frequency >= 8750 && frequency <= 10850; }
    static bool AmInBand(int frequency) { return frequency >= 530 && frequency <= 1710; }

    // 10 or 9 kHz.
    static int AmStep(const QByteArray& eeprom);

    // Frequency of preset n, or 0 when the slot is empty or out of band.
    static int FmFrequency(const QByteArray& eeprom, int n);
    static int AmFrequency(const QByteArray& eeprom, int n);
    static bool FmMute(const QByteArray& eeprom, int n);

    // Lowest preset number tuned to the frequency, 0 when none.
    static int FindFm(const QByteArray& eeprom, int frequency);
    static int FindAm(const QByteArray& eeprom, int frequency);

    // Next occupied preset above (or below) n, wrapping; 0 when the band has none.
    static int NextFm(const QByteArray& eeprom, int n, bool up);
    static int NextAm(const QByteArray& eeprom, int n, bool up);

    static void PutFm(QByteArray& eeprom, int n, int frequency, QByteArrayView name, bool mute);
    // Encodes with the step size flagged in the image.
    static void PutAm(QByteArray& eeprom, int n, int frequency);
    static void ClearAll(QByteArray& eeprom);
};
