#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

class UnitSession;

// Renames one input and makes sure the unit took it: the unit answers a
// rename by reporting the input's name, and a rename whose report does not
// come (lost on the line) or names something else is sent again. The setup
// sheet's OK renames through this, so a rename lost on the line is sent
// again before the block is written.
//
// One rename at a time, on the session's thread.
class InputRenamer : public QObject
{
    Q_OBJECT

public:
    // Sends of one rename, the first included. A bad cable loses a frame
    // in three or four; ten sends make a lost rename as rare as a lost
    // EEPROM byte, and a unit that went silent ends the wait sooner, when
    // the session has shown the connection lost.
    static constexpr int Tries = 10;
    // How long the unit's report may take before the name is sent again, ms.
    static constexpr int ReportWait = 1000;

    explicit InputRenamer(UnitSession& session, QObject* parent = nullptr);

    void SetReportWait(int milliseconds) { reportWait = milliseconds; }

    // Sends `name` for input 0..9 and, once the unit has reported it (or
    // the tries are spent), waits `pause` ms and announces renamed. False,
    // with nothing sent, for a name SendInputName refuses.
    bool Rename(int index, const QString& name, int pause);
    bool IsBusy() const { return index >= 0; }

Q_SIGNALS:
    // confirmed is false when the unit never reported the name sent.
    void renamed(int index, bool confirmed);

private:
    void Send();
    void OnReported(int reportedIndex, const QString& reported);
    void OnTimeout();
    void Finish(bool confirmed);

    UnitSession& session;
    int reportWait = ReportWait;
    QTimer wait;
    int index = -1;
    QString name; // as the unit should report it
    int pause = 0;
    int sends = 0;
};
