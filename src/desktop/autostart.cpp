#include "desktop/autostart.h"

bool Autostart::IsAutostart(const QStringList& arguments)
{
    return arguments.size() == 2 && arguments.at(1) == QLatin1String(Switch);
}
