#pragma once

#include "link/line_transport.h"

#include <QString>

#include <sys/types.h>

// One lock per serial device, whichever path reaches it. The port's own
// lock file is named after the path as typed, and root passes the kernel's
// exclusive open, so without this two programs could write to one unit
// through a symlink and the device node.
//
// Contract:
// - Take() opens the device once more (never as a controlling terminal,
//   never waiting for a carrier) and puts an exclusive flock on it. The lock
//   belongs to the device node's inode: every path and symlink to the node
//   meets it, root's opens too, and so do terminal programs that flock a
//   serial device the same way.
// - For a character device it also flocks LockDir/veltrix-char-MAJOR-MINOR,
//   which a second node with the same device number meets. Best effort: when
//   that file cannot be opened or created the device's own lock stands alone.
//   Anyone who may create files in LockDir can hold that file, as with the
//   port's own lock file; the holder is named then.
// - Both are the kernel's locks: they go when the holder closes them or ends,
//   however it ends, so nothing stale ever blocks. The lock file stays behind,
//   empty, for the next opening.
// - Never blocks; single-threaded use, by the thread that owns the port.
class DeviceLock
{
public:
    enum class Outcome
    {
        Taken,
        Busy,     // held elsewhere; Holder() says by whom when it can
        Unopened, // the device cannot be opened: the port's own open says why
    };

    static constexpr const char* LockDir = "/run/lock";

    DeviceLock() = default;
    ~DeviceLock() { Release(); }
    DeviceLock(const DeviceLock&) = delete;
    DeviceLock& operator=(const DeviceLock&) = delete;

    // Releases a lock held before.
    Outcome Take(const QString& path);
    // Safe when nothing is held.
    void Release();
    const LineTransport::Holder& Holder() const { return holder; }

    // The process holding a lock on the file (fileSystem, inode) as
    // /proc/locks shows it; an empty holder when none shows.
    static LineTransport::Holder FindHolder(dev_t fileSystem, ino_t inode);

private:
    Outcome Refuse(int lockedFd);

    int deviceFd = -1;
    int numberFd = -1;
    LineTransport::Holder holder;
};
