#pragma once

#include "line_endpoint.h"

#include <QByteArray>
#include <QString>

class QSocketNotifier;

// The unit's end of a pseudo-terminal. The master end is ours; the slave path
// is what the program opens. A slave descriptor is kept open here in raw
// mode, so the program can close and reopen the path freely and finds raw
// mode already set. Lives on the thread that created it.
class PtyEndpoint : public LineEndpoint
{
    Q_OBJECT

public:
    explicit PtyEndpoint(QObject* parent = nullptr);
    ~PtyEndpoint() override;

    // Opens a new pseudo-terminal, closing a previous one.
    bool Open(QString* error) override;
    // Closes both ends: the slave path disappears.
    void Close() override;
    bool IsOpen() const override { return master >= 0; }
    QString Name() const override { return slavePath; }
    QString SlavePath() const { return slavePath; }

    // Puts bytes on the line, in order. Output that nobody reads does not
    // pile up: when more than a few frames wait unread at the slave, the
    // stale ones are discarded, as a line without a listener loses them.
    void Write(const QByteArray& bytes) override;

private:
    void OnReadable();
    void OnWritable();
    void Flush();

    int master = -1;
    int slave = -1;
    QString slavePath;
    QSocketNotifier* readNotifier = nullptr;
    QSocketNotifier* writeNotifier = nullptr;
    QByteArray pending;
};
