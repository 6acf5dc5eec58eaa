#pragma once

#include "sim_options.h"

#include <QString>
#include <QStringList>

// The command line of veltrix-unit-sim: options into SimOptions, with every
// value checked before anything starts.
class SimCommandLine
{
public:
    enum class Outcome
    {
        Run,
        Help,
        Error
    };

    // arguments include the program name first. On Help, *text is the help;
    // on Error, a one-line message.
    static Outcome Parse(const QStringList& arguments, SimOptions* options, QString* text);
};
