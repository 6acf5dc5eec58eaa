#pragma once

#include "cli/cli_live_verb.h"
#include "model/unit_configuration.h"

#include <QString>
#include <QStringList>

// The command line of the veltrix program, parsed without touching any port
// or file, so every usage error is found before the line is opened:
//
//   veltrix [--port PORT] [--quiet] [--trace FILE] [--json] status | watch
//   veltrix [--port PORT] [--quiet] [--trace FILE] [--json] [--zone] VERB ... (see LiveVerb)
//   veltrix [--port PORT] [--quiet] [--trace FILE] save FILE
//   veltrix [--port PORT] [--quiet] [--trace FILE] load FILE [--yes] [--verify] [--dry-run]
//                                                             [--only PARTS]
//   veltrix [--port PORT] [--quiet] [--trace FILE] diff FILE [--only PARTS]
//   veltrix diff FILE1 FILE2 [--only PARTS]
//   veltrix [--port PORT] [--quiet] [--trace FILE] presets save FILE
//   veltrix [--port PORT] [--quiet] [--trace FILE] presets load FILE
//   veltrix --help | --version
//
// Options may stand anywhere on the line; "--port=X" equals "--port X".
struct CliRequest
{
    enum class Command
    {
        Help,
        Version,
        Status,
        Save,
        Load,
        PresetsSave,
        PresetsLoad,
        Diff, // FILE against the unit, or against file2 without a unit
        Live, // a live-control verb
        Watch,
    };

    Command command = Command::Help;
    QString file;      // save, load, diff, presets save, presets load
    QString file2;     // diff of two files
    QString port;      // empty: the GUI's saved "Port" option
    QString tracePath; // empty: no trace
    int retryMs = 0;   // --retry: a fixed wait for every reply; 0: the RetryPeriod setting
    bool quiet = false;
    bool yes = false; // load: no confirmation asked
    bool verify = false;
    bool dryRun = false;
    bool json = false; // status, watch and the verbs: JSON on stdout, errors included
    LiveVerb verb;     // Live
    // --only: the parts a load writes and a verify or diff compares.
    ConfigurationParts only;
};

class CliCommandLine
{
public:
    // False with a one-line reason in `error` when the line is not a valid
    // use; arguments exclude the program name.
    static bool Parse(const QStringList& arguments, CliRequest* request, QString* error);
    static QString Usage();
    // PARTS of --only: comma-separated "current", "names", "presets",
    // "preset:N" (1..5) and "tuner"; false with the reason for anything else.
    static bool ParseParts(const QString& text, ConfigurationParts* parts, QString* error);
};
