#pragma once

#include <QStringList>

// How the program tells a start by the log-on entry from a start by the user.
namespace Autostart {

// The one switch the log-on entry passes.
inline constexpr const char* Switch = "/run";

// Exactly one argument after the program's name, and it is the switch.
bool IsAutostart(const QStringList& arguments);

} // namespace Autostart
