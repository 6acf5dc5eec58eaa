#pragma once

#include "model/tuner_preset.h"

#include <QList>
#include <QString>

#include <array>
#include <cstdint>

// The receiver's tuner presets as the program edits them: up to 30 FM and 10
// AM presets with the AM step size, and the conversions from and to the
// 350-byte tuner preset image (EEPROM addresses 32..381).
//
// Image layout: FM preset n (1..30) is an 11-byte slot at 11·(n - 1): a
// big-endian tuning word (f + 1070) / 5, 0xFFFF = empty; 8 name bytes (first
// byte 0 = no name, else the name padded with spaces, no terminator when it
// has 8 characters); the mute byte. AM preset n (1..10) is a 2-byte slot at
// 330 + 2·(n - 1): a big-endian tuning word (f + 450) / step, a high byte of
// 0xFF = empty.
//
// Every preset held has a frequency inside its band; the adds and replaces
// refuse others. Preset numbers are not checked here (a hand-edited file may
// carry anything); the encoder skips numbers outside the band's range and
// every repeat of a number already encoded.
class TunerPresetList
{
public:
    static constexpr int FmCapacity = 30;
    static constexpr int AmCapacity = 10;

    // Band limits, inclusive: FM in 10 kHz units (87.50..108.50 MHz), AM in kHz.
    static constexpr int FmLowest = 8750;
    static constexpr int FmHighest = 10850;
    static constexpr int AmLowest = 530;
    static constexpr int AmHighest = 1710;
    static constexpr int DefaultFmFrequency = FmLowest;

    // AM step sizes in kHz; a new list has the 10 kHz step.
    static constexpr int AmStep9 = 9;
    static constexpr int AmStep10 = 10;

    // The tuner preset image and where it lives in the unit's EEPROM.
    static constexpr int AmStepFlagAddress = 19; // nonzero: 10 kHz step, 0: 9 kHz
    static constexpr int ImageAddress = 32;      // EEPROM address of image byte 0
    static constexpr int ImageSize = 350;
    static constexpr int FmSlotSize = 11;
    static constexpr int AmSlotsStart = FmCapacity * FmSlotSize; // 330
    static constexpr int AmSlotSize = 2;
    static constexpr int NameLength = 8;
    using Image = std::array<std::uint8_t, ImageSize>;

    static bool IsFmFrequency(int frequency);
    static bool IsAmFrequency(int frequency);
    // The frequency put in place of an invalid one: 531 kHz with the 9 kHz
    // step, else 530 kHz.
    static int DefaultAmFrequency(int stepSize);
    // The channel a unit holds for a frequency: FM on its 50 kHz grid, AM on
    // the channels of its step (9 or 10 kHz), the nearest one each time; a
    // frequency inside the band stays inside it.
    static int NearestFmChannel(int frequency);
    static int NearestAmChannel(int frequency, int stepSize);
    // The step size that the AM step flag byte stands for.
    static int StepSizeFromFlag(int flag);
    // Index into the image of an EEPROM address, -1 outside 32..381.
    static int ImageIndexOf(int eepromAddress);

    // Display texts: "87.50 MHz", "1000 kHz", and a preset number as "5" or,
    // for 0 (no preset), "--".
    static QString FmFrequencyText(int frequency);
    static QString AmFrequencyText(int frequency);
    static QString PresetText(int number);

    // Appends a preset; refused (nothing changes) when the band is full or
    // the frequency is outside the band. The FM name is trimmed.
    bool AddFm(int number, int frequency, int mute, const QString& name);
    bool AddAm(int number, int frequency);
    // Replaces the preset at `index` (0..count - 1), with the same tests.
    bool ReplaceFm(int index, const FmPreset& preset);
    bool ReplaceAm(int index, const AmPreset& preset);
    // Removes the preset at `index`; later ones move up.
    bool RemoveFm(int index);
    bool RemoveAm(int index);
    // Empties both bands; the step size stays.
    void Clear();

    int FmCount() const { return static_cast<int>(fm.size()); }
    int AmCount() const { return static_cast<int>(am.size()); }
    const QList<FmPreset>& FmPresets() const { return fm; }
    const QList<AmPreset>& AmPresets() const { return am; }
    // Position of the first preset with that number, -1 when none.
    int FindFm(int number) const;
    int FindAm(int number) const;

    // Sorts both bands by preset number; equal numbers keep their order.
    void Sort();

    // Puts every preset on what the unit holds, so that the list shows what a
    // write and a read back give: each frequency on its nearest channel (AM
    // with the list's step), each FM name cut to the 8 characters the unit
    // keeps. Returns how many presets changed.
    int SnapToUnit();

    int AmStepSize() const { return amStepSize; }
    // Accepts 9 or 10 only; anything else is refused and the step kept.
    bool SetAmStepSize(int stepSize);

    // The presets held in an image read from a unit whose AM step is
    // `stepSize` (9 or 10; any other value counts as 10). Empty slots and
    // slots whose frequency is outside the band are left out. The list takes
    // that step size.
    static TunerPresetList Decode(const Image& image, int stepSize);
    // The image of this list for a unit whose AM step is `stepSize` (as for
    // Decode): every slot empty (0xFF) except those of the presets held. A
    // name of more than 8 characters is cut to its first 8; characters
    // outside Latin-1 become '?'.
    Image Encode(int stepSize) const;

private:
    QList<FmPreset> fm;
    QList<AmPreset> am;
    int amStepSize = AmStep10;
};
