#pragma once

#include <QByteArray>
#include <QString>

class QIODevice;

// The unit's EEPROM kept in a file between runs: the raw image, exactly
// 2048 bytes, nothing else.
class EepromFile
{
public:
    static constexpr int ImageSize = 2048;

    enum class Result
    {
        Loaded,
        Missing,
        Invalid
    };

    // Missing when the file does not exist; Invalid (with a message) when it
    // cannot be read or is not exactly ImageSize bytes.
    static Result Load(const QString& path, QByteArray* image, QString* error);
    static Result Read(QIODevice& device, QByteArray* image, QString* error);
    // Replaces the file as a whole, so a crash never leaves half an image.
    static bool Save(const QString& path, const QByteArray& image, QString* error);
};
