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
    UnitApp app(argc, argv);
    return app.Run();
}
