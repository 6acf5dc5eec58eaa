#pragma once

#include <QApplication>
#include <QString>

#include <memory>

class ControlPanelDlg;

// The application object: reads the options, creates the control panel and
// runs the event loop until the panel closes.
class UnitApp : public QApplication
{
    Q_OBJECT

public:
    static constexpr int VersionMajor = 1;
    static constexpr int VersionMinor = 4;

    UnitApp(int& argc, char** argv);
    ~UnitApp() override;

    // A protocol trace of every frame to this file, from the start; empty
    // for none. A trace that cannot be written is dropped with a warning.
    void SetTracePath(const QString& path) { tracePath = path; }
    int Run();

private:
    // SIGTERM and SIGINT close the panel as its close box would, so a session
    // logout still stores the window position and closes the port.
    void WatchTerminationSignals();

    std::unique_ptr<ControlPanelDlg> panel;
    QString tracePath;
};
