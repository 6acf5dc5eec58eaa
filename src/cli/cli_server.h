#pragma once

#include <QObject>
#include <QString>

class QLocalServer;
class QLocalSocket;
class UnitSession;

// Serves command lines beside the running desktop program: a veltrix that
// finds the program's socket (CliRemote) sends its request here and the
// command runs through the program's own session, so it neither fights the
// program for the port nor waits for a handshake; the program's windows show
// any transfer as they show their own. Its output goes back to the client;
// Ctrl-C in the client (or the client going away) interrupts it.
//
// A request for a port the program does not use is handed back (the client
// then runs it itself). A second start of the program asks for the window
// instead (raiseRequested).
class CliServer : public QObject
{
    Q_OBJECT

public:
    explicit CliServer(UnitSession& session, QObject* parent = nullptr);
    ~CliServer() override;

    // Listens on the socket; false with the reason when the folder is not
    // private or the socket cannot be had (another program serving it).
    bool Listen(QString* error);

Q_SIGNALS:
    void raiseRequested();

private:
    void OnConnection();
    bool SamePort(const QString& port) const;

    UnitSession& session;
    QLocalServer* server = nullptr;
};
