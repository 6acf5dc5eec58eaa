#pragma once

#include <QObject>

class QAction;
class QMenu;
class QWidget;
class UpgradeCheck;
class UpgradeCheckVerdict;

// The entries of the main window's "&Help" menu: "Contents...", "Check for
// Upgrade" and "&About...". Created by Install, owned by the window.
//
// The upgrade check runs in the background with the wait cursor shown; its
// answer comes as a message box over the window, and a Yes to the offer of
// a new version opens the download page in the browser. While a check runs,
// "Check for Upgrade" is disabled. Install also makes the help window the
// answer to every HelpRequest (F1 in the setup sheet).
class HelpMenuEntries : public QObject
{
    Q_OBJECT

public:
    static HelpMenuEntries* Install(QMenu& menu, QWidget& window, int versionMajor,
                                    int versionMinor);
    ~HelpMenuEntries() override;

    QAction* ContentsAction() const { return contents; }
    QAction* UpgradeAction() const { return upgrade; }
    QAction* AboutAction() const { return about; }
    UpgradeCheck& Check() const { return *check; }

Q_SIGNALS:
    // The upgrade check's answer was shown (and acted on).
    void upgradeCheckAnswered();

private:
    HelpMenuEntries(QMenu& menu, QWidget& window, int versionMajor, int versionMinor);
    void CheckForUpgrade();
    void Answer(const UpgradeCheckVerdict& verdict);

    QWidget& window;
    int versionMajor;
    int versionMinor;
    UpgradeCheck* check = nullptr;
    QAction* contents = nullptr;
    QAction* upgrade = nullptr;
    QAction* about = nullptr;
};
