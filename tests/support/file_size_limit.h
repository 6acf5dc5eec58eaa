#pragma once

#include <csignal>
#include <sys/resource.h>

// While it lives, files this process writes cannot grow beyond `bytes`: a
// write past the limit fails with EFBIG (SIGXFSZ is ignored), as a full disk
// makes it fail with ENOSPC. Both are put back on destruction.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &saved);
        rlimit limited = saved;
        limited.rlim_cur = bytes;
        active = setrlimit(RLIMIT_FSIZE, &limited) == 0;
        savedHandler = std::signal(SIGXFSZ, SIG_IGN);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, savedHandler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

    bool Active() const { return active; }

private:
    rlimit saved{};
    bool active = false;
    void (*savedHandler)(int) = nullptr;
};
