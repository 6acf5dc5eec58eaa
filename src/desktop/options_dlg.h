#pragma once

#include "desktop/options.h"
#include "desktop/port_list.h"

#include <QDialog>

#include <functional>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QHBoxLayout;
class QLabel;
class QRadioButton;

// The modal "Options" dialog: the port, the log-on start and the tray icon.
// The caller fills it with SetValues, runs it with Run and on OK reads
// Values. "Auto Start Minimized" is enabled only while the log-on start is
// checked; the tray options only while "Enable Tray Icon" is checked and a
// system tray exists (without one the dialog says why they are unavailable).
//
// Test hook: SetNextAnswer queues a function that the next Run calls with
// the filled dialog instead of showing it; its result is Run's (true: OK).
class OptionsDlg : public QDialog
{
    Q_OBJECT

public:
    using Answer = std::function<bool(OptionsDlg&)>;

    explicit OptionsDlg(QWidget* parent = nullptr);

    // `ports` are the list's entries (PortList::Items).
    void SetValues(const Options& options, const QList<PortList::Item>& ports, bool trayAvailable);
    // The options as the controls hold them; the position is that of
    // SetValues.
    Options Values() const;

    bool Run();

    static void SetNextAnswer(Answer answer);

private:
    // The parts of the dialog, built in tab order; members set on the way.
    QGroupBox* NewGeneralGroup();
    QGroupBox* NewTrayGroup();
    QHBoxLayout* NewButtons();
    void UpdateEnabling();

    Options initial;
    QList<PortList::Item> portItems;
    bool trayAvailable = true;

    QComboBox* port = nullptr;
    QCheckBox* autostart = nullptr;
    QCheckBox* autostartMinimized = nullptr;
    QCheckBox* enableTrayIcon = nullptr;
    QCheckBox* minimizeToTray = nullptr;
    QLabel* leftClickLabel = nullptr;
    QButtonGroup* leftClick = nullptr;
    QLabel* trayUnavailable = nullptr;
};
