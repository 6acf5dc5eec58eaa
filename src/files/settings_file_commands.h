#pragma once

#include "model/unit_configuration.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <optional>

class QAction;
class QMenu;
class QWidget;
class SettingsLoadRun;
class SettingsSaveChain;
class UnitConfigurationRead;
class UnitSession;

// The control panel's "Save Settings", "Load Settings" and "File > Compare
// with Settings File...": the gates, the file dialogs and the message boxes
// around the save chain, the load run and the comparison. While one runs the
// others are ignored.
class SettingsFileCommands : public QObject
{
    Q_OBJECT

public:
    // The dialogs and message boxes show over `parent`, which owns this
    // object; `session` outlives it.
    SettingsFileCommands(UnitSession& session, QWidget* parent);

    void Save();
    void Load();
    // "Compare with Settings File...": the unit, read as a save reads it,
    // against a file; the differences in a list, nothing written.
    void Compare();
    // Puts "&Compare with Settings File..." into `menu` before `before`.
    void AddMenuEntry(QMenu* menu, QAction* before);

    SettingsSaveChain& SaveChain() const { return *chain; }
    SettingsLoadRun& LoadRun() const { return *run; }

    // Test hook: the path the next file dialog returns instead of showing
    // itself; an empty path is Cancel.
    static void SetNextPath(const QString& path);

Q_SIGNALS:
    // A save, load or comparison ended and its messages were shown.
    void commandFinished(bool succeeded);

private:
    QString ChoosePath(bool saving);
    void OnUnitRead(bool read, const UnitConfiguration& unit, const QString& error);
    bool Refused(int message);
    // A save, a load or a comparison runs.
    bool Busy() const;

    UnitSession& session;
    QPointer<QWidget> panel;
    SettingsSaveChain* chain = nullptr;
    SettingsLoadRun* run = nullptr;
    UnitConfigurationRead* unitRead = nullptr;
    UnitConfiguration compareFile; // what the file being compared holds
    QString comparePath;
};
