// Byte helpers shared by the parts of the memory transfer engine.
#pragma once

#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>

#include <cstdint>

namespace TransferBytes {
// The protocol addresses 16 bits of EEPROM.
inline constexpr int AddressSpace = 0x10000;

inline std::uint8_t Low(int address)
{
    return static_cast<std::uint8_t>(address & 0xFF);
}

inline std::uint8_t High(int address)
{
    return static_cast<std::uint8_t>((address >> 8) & 0xFF);
}

inline std::uint8_t At(QByteArrayView bytes, qsizetype index)
{
    return static_cast<std::uint8_t>(bytes[index]);
}

inline QString NumberList(const QList<int>& numbers)
{
    QStringList texts;
    for (int n : numbers)
        texts << QString::number(n);
    return texts.join(QStringLiteral(", "));
}

} // namespace TransferBytes
