#pragma once

#include <QString>

namespace Text {

// The text without the white space at its end; names from the unit and
// the user's entries are compared and sent this way.
inline QString TrimmedRight(const QString& text)
{
    qsizetype end = text.size();
    while (end > 0 && text[end - 1].isSpace())
        --end;
    return text.left(end);
}

} // namespace Text
