#pragma once

#include <QByteArray>
#include <QString>

// A pseudo-terminal for tests: the master end stays with the test, the slave
// path is what the program under test opens. The slave is also kept open here
// in raw mode, so the program may close and reopen it freely.
class PtyPair
{
public:
    PtyPair();
    ~PtyPair();
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    bool IsValid() const { return master >= 0; }
    const QString& SlavePath() const { return slavePath; }
    int MasterFd() const { return master; }

    // Writes all bytes to the master end.
    void Write(const QByteArray& bytes) const;
    // Reads what the program wrote, waiting up to timeoutMs for the first
    // byte and then for as long as more keeps coming.
    QByteArray Read(int timeoutMs) const;
    // Closes the master end: the slave path disappears.
    void CloseMaster();

private:
    int master = -1;
    int slave = -1;
    QString slavePath;
};
