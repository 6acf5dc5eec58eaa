#pragma once

#include "model/tuner_preset_list.h"

#include <QByteArray>
#include <QString>

class QIODevice;

// The text form of a TunerPresetList: the "<TunerPresets>" section, on its
// own a tuner preset file (extension "vxf"), and embedded one level deeper
// in a settings file. Lines end in CR LF on every platform (devices are
// opened in binary mode); the reader takes LF, CR LF and CR CR LF alike and
// ignores white space at either end of a line. Tags and keys compare
// without regard to case. Names are Latin-1 text, the unit's character set
// (a character outside it is written as '?').
//
// The functions take a device, never a path, except Save and Load, which
// are the whole-file operations of the Tuner Presets dialog and the command
// line.
namespace TunerPresetFile {

inline constexpr const char* OpenTag = "<TunerPresets>";
inline constexpr const char* CloseTag = "</TunerPresets>";

// The section at indent level `indent` (tabs before the tags, one more
// before each key line; a negative level counts as 0), as one text: the
// step size, then the AM and the FM presets in list order, FM frequencies
// in MHz with two decimals.
QByteArray SectionText(const TunerPresetList& list, int indent);
// Writes SectionText in one piece; false when the device takes less.
bool WriteSection(QIODevice& device, const TunerPresetList& list, int indent);

// The device starts with the open tag at its very first byte (no mark or
// blank before it). Reads at most 15 bytes from the start and returns to
// where it was; a sequential device is only peeked at its position.
bool IsTunerPresetFile(QIODevice& device);

// Reads lines from the device's position until the close tag or the end;
// lines before a line holding the open tag are skipped. The records read
// replace the list's FM and AM presets (a device without a section leaves
// none), and a step size of 9 or 10 replaces the list's (any other keeps
// it). An AM frequency outside its band becomes 531 kHz with the 9 kHz step
// in force at that line, else 530 kHz; an FM one becomes 87.50 MHz. Records
// beyond the capacities are ignored, names cut to 13 characters. A record
// ends with its "AM Frequency" or "FM Preset Name" line; one missing that
// line runs into the next, whose lines overwrite its fields. A field that no
// line of its record sets is 0 (a number the encoder skips, mute off), an
// FM frequency 87.50 MHz. Preset numbers are not checked. Lines longer than 1024 bytes keep their
// first 1024. Returns the number of lines read, the close tag's included; a device not open for
// reading reads nothing and leaves the list as it is.
// `closed` (may be null) tells whether the close tag was met.
int ReadSection(QIODevice& device, TunerPresetList& list, bool* closed = nullptr);

// A whole tuner preset file, its name as LocalFile takes it. Save writes a
// temporary file beside the target and renames it over the target, so a
// failed save never harms an existing file. Load reads the file once; it
// fails on what is not a regular file or is larger than MaxFileSize (a full
// file is a few KB), and refuses a file that does not start with the open tag
// (Outcome::NotTunerPresetFile) and one that ends before its close tag
// (Outcome::CutOff: the presets after the cut would be lost). Any failure leaves the list
// unchanged; on Outcome::Failed `error` (may be null) gets the system's reason.
enum class Outcome
{
    Done,
    NotTunerPresetFile,
    CutOff,
    Failed,
};
inline constexpr qint64 MaxFileSize = 256 * 1024;
Outcome Save(const QString& path, const TunerPresetList& list, QString* error);
Outcome Load(const QString& path, TunerPresetList& list, QString* error);

} // namespace TunerPresetFile
