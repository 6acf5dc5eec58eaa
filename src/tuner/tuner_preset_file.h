#pragma once

#include "model/tuner_preset_list.h"

#include <QByteArray>
#include <QString>

class QIODevice;

// The text form of a TunerPresetList: the "<TunerPresets>" section, on its
// own a tuner preset file (extension "vxf"), and embedded one level deeper
// in a settings file. Lines end in CR LF on every platform; the reader takes
// LF, CR LF and CR CR LF alike.
//
// The functions take a device, never a path, except Save and Load, which
// are the whole-file operations of the Tuner Presets dialog and the command
// line.
namespace TunerPresetFile {

inline constexpr const char* OpenTag = "<TunerPresets>";
inline constexpr const char* CloseTag = "</TunerPresets>";

// The section at indent level `indent` (tabs before the tags; one more
// before each key line), as one text.
QByteArray SectionText(const TunerPresetList& list, int indent);
// Writes SectionText in one piece; false when the device refuses it.
bool WriteSection(QIODevice& device, const TunerPresetList& list, int indent);

// The device starts with the open tag at its very first byte. Reads at most
// 15 bytes and returns to where it was.
bool IsTunerPresetFile(QIODevice& device);

// Reads from the device's position until the close tag or the end: the
// section's records replace the list's FM and AM presets, and a step size
// of 9 or 10 replaces the list's (any other keeps it). Frequencies out of
// their band are replaced, records beyond the capacities ignored, names cut
// to 13 characters. Returns the number of lines read.
int ReadSection(QIODevice& device, TunerPresetList& list);

// A whole tuner preset file. Save writes beside the target and renames over
// it, so a failed save never harms an existing file. Load refuses a file
// that does not start with the open tag (Outcome::NotTunerPresetFile) and
// leaves the list unchanged on any failure; `error` then says why.
enum class Outcome
{
    Done,
    NotTunerPresetFile,
    Failed,
};
Outcome Save(const QString& path, const TunerPresetList& list, QString* error);
Outcome Load(const QString& path, TunerPresetList& list, QString* error);

} // namespace TunerPresetFile
