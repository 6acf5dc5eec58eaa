#include "desktop/options_dlg.h"

#include "common/help_topic.h"
#include "common/message_table.h"
#include "desktop/help_window.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QList>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

QList<OptionsDlg::Answer> answers;

QCheckBox* NewCheckBox(const QString& text, const QString& name, QWidget* parent)
{
    auto* box = new QCheckBox(text, parent);
    box->setObjectName(name);
    return box;
}

} // namespace

OptionsDlg::OptionsDlg(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Options"));
    setObjectName(QStringLiteral("options"));
    HelpWindow::ShowOnF1(*this, HelpTopic::OptionsDialog);

    QGroupBox* general = NewGeneralGroup();
    QGroupBox* tray = NewTrayGroup();
    QHBoxLayout* buttons = NewButtons();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(general);
    layout->addWidget(tray);
    layout->addLayout(buttons);

    connect(autostart, &QCheckBox::toggled, this, &OptionsDlg::UpdateEnabling);
    connect(enableTrayIcon, &QCheckBox::toggled, this, &OptionsDlg::UpdateEnabling);
    UpdateEnabling();
}

QGroupBox* OptionsDlg::NewGeneralGroup()
{
    auto* general = new QGroupBox(QStringLiteral("General Options"), this);
    auto* portLabel = new QLabel(QStringLiteral("RS-232 Port:"), general);
    port = new QComboBox(general);
    port->setObjectName(QStringLiteral("port"));
    port->setEditable(true);
    port->setInsertPolicy(QComboBox::NoInsert);
    port->setMinimumContentsLength(16);
    portLabel->setBuddy(port);
    autostart = NewCheckBox(QStringLiteral("Automatically Load on Startup"),
                            QStringLiteral("autostart"), general);
    autostartMinimized = NewCheckBox(QStringLiteral("Auto Start Minimized"),
                                     QStringLiteral("autostartMinimized"), general);
    auto* generalLayout = new QGridLayout(general);
    generalLayout->addWidget(portLabel, 0, 0);
    generalLayout->addWidget(port, 0, 1);
    generalLayout->addWidget(autostart, 1, 0, 1, 2);
    generalLayout->addWidget(autostartMinimized, 2, 0, 1, 2);
    return general;
}

QGroupBox* OptionsDlg::NewTrayGroup()
{
    auto* tray = new QGroupBox(QStringLiteral("System Tray Icon"), this);
    enableTrayIcon =
        NewCheckBox(QStringLiteral("Enable Tray Icon"), QStringLiteral("enableTrayIcon"), tray);
    minimizeToTray =
        NewCheckBox(QStringLiteral("Minimize to Tray"), QStringLiteral("minimizeToTray"), tray);
    leftClickLabel = new QLabel(QStringLiteral("Left Click Action:"), tray);
    leftClickLabel->setObjectName(QStringLiteral("leftClickLabel"));
    leftClick = new QButtonGroup(this);
    auto* radios = new QVBoxLayout;
    const QString texts[] = {QStringLiteral("Main Volume"), QStringLiteral("Zone Volume"),
                             QStringLiteral("Off")};
    const QString names[] = {QStringLiteral("leftClickMain"), QStringLiteral("leftClickZone"),
                             QStringLiteral("leftClickOff")};
    for (int action = Options::MainVolume; action <= Options::Off; ++action) {
        auto* radio = new QRadioButton(texts[action], tray);
        radio->setObjectName(names[action]);
        radio->setAccessibleDescription(QStringLiteral("Left Click Action"));
        leftClick->addButton(radio, action);
        radios->addWidget(radio);
    }
    trayUnavailable = new QLabel(MessageTable::Text(Message::TrayUnavailable), tray);
    trayUnavailable->setObjectName(QStringLiteral("trayUnavailable"));
    trayUnavailable->setWordWrap(true);
    trayUnavailable->hide();
    auto* trayLayout = new QGridLayout(tray);
    trayLayout->addWidget(enableTrayIcon, 0, 0, 1, 2);
    trayLayout->addWidget(minimizeToTray, 1, 0, 1, 2);
    trayLayout->addWidget(leftClickLabel, 2, 0, Qt::AlignTop);
    trayLayout->addLayout(radios, 2, 1);
    trayLayout->addWidget(trayUnavailable, 3, 0, 1, 2);
    return tray;
}

QHBoxLayout* OptionsDlg::NewButtons()
{
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("ok"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("cancel"));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    return buttons;
}

void OptionsDlg::SetValues(const Options& options, const QList<PortList::Item>& ports,
                           bool withTray)
{
    initial = options;
    portItems = ports;
    trayAvailable = withTray;
    port->clear();
    for (const PortList::Item& item : ports)
        port->addItem(item.text);
    const int index = PortList::IndexOf(ports, options.port);
    if (index >= 0)
        port->setCurrentIndex(index);
    else
        port->setEditText(options.port);
    autostart->setChecked(options.autostart);
    autostartMinimized->setChecked(options.autostartMinimized);
    enableTrayIcon->setChecked(options.enableTrayIcon);
    minimizeToTray->setChecked(options.minimizeToTray);
    if (QAbstractButton* radio = leftClick->button(options.leftClick))
        radio->setChecked(true);
    trayUnavailable->setVisible(!withTray);
    UpdateEnabling();
}

Options OptionsDlg::Values() const
{
    Options options = initial;
    options.port = PortList::PortOf(portItems, port->currentText());
    options.autostart = autostart->isChecked();
    options.autostartMinimized = autostartMinimized->isChecked();
    options.enableTrayIcon = enableTrayIcon->isChecked();
    options.minimizeToTray = minimizeToTray->isChecked();
    if (leftClick->checkedId() >= 0)
        options.leftClick = leftClick->checkedId();
    return options;
}

void OptionsDlg::UpdateEnabling()
{
    autostartMinimized->setEnabled(autostart->isChecked());
    enableTrayIcon->setEnabled(trayAvailable);
    const bool tray = trayAvailable && enableTrayIcon->isChecked();
    minimizeToTray->setEnabled(tray);
    leftClickLabel->setEnabled(tray);
    for (QAbstractButton* radio : leftClick->buttons())
        radio->setEnabled(tray);
}

bool OptionsDlg::Run()
{
    if (!answers.isEmpty())
        return answers.takeFirst()(*this);
    return exec() == QDialog::Accepted;
}

void OptionsDlg::SetNextAnswer(Answer answer)
{
    answers.append(std::move(answer));
}
