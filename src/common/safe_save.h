#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

// Writes a file in place of the target, or leaves the target as it was: the
// text goes into a temporary beside the target (its name plus a dot and six
// characters), is flushed, every write checked and synced to the disk, and
// only then is the temporary renamed over the target. A full disk or a file
// size limit thus never turns a good file into an empty or cut one. A
// symbolic link as the target is followed; an existing target keeps its
// permissions, a new one gets 0666 less the umask.
//
// The path is a name as LocalFile takes it (bytes that are not UTF-8 kept as
// escapes); the temporary and the rename use its bytes. Failures give the
// system's reason in `error` (may be null). Destroying an uncommitted save
// removes the temporary.
class SafeSave
{
public:
    explicit SafeSave(const QString& path);
    ~SafeSave();
    SafeSave(const SafeSave&) = delete;
    SafeSave& operator=(const SafeSave&) = delete;

    // Creates the temporary. A target that exists and is not a regular file
    // (a device, a FIFO, a folder), or that may not be written, is refused.
    bool Open(QString* error);
    // Where the text goes between Open and Commit; a refused write shows in
    // Commit.
    QIODevice& Device() { return file; }
    // Puts the text in place; on failure the temporary is removed.
    bool Commit(QString* error);
    // Drops the text: the temporary is removed, the target left as it was.
    void Cancel();

private:
    bool Fail(int code, QString* error);

    QByteArray target;    // the name's bytes; a link's target once opened
    QByteArray temporary; // empty unless a temporary exists
    QFile file;
};
