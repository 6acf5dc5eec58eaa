#include "eeprom_file.h"

#include <QFile>
#include <QSaveFile>

EepromFile::Result EepromFile::Load(const QString& path, QByteArray* image, QString* error)
{
    QFile file(path);
    if (!file.exists())
        return Result::Missing;
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return Result::Invalid;
    }
    const Result result = Read(file, image, error);
    if (result == Result::Invalid && error)
        *error = QStringLiteral("%1: %2").arg(path, *error);
    return result;
}

EepromFile::Result EepromFile::Read(QIODevice& device, QByteArray* image, QString* error)
{
    // One byte more than an image tells a long file from a good one.
    const QByteArray bytes = device.read(ImageSize + 1);
    if (bytes.size() != ImageSize) {
        if (error) {
            *error = bytes.size() > ImageSize
                         ? QStringLiteral("more than %1 bytes; an EEPROM image is exactly %1 bytes")
                               .arg(ImageSize)
                         : QStringLiteral("%1 bytes; an EEPROM image is exactly %2 bytes")
                               .arg(bytes.size())
                               .arg(ImageSize);
        }
        return Result::Invalid;
    }
    *image = bytes;
    return Result::Loaded;
}

bool EepromFile::Save(const QString& path, const QByteArray& image, QString* error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(image) != image.size() || !file.commit()) {
        if (error)
            *error = QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}
