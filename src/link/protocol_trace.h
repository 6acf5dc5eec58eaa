#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>
#include <QObject>
#include <QString>

class UnitLink;

// A protocol trace for problem reports: every frame both ways, one line each,
//   "   12.345 -> Variable query MainPower | 14 15"
// with the seconds since the trace began (monotonic clock), the direction
// ("->" to the unit, "<-" from it), the decoded meaning and the payload in hex;
// and the notes of the transfers, "!!" in place of the direction.
//
// Each line goes to the file as it is made (the file is unbuffered), so the
// trace never holds more than one line in memory. A failing write (full disk,
// device gone) closes the file and stops the trace; the program goes on.
class ProtocolTrace : public QObject
{
    Q_OBJECT

public:
    explicit ProtocolTrace(UnitLink& link, QObject* parent = nullptr);

    // Creates or truncates the file (a name as LocalFile takes it); false
    // (with ErrorString) when it cannot.
    bool Open(const QString& path);
    bool IsActive() const { return file.isOpen(); }
    QString ErrorString() const { return openError.isEmpty() ? file.errorString() : openError; }

    // The meaning of one payload, for example "Eeprom read address 32" or
    // "Variable report MainVolume 0xf6"; never empty. Memory requests and
    // replies differ in layout, hence the direction.
    static QString Describe(const QByteArray& payload, bool fromUnit);

    // A line of its own, "!! resend: ...", for each request sent again for
    // want of a reply, with the wait that expired and the one now in force:
    // the line's quality in a problem report.
    void NoteResend(int waitedMs, int nextWaitMs);

Q_SIGNALS:
    // A write failed and the trace stopped; reason is the system's.
    void traceStopped(const QString& reason);

private:
    void WriteLine(bool fromUnit, const QByteArray& payload);
    void Write(const QString& text);

    QFile file;
    QString openError; // why the last Open failed
    QElapsedTimer clock;
};
