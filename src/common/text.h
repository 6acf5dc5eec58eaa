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

// A message of several lines on one: the line breaks become spaces and runs
// of white space one space.
inline QString OneLine(const QString& text)
{
    return text.simplified();
}

} // namespace Text
