#include "panel/unit_app.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

bool IsSet(const char* name)
{
    const char* value = std::getenv(name);
    return value && *value;
}

// Without a display Qt aborts with a core dump, so the program checks first.
// A platform chosen explicitly (QT_QPA_PLATFORM, -platform) is left to Qt.
bool DisplayFound(int argc, char** argv)
{
    if (IsSet("DISPLAY") || IsSet("WAYLAND_DISPLAY") || IsSet("QT_QPA_PLATFORM"))
        return true;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "--platform") == 0)
            return true;
    }
    return false;
}

// Takes "--trace FILE" out of the command line, so the rest (the log-on
// start's "/run" is the whole line) reads as before. Empty when absent.
QString TakeTracePath(int& argc, char** argv)
{
    QString path;
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--trace") == 0 && i + 1 < argc)
            path = QString::fromLocal8Bit(argv[++i]);
        else
            argv[kept++] = argv[i];
    }
    argc = kept;
    argv[argc] = nullptr;
    return path;
}

} // namespace

int main(int argc, char** argv)
{
    if (!DisplayFound(argc, argv)) {
        std::fputs(
            "veltrix-pc-interface: no display found (DISPLAY and WAYLAND_DISPLAY are unset); "
            "run it in a desktop session.\n",
            stderr);
        return 1;
    }
    const QString tracePath = TakeTracePath(argc, argv);
    UnitApp app(argc, argv);
    app.SetTracePath(tracePath);
    return app.Run();
}
