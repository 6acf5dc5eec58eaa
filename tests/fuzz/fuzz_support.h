#pragma once

#include <QBuffer>
#include <QCoreApplication>

#include <cstddef>
#include <cstdint>

// A fuzzer's check: a broken one ends the run, and libFuzzer keeps the input.
inline void Require(bool condition)
{
    if (!condition)
        __builtin_trap();
}

inline QByteArray InputBytes(const std::uint8_t* data, std::size_t size)
{
    return QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
}

// Readers take a device, as they would a file.
struct InputDevice : QBuffer
{
    explicit InputDevice(const QByteArray& bytes)
    {
        setData(bytes);
        open(QIODevice::ReadOnly);
    }
};

// For LLVMFuzzerInitialize where the code under test starts timers.
inline void StartApplication(int* argc, char*** argv)
{
    static QCoreApplication app(*argc, *argv);
}
