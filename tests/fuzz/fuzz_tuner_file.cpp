// Feeds arbitrary bytes to the tuner preset section reader, as a hand-edited
// or damaged preset or settings file would, and encodes what it read with
// both step sizes. Whatever the file holds must leave a list the encoder
// takes without indexing past the image, and what was read writes out and
// reads back the same. (Loading whole files, damaged ones too, is the
// preset file's test.)

#include "tuner/tuner_preset_file.h"

#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    InputDevice buffer(InputBytes(data, size));
    TunerPresetFile::IsTunerPresetFile(buffer);

    TunerPresetList list;
    TunerPresetFile::ReadSection(buffer, list);
    Require(list.FmCount() <= TunerPresetList::FmCapacity &&
            list.AmCount() <= TunerPresetList::AmCapacity);
    for (const FmPreset& preset : list.FmPresets())
        Require(TunerPresetList::IsFmFrequency(preset.frequency) && preset.name.size() <= 13);
    for (const AmPreset& preset : list.AmPresets())
        Require(TunerPresetList::IsAmFrequency(preset.frequency));
    list.Encode(TunerPresetList::AmStep9);
    list.Encode(TunerPresetList::AmStep10);
    // What was read writes out and reads back to the same section.
    const QByteArray text = TunerPresetFile::SectionText(list, 1);
    InputDevice again(text);
    TunerPresetList reread;
    TunerPresetFile::ReadSection(again, reread);
    Require(TunerPresetFile::SectionText(reread, 1) == text);
    return 0;
}
