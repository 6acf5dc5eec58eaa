#pragma once

#include "desktop/options.h"
#include "panel/unit_session.h"

#include <QMainWindow>

class QLabel;
class QMenu;
class QAction;

// The program's main window, titled "Veltrix PC Interface": the control
// panel of the attached receiver. It owns the session with the unit and
// mirrors the unit's state; it never changes a control on its own, only the
// unit's reports do.
class ControlPanelDlg : public QMainWindow
{
    Q_OBJECT

public:
    ControlPanelDlg(const Options& options, bool startedByAutostart, QWidget* parent = nullptr);
    ~ControlPanelDlg() override;

    // Places and shows the window and starts probing for the unit.
    void Initialise();

    UnitSession& Session() { return session; }
    QString ConnectionLine() const;

Q_SIGNALS:
    // The window stored its position and closed the port; the program ends.
    void shutDownFinished();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void BuildMenus();
    void BuildBottomRow(QWidget* central);
    void PlaceWindow();
    void ShowWindow();
    void Shutdown();

    // The views, driven by the session.
    void ShowConnection(bool connected);
    void ShowMainPower(bool on);
    void ShowZonePower(bool on);
    void UpdateTunerSection(bool live);
    void RefreshConnectionLine();

    UnitSession session;
    Options options;
    bool startedByAutostart = false;
    bool trayIconAdded = false;
    bool shutDown = false;

    QLabel* connectionLine = nullptr;
    QLabel* warning = nullptr;
    QMenu* unitMenu = nullptr;
    QAction* refreshAction = nullptr;
};
