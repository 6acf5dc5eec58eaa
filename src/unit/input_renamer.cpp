#include "unit/input_renamer.h"

#include "common/text.h"
#include "link/message_set.h"
#include "unit/unit_session.h"

InputRenamer::InputRenamer(UnitSession& unitSession, QObject* parent)
    : QObject(parent), session(unitSession)
{
    wait.setSingleShot(true);
    connect(&wait, &QTimer::timeout, this, &InputRenamer::OnTimeout);
    connect(&session.Live(), &LiveStatus::inputNameReported, this, &InputRenamer::OnReported);
}

bool InputRenamer::Rename(int input, const QString& newName, int pauseAfter)
{
    const QString trimmed = Text::TrimmedRight(newName);
    if (IsBusy() || input < 0 || input >= InputCount || trimmed.isEmpty())
        return false;
    index = input;
    name = Text::TrimmedRight(trimmed.left(InputNameLength));
    pause = pauseAfter;
    sends = 0;
    if (!session.Commands().SendInputName(index, trimmed)) {
        index = -1;
        return false;
    }
    ++sends;
    wait.start(reportWait);
    return true;
}

void InputRenamer::Send()
{
    ++sends;
    session.Commands().SendInputName(index, name);
    wait.start(reportWait);
}

void InputRenamer::OnReported(int reportedIndex, const QString& reported)
{
    if (reportedIndex != index || !wait.isActive())
        return;
    if (Text::TrimmedRight(reported).compare(name, Qt::CaseInsensitive) == 0) {
        Finish(true);
        return;
    }
    // A report of the old name (or another) may still be on its way; only
    // the wait's end sends again.
}

void InputRenamer::OnTimeout()
{
    if (!IsBusy())
        return;
    // One quiet period only makes the session probe, and a lossy line has
    // those; a unit the session has given up on (it probes for a new one)
    // ends the wait.
    if (sends < Tries && !session.IsProbing())
        Send();
    else
        Finish(false);
}

void InputRenamer::Finish(bool confirmed)
{
    wait.stop();
    const int renamedIndex = index;
    // The pause keeps the unit from being flooded by what follows.
    QTimer::singleShot(pause, this, [this, renamedIndex, confirmed] {
        index = -1;
        Q_EMIT renamed(renamedIndex, confirmed);
    });
}
