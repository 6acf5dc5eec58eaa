#pragma once

#include "cli/cli_command_line.h"

#include <QByteArray>
#include <QString>

// The local socket on which a running desktop program serves command lines
// (CliServer) and raises its window for a second start (single instance).
//
// The socket lives in a folder of its own in $XDG_RUNTIME_DIR, mode 0700 and
// owned by the user; the server also checks each peer's user id. Messages
// are frames: a 4-byte big-endian length, then a kind byte and a body.
namespace CliRemote {

enum class Kind : char
{
    Run = 'R',       // client: a CliRequest (EncodeRequest)
    Interrupt = 'I', // client: Ctrl-C or a hang-up
    Raise = 'A',     // client: show the program's window
    Out = 'O',       // server: bytes for the client's standard output
    Err = 'E',       // server: bytes for its standard error
    Exit = 'X',      // server: the command's exit code, as text; the last frame
    NotMine = 'N',   // server: the request names a port the program does not use
};

// Bigger frames are refused: a request and its output lines are small.
inline constexpr int MaxFrame = 1 << 20;

// The socket's path; empty when no private runtime folder can be made.
QString SocketPath();
// Creates the socket's folder (mode 0700) or checks an existing one is the
// user's own and private; false with the reason otherwise.
bool PrepareFolder(QString* error);

QByteArray Frame(Kind kind, const QByteArray& body = QByteArray());
// Takes the first whole frame off `buffer`. False while none is complete;
// false with `bad` set for a frame that cannot be one.
bool TakeFrame(QByteArray& buffer, Kind* kind, QByteArray* body, bool* bad);

// The request with its file names made absolute against the client's
// folder, and whether its standard error is a terminal.
QByteArray EncodeRequest(const CliRequest& request, bool errIsTerminal);
bool DecodeRequest(const QByteArray& body, CliRequest* request, bool* errIsTerminal);

} // namespace CliRemote
