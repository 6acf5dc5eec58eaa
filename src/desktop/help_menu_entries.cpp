#include "desktop/help_menu_entries.h"

#include "common/help_topic.h"
#include "common/message_box.h"
#include "common/message_table.h"
#include "desktop/about_dlg.h"
#include "desktop/help_window.h"
#include "desktop/upgrade_check.h"
#include "desktop/url_opener.h"

#include <QGuiApplication>
#include <QMenu>

HelpMenuEntries* HelpMenuEntries::Install(QMenu& menu, QWidget& window, int versionMajor,
                                          int versionMinor)
{
    HelpWindow::Install();
    return new HelpMenuEntries(menu, window, versionMajor, versionMinor);
}

HelpMenuEntries::HelpMenuEntries(QMenu& menu, QWidget& owner, int major, int minor)
    : QObject(&owner), window(owner), versionMajor(major), versionMinor(minor),
      check(new UpgradeCheck(major, minor, this))
{
    contents = menu.addAction(QStringLiteral("Contents..."), this,
                              [] { HelpWindow::Show(HelpTopic::Contents); });
    contents->setObjectName(QStringLiteral("helpContents"));
    upgrade = menu.addAction(QStringLiteral("Check for Upgrade"), this,
                             &HelpMenuEntries::CheckForUpgrade);
    upgrade->setObjectName(QStringLiteral("checkForUpgrade"));
    menu.addSeparator();
    about = menu.addAction(QStringLiteral("&About..."), this,
                           [this] { AboutDlg::Run(versionMajor, versionMinor, &window); });
    about->setObjectName(QStringLiteral("about"));
    connect(check, &UpgradeCheck::checkFinished, this, &HelpMenuEntries::Answer);
}

HelpMenuEntries::~HelpMenuEntries()
{
    // A check still running when the window goes away never answers.
    if (check->IsRunning())
        QGuiApplication::restoreOverrideCursor();
}

void HelpMenuEntries::CheckForUpgrade()
{
    if (!check->Start())
        return;
    upgrade->setEnabled(false);
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
}

void HelpMenuEntries::Answer(const UpgradeCheckVerdict& verdict)
{
    QGuiApplication::restoreOverrideCursor();
    upgrade->setEnabled(true);
    using Kind = UpgradeCheckVerdict::Kind;
    switch (verdict.kind) {
    case Kind::NewerAvailable:
        if (MessageBox::Confirm(&window, verdict.message) &&
            !UrlOpener::OpenWebAddress(verdict.downloadUrl)) {
            MessageBox::Error(
                &window,
                MessageTable::Text(UpgradeMessage::OpenFailed).arg(verdict.downloadUrl.toString()));
        }
        break;
    case Kind::Latest:
    case Kind::LocalNewer:
        MessageBox::Information(&window, verdict.message);
        break;
    case Kind::NoInformation:
    case Kind::NoConnection:
    case Kind::AddressRefused:
        MessageBox::Error(&window, verdict.message);
        break;
    }
    Q_EMIT upgradeCheckAnswered();
}
