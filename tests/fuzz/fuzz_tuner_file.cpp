// Feeds arbitrary bytes to the tuner preset section reader, as a hand-edited
// or damaged preset or settings file would, and encodes what it read with
// both step sizes. Whatever the file holds must leave a list the encoder
// takes without indexing past the image.

#include "tuner/tuner_preset_file.h"

#include <QBuffer>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    QBuffer buffer;
    buffer.setData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    buffer.open(QIODevice::ReadOnly);
    TunerPresetFile::IsTunerPresetFile(buffer);

    TunerPresetList list;
    TunerPresetFile::ReadSection(buffer, list);
    if (list.FmCount() > TunerPresetList::FmCapacity ||
        list.AmCount() > TunerPresetList::AmCapacity)
        __builtin_trap();
    for (const FmPreset& preset : list.FmPresets())
        if (!TunerPresetList::IsFmFrequency(preset.frequency) || preset.name.size() > 13)
            __builtin_trap();
    for (const AmPreset& preset : list.AmPresets())
        if (!TunerPresetList::IsAmFrequency(preset.frequency))
            __builtin_trap();
    list.Encode(TunerPresetList::AmStep9);
    list.Encode(TunerPresetList::AmStep10);
    // What was read writes out and reads back to the same section.
    const QByteArray text = TunerPresetFile::SectionText(list, 1);
    QBuffer again;
    again.setData(text);
    again.open(QIODevice::ReadOnly);
    TunerPresetList reread;
    TunerPresetFile::ReadSection(again, reread);
    if (TunerPresetFile::SectionText(reread, 1) != text)
        __builtin_trap();
    return 0;
}
