#pragma once

#include "setup/setup_fields.h"
#include "setup/setup_flags.h"

#include <QDialog>
#include <QStringList>

#include <functional>

class CAdvancedPage;
class CInputPage;
class CLevelPage;
class CListeningModePage;
class CSpeakerPage;
class CSurrmodePage;
class QTabWidget;

// The modal "Receiver Setup" sheet on one setup block: the Input page (the
// current setup) or the Surround Modes page (an A/V preset) first, then
// Speaker Setup, Levels, Listening Modes and Advanced; only OK and Cancel.
// The pages only move the fields into and out of their controls.
//
// Test hook: SetNextAnswer makes the next Run() call the answer with the
// built sheet instead of running it modally; the answer may change the
// pages' controls and returns OK (true) or Cancel (false).
class SetupSheet : public QDialog
{
    Q_OBJECT

public:
    using Answer = std::function<bool(SetupSheet& sheet)>;

    SetupSheet(const SetupFields& fields, const SetupFlags& flags, QWidget* parent = nullptr);

    // "Receiver Setup - Current Setup", "Receiver Setup - Preset k", or
    // "Receiver Setup" for any other number.
    static QString Caption(int presetNumber);

    // Runs the sheet; on OK the pages' fields are moved into `fields`.
    bool Run(SetupFields& fields);

    // The editor the setup flow calls: a sheet over `parent`.
    static std::function<bool(SetupFields&, const SetupFlags&)> Editor(QWidget* parent);

    QTabWidget* Tabs() const { return tabs; }
    static void SetNextAnswer(Answer answer);

private:
    void AddPage(QWidget* page, const QString& title, const QString& topic);

    SetupFields loaded;
    SetupFlags flags;
    QTabWidget* tabs = nullptr;
    QStringList topics; // the help topic of each tab
    CInputPage* inputPage = nullptr;
    CSurrmodePage* surroundPage = nullptr;
    CSpeakerPage* speakerPage = nullptr;
    CLevelPage* levelPage = nullptr;
    CListeningModePage* listeningPage = nullptr;
    CAdvancedPage* advancedPage = nullptr;
};
