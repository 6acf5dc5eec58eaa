#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QIODevice>
#include <QString>
#include <QStringList>
#include <QStringView>

class QFile;

// File names as the system keeps them: bytes, which need not be UTF-8. A
// name travels through the program as a QString in which every byte that is
// not part of valid UTF-8 stands as a lone surrogate U+DC80..U+DCFF (no text
// holds one), so a name taken from the command line is opened, and shown in
// a message, byte for byte as it was given. A QString without such escapes
// (a name from a file dialog) stands for its UTF-8 bytes, as QFile takes it.
//
// The opens below never wait (a FIFO without a writer or reader, a device):
// the file is opened non-blocking, then set blocking once it is known. They
// report failures as the system's reason in `error` (may be null).
class LocalFile
{
public:
    // Bytes to text with the escapes, and back: Encode(Decode(b)) == b for
    // any bytes. Encode also turns whole lines that show names into the
    // bytes for a terminal.
    static QString Decode(QByteArrayView bytes);
    static QByteArray Encode(QStringView text);
    // The words of a command line after the program name, decoded.
    static QStringList Arguments(int argc, char** argv);

    // Opens `path` for reading into `file` (closed before); a FIFO, a device
    // or a folder is refused ("not a regular file").
    static bool OpenForReading(const QString& path, QFile& file, QString* error);
    // Creates or truncates `path` for writing into `file` (closed before).
    // Any kind of file is taken; a FIFO without a reader fails at once.
    // `mode` adds to WriteOnly (Unbuffered, for one).
    static bool OpenForWriting(const QString& path, QFile& file, QIODevice::OpenMode mode,
                               QString* error);
    // The whole regular file at `path`, opened once. One larger than
    // `maxBytes` is refused unread: "too large to be `what` (N bytes)".
    static bool ReadAll(const QString& path, qint64 maxBytes, const char* what, QByteArray* bytes,
                        QString* error);
};
