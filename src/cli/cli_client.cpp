#include "cli/cli_client.h"

#include "cli/cli_remote.h"
#include "common/termination_signals.h"

#include <QEventLoop>
#include <QLocalSocket>

namespace {

constexpr int ConnectLimitMs = 2000;

bool Connect(QLocalSocket& socket)
{
    const QString path = CliRemote::SocketPath();
    if (path.isEmpty())
        return false;
    socket.connectToServer(path);
    return socket.waitForConnected(ConnectLimitMs);
}

} // namespace

CliClient::Outcome CliClient::Run(const CliRequest& request, const CliRunner::Streams& streams,
                                  int* exitCode)
{
    QLocalSocket socket;
    if (!Connect(socket))
        return Outcome::NoProgram;
    socket.write(CliRemote::Frame(CliRemote::Kind::Run,
                                  CliRemote::EncodeRequest(request, streams.errIsTerminal)));

    Outcome outcome = Outcome::Done;
    *exitCode = CliRunner::ExitFailed;
    bool ended = false;
    QEventLoop loop;
    QByteArray buffer;
    const auto write = [](std::FILE* file, const QByteArray& bytes) {
        return std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), file) ==
                   static_cast<std::size_t>(bytes.size()) &&
               std::fflush(file) == 0;
    };
    bool outFailed = false;
    QObject::connect(&socket, &QLocalSocket::readyRead, &loop, [&] {
        buffer += socket.readAll();
        CliRemote::Kind kind{};
        QByteArray body;
        bool bad = false;
        while (!ended && CliRemote::TakeFrame(buffer, &kind, &body, &bad)) {
            switch (kind) {
            case CliRemote::Kind::Out:
                if (!write(streams.out, body) && !outFailed) {
                    outFailed = true;
                    // The reader has gone: the command stops as Ctrl-C would.
                    socket.write(CliRemote::Frame(CliRemote::Kind::Interrupt));
                }
                break;
            case CliRemote::Kind::Err:
                write(streams.err, body);
                break;
            case CliRemote::Kind::Exit:
                *exitCode = body.toInt();
                ended = true;
                break;
            case CliRemote::Kind::NotMine:
                outcome = Outcome::NotMine;
                ended = true;
                break;
            default:
                bad = true;
                break;
            }
        }
        if (bad || ended)
            loop.quit();
    });
    QObject::connect(&socket, &QLocalSocket::disconnected, &loop, &QEventLoop::quit);
    TerminationSignals termination;
    QObject::connect(&termination, &TerminationSignals::terminationRequested, &loop,
                     [&socket] { socket.write(CliRemote::Frame(CliRemote::Kind::Interrupt)); });
    if (socket.state() == QLocalSocket::ConnectedState)
        loop.exec();
    if (!ended) {
        std::fputs("veltrix: the desktop program ended the command without a result\n",
                   streams.err);
        *exitCode = CliRunner::ExitFailed;
    }
    if (outFailed) // the output is lost, whatever the command's own end
        *exitCode = CliRunner::ExitFailed;
    return outcome;
}

bool CliClient::Raise()
{
    QLocalSocket socket;
    if (!Connect(socket))
        return false;
    socket.write(CliRemote::Frame(CliRemote::Kind::Raise));
    // The program answers once the window is up; a program that does not
    // still holds the socket, so this start ends all the same.
    socket.waitForReadyRead(ConnectLimitMs);
    return true;
}
