#pragma once

#include "common/version.h"
#include "unit/unit_session.h"

#include <QApplication>
#include <QString>

#include <memory>

class ControlPanelDlg;

// The application object and the GUI's composition root: it owns the session
// with the unit for the whole run, reads the options, creates the control
// panel, builds the features around it (PanelFeatures) and runs the event
// loop until the panel closes.
class UnitApp : public QApplication
{
    Q_OBJECT

public:
    static constexpr int VersionMajor = ProgramVersion::Major;
    static constexpr int VersionMinor = ProgramVersion::Minor;

    UnitApp(int& argc, char** argv);
    ~UnitApp() override;

    // A protocol trace of every frame to this file, from the start; empty
    // for none. A trace that cannot be written is dropped with a warning.
    void SetTracePath(const QString& path) { tracePath = path; }
    int Run();

private:
    // SIGTERM, SIGINT and SIGHUP close the panel as its close box would, so a
    // session logout still stores the window position and closes the port.
    void WatchTerminationSignals();
    // A veltrix started beside the program runs through its session; a
    // second start of the program shows this one's window.
    void ServeCommandLines();

    UnitSession session;
    std::unique_ptr<ControlPanelDlg> panel; // goes before the session
    QString tracePath;
};
