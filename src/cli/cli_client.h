#pragma once

#include "cli/cli_command_line.h"
#include "cli/cli_runner.h"

// The command line's side of CliServer: runs a request through a desktop
// program that serves the socket, copying its output to the streams, and
// passes Ctrl-C, SIGTERM and a hang-up on as an interrupt.
class CliClient
{
public:
    enum class Outcome
    {
        NoProgram, // nothing serves the socket: run the command here
        NotMine,   // the program does not use the requested port: likewise
        Done,      // the program ran it; the exit code is set
    };

    // Blocks in an event loop of its own until the command has ended.
    static Outcome Run(const CliRequest& request, const CliRunner::Streams& streams, int* exitCode);
    // Asks a running program to show its window; false when none answered.
    static bool Raise();
};
