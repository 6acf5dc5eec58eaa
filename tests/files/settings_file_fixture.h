#pragma once

#include "files/settings_file_writer.h"
#include "model/live_status.h"
#include "model/settings_field.h"
#include "model/settings_image.h"

#include <QBuffer>
#include <QRandomGenerator>

// Units, blocks and files the settings-file tests share.

inline LiveValues Unit(const char* model = "K230", const char* version = "v2.05")
{
    LiveValues unit;
    unit.connected = true;
    unit.facts.modelText = QString::fromLatin1(model);
    unit.facts.versionText = QString::fromLatin1(version);
    unit.facts.blockSize = unit.facts.ImageOffset(SettingsField::FullLayoutEnd);
    unit.mainVolume = -30;
    unit.mainSource = 2;
    unit.zoneVolume = -40;
    return unit;
}

inline std::array<QString, 10> InputNames()
{
    return {QStringLiteral("DVD"),     QStringLiteral("SATELLITE"), QStringLiteral("VCR"),
            QStringLiteral("VIDEO 4"), QStringLiteral("VIDEO 5"),   QStringLiteral("VIDEO 6"),
            QStringLiteral("CD"),      QStringLiteral("DISC"),      QStringLiteral("EXTERNAL 7.1"),
            QStringLiteral("TUNER")};
}

// A block with a value of its own in every field the file carries, all
// inside their lists.
inline SettingsImage SampleImage(const ModelFacts& facts, bool metres = false,
                                 bool subwoofer = true)
{
    using namespace SettingsField;
    SettingsImage image;
    image.Reset(facts);
    for (int i = 0; i < SettingsImage::InputRecordCount; ++i)
        image.SetInput(i, {i % 7, i % 4, (i + 1) % 4, (i + 2) % 7, (i + 3) % 11, i % 9, i % 3});
    image.SetByte(TriggersAndRelay, 0x09); // auto trigger Zone, relay B
    image.SetByte(OnScreenDisplay, 0x02);
    image.SetByte(DynamicRange, 0x06); // 50 %, DTS on
    image.SetByte(PlIIDimension, 5);
    image.SetByte(PlIICenterWidth, 3);
    image.SetByte(PlIIPanorama, 1);
    image.SetByte(Neo6CenterGain, 4);
    image.SetByte(DecoderOptions, 0x05);
    image.SetByte(EnhancedStereo1, 0x09);
    image.SetByte(EnhancedStereo2, 0x06);
    const int sizes[] = {1, 2, 1, 0, 1};
    for (int n = 0; n < 5; ++n)
        image.SetByte(FrontSpeakers + n, sizes[n]);
    image.SetByte(Subwoofer, subwoofer ? 0x0B : 0x08); // on, Enhanced Bass, 80 Hz
    for (int n = 0; n < 8; ++n)
        image.SetByte(FrontLeftLevel + n, 3 * n);
    const int distances[] = {0, 9, 32, 39};
    for (int n = 0; n < 4; ++n)
        image.SetByte(FrontDistance + n, distances[n]);
    image.SetByte(DistanceUnit, metres ? 1 : 0);
    image.SetByte(Treble, 7);
    image.SetByte(Bass, 0);
    image.SetByte(ZoneVolumeControl, SettingsCode::ZoneVolumeFixed);
    const int modes[] = {0, 2, 3, 4, 6, 7, 8, 9, 12, 13};
    for (int i = 0; i < SettingsImage::InputRecordCount; ++i)
        image.SetSurround(i, {modes[i], i % 4, modes[9 - i], (i + 1) % 4});
    return image;
}

// A block of random bytes and table: codes inside and beyond their lists.
inline SettingsImage RandomImage(const ModelFacts& facts, quint32 seed)
{
    QRandomGenerator random(seed);
    SettingsImage image;
    image.Reset(facts);
    for (int i = 0; i < image.Size(); ++i)
        image.SetByteAt(i, static_cast<int>(random.bounded(256)));
    for (int i = 0; i < SettingsImage::SurroundTableSize; ++i)
        image.SetTableByte(i, static_cast<int>(random.bounded(256)));
    return image;
}

inline QByteArray Lf(QByteArray text)
{
    return text.replace("\r", "");
}
