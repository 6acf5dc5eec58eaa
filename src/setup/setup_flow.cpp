#include "setup/setup_flow.h"

#include "common/text.h"
#include "unit/unit_session.h"

#include <QTimer>

SetupFlow::SetupFlow(UnitSession& unitSession, QObject* parent)
    : QObject(parent), session(unitSession), renamer(unitSession)
{
    connect(&renamer, &InputRenamer::renamed, this, &SetupFlow::RenameNext);
}

bool SetupFlow::Open(int number)
{
    if (editing)
        return false;
    // Handled after the engine's own call has returned, as a command the
    // window posts to itself: the editor's modal loop never runs inside the
    // engine's reply handling.
    const TransferDone done = ResultTo(this, [this](const TransferResult& result) {
        if (result.kind == TransferResult::Kind::PresetEmpty)
            Q_EMIT presetEmpty(result.presetNumber);
        if (result.kind != TransferResult::Kind::DataRead)
            return;
        QTimer::singleShot(0, this, [this, number = result.presetNumber, read = result.image] {
            OnBlockRead(number, read);
        });
    });
    MemoryTransfer& transfer = session.Transfer();
    return number == 0 ? transfer.ReadCurrentSetup(done) : transfer.ReadPreset(number, done);
}

void SetupFlow::OnBlockRead(int number, const SettingsImage& read)
{
    presetNumber = number;
    image = read;
    flags = SetupFlags::For(session.Status().facts, number);
    // The names are what the Input page shows and compares: any still
    // unknown (lost on the line at connection) are asked for first.
    auto* once = new QObject(this);
    connect(&session, &UnitSession::inputNamesSettled, once, [this, once] {
        delete once;
        Edit();
    });
    session.FetchUnknownInputNames();
}

void SetupFlow::Edit()
{
    if (!session.Status().connected)
        return; // lost while the names were asked for
    SetupFields fields = SetupFields::Load(image, flags);
    for (int i = 0; i < InputCount; ++i) {
        const QString caption = session.Live().InputCaption(i);
        fields.input.names[static_cast<std::size_t>(i)] = caption;
        fields.surround.names[static_cast<std::size_t>(i)] = caption;
    }
    editing = true;
    const bool accepted = editor && editor(fields, flags);
    editing = false;
    Q_EMIT editorClosed(presetNumber, accepted);
    if (!accepted)
        return;

    fields.Store(image, flags);
    renames.clear();
    names.clear();
    for (int i = 0; i < InputCount; ++i) {
        const QString name = fields.input.names[static_cast<std::size_t>(i)];
        names << name;
        const QString caption = Text::TrimmedRight(session.Live().InputCaption(i));
        if (name.compare(caption, Qt::CaseInsensitive) != 0)
            renames << i;
    }
    RenameNext();
}

void SetupFlow::RenameNext()
{
    if (renames.isEmpty()) {
        Q_EMIT writeStarted(presetNumber, session.Transfer().WriteSetup(presetNumber, image));
        return;
    }
    const int input = renames.takeFirst();
    // The next rename, or the write, follows once the unit has reported the
    // name (or the renamer gave up on it) and the pause has passed.
    if (!renamer.Rename(input, names.at(input), renamePause))
        RenameNext();
}
