#pragma once

#include "model/settings_image.h"
#include "setup/setup_fields.h"
#include "setup/setup_flags.h"
#include "unit/input_renamer.h"

#include <QList>
#include <QObject>

#include <functional>

class UnitSession;

// The way from a read setup block to the unit and back: the Unit menu's
// "Current Setup..." and "A/V Setup k..." start a read; when it completes,
// the flow decodes the block into the pages' fields and hands them to the
// editor (the Receiver Setup sheet). On OK it encodes the fields back,
// renames the inputs whose names changed, and writes the whole block back,
// changed or not. Cancel writes nothing.
//
// Only the reads the flow asked for reach it: their results come back to it
// alone, whatever else reads the unit's blocks (a save, a verify).
//
// The editor runs modally and may take any time; everything else is driven
// by the transfers' results and timers, on the session's thread.
class SetupFlow : public QObject
{
    Q_OBJECT

public:
    // Shows the fields; true when the user accepted them (the fields then
    // hold the edits).
    using Editor = std::function<bool(SetupFields& fields, const SetupFlags& flags)>;

    // Time between a rename sent for an input and what follows it, ms.
    static constexpr int RenamePause = 100;

    explicit SetupFlow(UnitSession& session, QObject* parent = nullptr);

    void SetEditor(Editor show) { editor = std::move(show); }
    void SetRenamePause(int milliseconds) { renamePause = milliseconds; }

    // Reads the current setup (0) or A/V preset 1..5; false when the read
    // cannot start (another transfer runs, no usable block size, a sheet of
    // the flow is open).
    bool Open(int presetNumber);

Q_SIGNALS:
    // The A/V preset asked for holds nothing; no editor opens.
    void presetEmpty(int presetNumber);
    // The editor closed; accepted tells OK from Cancel.
    void editorClosed(int presetNumber, bool accepted);
    // The block goes back to the unit now (after the renames).
    void writeStarted(int presetNumber, bool started);

private:
    void OnBlockRead(int presetNumber, const SettingsImage& image);
    void Edit();
    void RenameNext();

    UnitSession& session;
    InputRenamer renamer;
    Editor editor;
    int renamePause = RenamePause;
    bool editing = false; // the editor is open

    // The block being edited, and what follows OK.
    int presetNumber = -1;
    SettingsImage image;
    SetupFlags flags;
    QList<int> renames; // inputs still to be renamed
    QStringList names;  // their new names, by input
};
