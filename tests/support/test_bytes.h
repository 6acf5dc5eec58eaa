#pragma once

#include <QByteArray>

#include <initializer_list>

// A payload or a run of line bytes written as numbers: Bytes({20, 21, 1}).
inline QByteArray Bytes(std::initializer_list<int> values)
{
    QByteArray out;
    out.reserve(static_cast<qsizetype>(values.size()));
    for (int v : values)
        out.append(static_cast<char>(v));
    return out;
}
