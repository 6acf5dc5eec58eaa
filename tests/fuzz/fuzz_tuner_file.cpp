// Feeds arbitrary bytes to the tuner preset section reader, as a hand-edited
// or damaged preset or settings file would, and encodes what it read with
// both step sizes. Whatever the file holds must leave a list the encoder
// takes without indexing past the image. The same bytes as a whole file
// must load as the section reader read them, or be refused with the
// user's list left as it was; what was read saves and loads back the same.

#include "tuner/tuner_preset_file.h"

#include "fuzz_require.h"

#include <QBuffer>
#include <QDir>
#include <QFile>

#include <cstddef>
#include <cstdint>
#include <unistd.h>

namespace {

// A file of this process, in memory where the machine has a tmpfs.
const QString& ScratchPath()
{
    static const QString path =
        QStringLiteral("%1/veltrix-fuzz-tuner-%2.vxf")
            .arg(QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm")
                                                           : QDir::tempPath())
            .arg(getpid());
    return path;
}

void CheckWholeFile(const std::uint8_t* data, std::size_t size, const TunerPresetList& read)
{
    const QString& path = ScratchPath();
    QFile file(path);
    Require(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    file.close();

    TunerPresetList held; // what the user had before the load
    held.AddFm(1, 8750, 0, QStringLiteral("HELD"));
    const QByteArray before = TunerPresetFile::SectionText(held, 0);
    QString error;
    const TunerPresetFile::Outcome loaded = TunerPresetFile::Load(path, held, &error);
    if (loaded == TunerPresetFile::Outcome::Done)
        Require(TunerPresetFile::SectionText(held, 0) == TunerPresetFile::SectionText(read, 0));
    else
        Require((loaded == TunerPresetFile::Outcome::NotTunerPresetFile ||
                 loaded == TunerPresetFile::Outcome::CutOff) &&
                TunerPresetFile::SectionText(held, 0) == before);

    TunerPresetList back;
    Require(TunerPresetFile::Save(path, read, &error) == TunerPresetFile::Outcome::Done);
    Require(TunerPresetFile::Load(path, back, &error) == TunerPresetFile::Outcome::Done);
    Require(TunerPresetFile::SectionText(back, 0) == TunerPresetFile::SectionText(read, 0));
    QFile::remove(path);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    QBuffer buffer;
    buffer.setData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    buffer.open(QIODevice::ReadOnly);
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
    QBuffer again;
    again.setData(text);
    again.open(QIODevice::ReadOnly);
    TunerPresetList reread;
    TunerPresetFile::ReadSection(again, reread);
    Require(TunerPresetFile::SectionText(reread, 1) == text);
    CheckWholeFile(data, size, list);
    return 0;
}
