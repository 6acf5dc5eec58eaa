#pragma once

#include <QString>

class QSaveFile;

namespace SafeSave {

// Puts a QSaveFile's text in place of the target, or leaves the target as it
// was. QSaveFile buffers what is written and renames the temporary in
// commit() even when the buffered text never reached the disk (a full disk,
// a file size limit), so a good file would become an empty or cut one: the
// buffer is flushed and every write checked first, and the commit's own
// result is checked after. On failure the temporary is removed and `error`
// (may be null) says why, in the system's words.
bool Commit(QSaveFile& file, QString* error);

} // namespace SafeSave
