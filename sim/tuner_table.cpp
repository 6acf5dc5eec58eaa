#include "tuner_table.h"

#include <functional>

namespace {

constexpr int FmWordOffset = 1070; // 10.7 MHz in 10 kHz units
constexpr int FmWordUnit = 5;      // 50 kHz
constexpr int AmWordOffset = 450;
constexpr std::uint8_t EmptyByte = 0xFF;

bool Holds(const QByteArray& eeprom, int address, int count)
{
    return address >= 0 && address + count <= eeprom.size();
}

int Byte(const QByteArray& eeprom, int address)
{
    return static_cast<std::uint8_t>(eeprom.at(address));
}

int FmSlot(int n)
{
    return TunerTable::FmBase + TunerTable::FmSlotSize * (n - 1);
}

int AmSlot(int n)
{
    return TunerTable::AmBase + TunerTable::AmSlotSize * (n - 1);
}

void PutWord(QByteArray& eeprom, int address, int word)
{
    eeprom[address] = static_cast<char>((word >> 8) & 0xFF);
    eeprom[address + 1] = static_cast<char>(word & 0xFF);
}

int Find(int count, int frequency, const std::function<int(int)>& frequencyOf)
{
    for (int n = 1; n <= count; ++n) {
        if (frequencyOf(n) == frequency)
            return n;
    }
    return 0;
}

int Next(int count, int n, bool up, const std::function<int(int)>& frequencyOf)
{
    int candidate = n < 1 || n > count ? (up ? 0 : count + 1) : n;
    for (int tried = 0; tried < count; ++tried) {
        candidate = up ? candidate % count + 1 : (candidate + count - 2) % count + 1;
        if (frequencyOf(candidate) != 0)
            return candidate;
    }
    return 0;
}

} // namespace

int TunerTable::AmStep(const QByteArray& eeprom)
{
    return Holds(eeprom, AmStepAddress, 1) && Byte(eeprom, AmStepAddress) == 0 ? 9 : 10;
}

int TunerTable::FmFrequency(const QByteArray& eeprom, int n)
{
    if (n < 1 || n > FmCount || !Holds(eeprom, FmSlot(n), FmSlotSize))
        return 0;
    const int word = Byte(eeprom, FmSlot(n)) << 8 | Byte(eeprom, FmSlot(n) + 1);
    if (word == 0xFFFF)
        return 0;
    const int frequency = word * FmWordUnit - FmWordOffset;
    return FmInBand(frequency) ? frequency : 0;
}

int TunerTable::AmFrequency(const QByteArray& eeprom, int n)
{
    if (n < 1 || n > AmCount || !Holds(eeprom, AmSlot(n), AmSlotSize))
        return 0;
    if (Byte(eeprom, AmSlot(n)) == EmptyByte)
        return 0;
    const int word = Byte(eeprom, AmSlot(n)) << 8 | Byte(eeprom, AmSlot(n) + 1);
    const int frequency = word * AmStep(eeprom) - AmWordOffset;
    return AmInBand(frequency) ? frequency : 0;
}

bool TunerTable::FmMute(const QByteArray& eeprom, int n)
{
    return FmFrequency(eeprom, n) != 0 && Byte(eeprom, FmSlot(n) + FmSlotSize - 1) != 0;
}

int TunerTable::FindFm(const QByteArray& eeprom, int frequency)
{
    return Find(FmCount, frequency, [&](int n) { return FmFrequency(eeprom, n); });
}

int TunerTable::FindAm(const QByteArray& eeprom, int frequency)
{
    return Find(AmCount, frequency, [&](int n) { return AmFrequency(eeprom, n); });
}

int TunerTable::NextFm(const QByteArray& eeprom, int n, bool up)
{
    return Next(FmCount, n, up, [&](int k) { return FmFrequency(eeprom, k); });
}

int TunerTable::NextAm(const QByteArray& eeprom, int n, bool up)
{
    return Next(AmCount, n, up, [&](int k) { return AmFrequency(eeprom, k); });
}

void TunerTable::PutFm(QByteArray& eeprom, int n, int frequency, QByteArrayView name, bool mute)
{
    if (n < 1 || n > FmCount || !Holds(eeprom, FmSlot(n), FmSlotSize))
        return;
    const int slot = FmSlot(n);
    PutWord(eeprom, slot, (frequency + FmWordOffset) / FmWordUnit);
    for (int i = 0; i < FmNameSize; ++i)
        eeprom[slot + 2 + i] = 0;
    if (!name.isEmpty() && name.size() <= FmNameSize) {
        for (int i = 0; i < FmNameSize; ++i)
            eeprom[slot + 2 + i] = i < name.size() ? name.at(i) : ' ';
    }
    eeprom[slot + FmSlotSize - 1] = mute ? 1 : 0;
}

void TunerTable::PutAm(QByteArray& eeprom, int n, int frequency)
{
    if (n < 1 || n > AmCount || !Holds(eeprom, AmSlot(n), AmSlotSize))
        return;
    PutWord(eeprom, AmSlot(n), (frequency + AmWordOffset) / AmStep(eeprom));
}

void TunerTable::ClearAll(QByteArray& eeprom)
{
    if (!Holds(eeprom, FmBase, End - FmBase))
        return;
    for (int address = FmBase; address < End; ++address)
        eeprom[address] = static_cast<char>(EmptyByte);
}
