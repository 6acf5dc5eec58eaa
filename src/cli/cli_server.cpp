#include "cli/cli_server.h"

#include "cli/cli_remote.h"
#include "cli/cli_runner.h"
#include "link/serial_port.h"
#include "unit/unit_session.h"

#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>

#include <cstdio>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// A client's own user only: the folder is private, and this holds even if
// it were not.
bool SameUser(const QLocalSocket& socket)
{
    struct ucred peer = {};
    socklen_t size = sizeof peer;
    return ::getsockopt(static_cast<int>(socket.socketDescriptor()), SOL_SOCKET, SO_PEERCRED, &peer,
                        &size) == 0 &&
           peer.uid == ::geteuid();
}

// A stream the runner prints to whose bytes go to the client as frames of
// one kind.
struct StreamCookie
{
    QPointer<QLocalSocket> socket;
    CliRemote::Kind kind;
};

ssize_t WriteFrame(void* cookie, const char* data, size_t size)
{
    auto* stream = static_cast<StreamCookie*>(cookie);
    if (!stream->socket || stream->socket->state() != QLocalSocket::ConnectedState)
        return -1;
    stream->socket->write(
        CliRemote::Frame(stream->kind, QByteArray(data, static_cast<qsizetype>(size))));
    return static_cast<ssize_t>(size);
}

int CloseStream(void* cookie)
{
    delete static_cast<StreamCookie*>(cookie);
    return 0;
}

std::FILE* OpenStream(QLocalSocket* socket, CliRemote::Kind kind)
{
    cookie_io_functions_t functions = {};
    functions.write = WriteFrame;
    functions.close = CloseStream;
    std::FILE* file = ::fopencookie(new StreamCookie{socket, kind}, "w", functions);
    if (file)
        std::setvbuf(file, nullptr, _IOLBF, 0);
    return file;
}

// One client's connection: its request, the runner and the streams.
class Connection : public QObject
{
public:
    Connection(QLocalSocket* client, CliServer& owner, UnitSession& programSession,
               std::function<bool(const QString&)> portCheck)
        : QObject(&owner), socket(client), server(owner), session(programSession),
          samePort(std::move(portCheck))
    {
        socket->setParent(this);
        connect(socket, &QLocalSocket::readyRead, this, &Connection::OnReadable);
        connect(socket, &QLocalSocket::disconnected, this, &Connection::OnGone);
    }

    ~Connection() override
    {
        runner.reset();
        for (std::FILE* file : {out, err}) {
            if (file)
                std::fclose(file);
        }
    }

private:
    void OnReadable()
    {
        buffer += socket->readAll();
        CliRemote::Kind kind{};
        QByteArray body;
        bool bad = false;
        while (CliRemote::TakeFrame(buffer, &kind, &body, &bad))
            Handle(kind, body);
        if (bad)
            socket->abort();
    }

    void Handle(CliRemote::Kind kind, const QByteArray& body)
    {
        switch (kind) {
        case CliRemote::Kind::Raise:
            Q_EMIT server.raiseRequested();
            End(0);
            return;
        case CliRemote::Kind::Interrupt:
            if (runner)
                runner->Interrupt();
            return;
        case CliRemote::Kind::Run:
            Run(body);
            return;
        default:
            socket->abort();
            return;
        }
    }

    void Run(const QByteArray& body)
    {
        CliRequest request;
        bool errIsTerminal = false;
        if (runner || !CliRemote::DecodeRequest(body, &request, &errIsTerminal)) {
            socket->abort();
            return;
        }
        if (!request.port.isEmpty() && !samePort(request.port)) {
            socket->write(CliRemote::Frame(CliRemote::Kind::NotMine));
            socket->disconnectFromServer();
            return;
        }
        out = OpenStream(socket, CliRemote::Kind::Out);
        err = OpenStream(socket, CliRemote::Kind::Err);
        if (!out || !err) {
            socket->abort();
            return;
        }
        runner = std::make_unique<CliRunner>(request, &session);
        runner->SetStreams({out, err, errIsTerminal});
        connect(runner.get(), &CliRunner::finished, this, [this](int code) {
            std::fflush(out);
            std::fflush(err);
            End(code);
        });
        runner->Start();
    }

    void End(int code)
    {
        socket->write(CliRemote::Frame(CliRemote::Kind::Exit, QByteArray::number(code)));
        socket->disconnectFromServer();
    }

    // The client went away (Ctrl-C with no chance to say so, a closed
    // terminal): its command is interrupted as Ctrl-C would.
    void OnGone()
    {
        if (runner && runner->ExitCode() < 0)
            runner->Interrupt();
        deleteLater();
    }

    QLocalSocket* socket;
    CliServer& server;
    UnitSession& session;
    std::function<bool(const QString&)> samePort;
    QByteArray buffer;
    std::FILE* out = nullptr;
    std::FILE* err = nullptr;
    std::unique_ptr<CliRunner> runner;
};

} // namespace

CliServer::CliServer(UnitSession& unitSession, QObject* parent)
    : QObject(parent), session(unitSession)
{}

CliServer::~CliServer() = default;

bool CliServer::Listen(QString* error)
{
    if (!CliRemote::PrepareFolder(error))
        return false;
    const QString path = CliRemote::SocketPath();
    server = new QLocalServer(this);
    server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server->listen(path)) {
        // A socket left by a program that ended without removing it is taken
        // over; one that answers belongs to a running program.
        QLocalSocket probe;
        probe.connectToServer(path);
        if (probe.waitForConnected(1000)) {
            *error = QStringLiteral("another program serves %1").arg(path);
            return false;
        }
        QLocalServer::removeServer(path);
        if (!server->listen(path)) {
            *error = server->errorString();
            return false;
        }
    }
    connect(server, &QLocalServer::newConnection, this, &CliServer::OnConnection);
    return true;
}

void CliServer::OnConnection()
{
    while (QLocalSocket* client = server->nextPendingConnection()) {
        if (!SameUser(*client)) {
            client->abort();
            client->deleteLater();
            continue;
        }
        new Connection(client, *this, session,
                       [this](const QString& port) { return SamePort(port); });
    }
}

// Whether `port` (as typed on the command line) is the device the program's
// session uses: its port setting or the line it has open.
bool CliServer::SamePort(const QString& port) const
{
    const auto device = [](const QString& name) {
        const QString path = SerialPort::DevicePath(name);
        const QString canonical = QFileInfo(path).canonicalFilePath();
        return canonical.isEmpty() ? path : canonical;
    };
    const QString wanted = device(port);
    const QString open = session.Link().PortName();
    return wanted == device(session.PortSetting()) || (!open.isEmpty() && wanted == device(open));
}
