#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <optional>

class ControlPanelDlg;
class SettingsLoadRun;
class SettingsSaveChain;

// The control panel's "Save Settings" and "Load Settings": the gates, the
// file dialogs and the message boxes around the save chain and the load
// run. While a save runs both commands are ignored.
class SettingsFileCommands : public QObject
{
    Q_OBJECT

public:
    explicit SettingsFileCommands(ControlPanelDlg& panel);

    void Save();
    void Load();

    SettingsSaveChain& SaveChain() const { return *chain; }
    SettingsLoadRun& LoadRun() const { return *run; }

    // Test hook: the path the next file dialog returns instead of showing
    // itself; an empty path is Cancel.
    static void SetNextPath(const QString& path);

Q_SIGNALS:
    // A save or load ended and its messages were shown.
    void commandFinished(bool succeeded);

private:
    QString ChoosePath(bool saving);
    bool Refused(int message);

    QPointer<ControlPanelDlg> panel;
    SettingsSaveChain* chain = nullptr;
    SettingsLoadRun* run = nullptr;
};
