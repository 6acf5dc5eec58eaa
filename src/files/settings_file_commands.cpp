#include "files/settings_file_commands.h"

#include "common/local_file.h"
#include "common/message_box.h"
#include "common/message_table.h"
#include "files/compare_result_dlg.h"
#include "files/configuration_compare.h"
#include "files/settings_file_gate.h"
#include "files/settings_file_reader.h"
#include "files/settings_load_run.h"
#include "files/settings_save_chain.h"
#include "files/unit_configuration_read.h"
#include "unit/unit_session.h"

#include <QAction>
#include <QBuffer>
#include <QFileDialog>
#include <QMenu>

namespace {

std::optional<QString> nextPath;

} // namespace

SettingsFileCommands::SettingsFileCommands(UnitSession& unitSession, QWidget* parent)
    : QObject(parent), session(unitSession), panel(parent)
{
    chain = new SettingsSaveChain(session, this);
    run = new SettingsLoadRun(session, this);
    unitRead = new UnitConfigurationRead(session, this);
    run->SetAsker([this](const QString& question) { return MessageBox::Confirm(panel, question); });
    connect(unitRead, &UnitConfigurationRead::finished, this, &SettingsFileCommands::OnUnitRead);
    connect(chain, &SettingsSaveChain::finished, this, [this](bool saved, const QString& text) {
        if (saved)
            MessageBox::Information(panel, text);
        else
            MessageBox::Error(panel, text);
        Q_EMIT commandFinished(saved);
    });
    connect(run, &SettingsLoadRun::finished, this,
            [this](bool complete, const QStringList& messages) {
                for (const QString& text : messages)
                    MessageBox::Information(panel, text);
                Q_EMIT commandFinished(complete);
            });
}

void SettingsFileCommands::SetNextPath(const QString& path)
{
    nextPath = path;
}

bool SettingsFileCommands::Busy() const
{
    return chain->IsRunning() || run->IsRunning() || unitRead->IsRunning();
}

bool SettingsFileCommands::Refused(int message)
{
    if (message == 0)
        return false;
    MessageBox::Information(panel, MessageTable::Text(message));
    return true;
}

QString SettingsFileCommands::ChoosePath(bool saving)
{
    if (nextPath) {
        const QString path = *nextPath;
        nextPath.reset();
        return path;
    }
    QFileDialog dialog(panel);
    dialog.setAcceptMode(saving ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(saving ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setNameFilter(MessageTable::Text(Message::SettingsFileFilter));
    dialog.setDefaultSuffix(QStringLiteral("vxf"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

void SettingsFileCommands::Save()
{
    if (Busy())
        return;
    if (Refused(SettingsFileGate::SaveRefusal(session.Status().facts)) ||
        !session.Status().connected)
        return;
    const QString path = ChoosePath(true);
    if (path.isEmpty())
        return;
    if (!chain->Start(path) && !chain->ErrorText().isEmpty())
        MessageBox::Error(panel, chain->ErrorText());
}

void SettingsFileCommands::Load()
{
    if (Busy())
        return;
    if (Refused(SettingsFileGate::LoadRefusal(session.Status().facts)))
        return;
    if (!MessageBox::Confirm(panel, MessageTable::Text(Message::LoadConfirm)) ||
        !session.Status().connected)
        return;
    const QString path = ChoosePath(false);
    if (path.isEmpty())
        return;
    if (!run->Start(path) && !run->ErrorText().isEmpty())
        MessageBox::Error(panel, run->ErrorText());
}

void SettingsFileCommands::AddMenuEntry(QMenu* menu, QAction* before)
{
    auto* compare = new QAction(QStringLiteral("&Compare with Settings File..."), menu);
    compare->setObjectName(QStringLiteral("compareWithFile"));
    connect(compare, &QAction::triggered, this, &SettingsFileCommands::Compare);
    menu->insertAction(before, compare);
}

void SettingsFileCommands::Compare()
{
    if (Busy())
        return;
    if (Refused(SettingsFileGate::LoadRefusal(session.Status().facts)) ||
        !session.Status().connected)
        return;
    const QString path = ChoosePath(false);
    if (path.isEmpty())
        return;
    // Read as a load reads it: a regular file of a settings file's size.
    QByteArray bytes;
    QString reason;
    if (!LocalFile::ReadAll(path, SettingsFileReader::MaxFileSize, "a settings file", &bytes,
                            &reason)) {
        MessageBox::Error(panel, MessageTable::Text(Message::FileUnreadable).arg(reason));
        Q_EMIT commandFinished(false);
        return;
    }
    QBuffer file(&bytes);
    file.open(QIODevice::ReadOnly);
    // Laid out for this unit whatever model the file names: nothing is written.
    const SettingsFileReader::Result read = SettingsFileReader::LoadSettingsFile(
        file, session.Status(), SettingsFileReader::ModelAnswer::Yes);
    if (read.outcome != SettingsFileReader::Outcome::Loaded) {
        for (const SettingsFileReader::Notice& notice : read.messages)
            MessageBox::Information(panel, SettingsLoadRun::NoticeText(notice.id, notice.args));
        Q_EMIT commandFinished(false);
        return;
    }
    compareFile = read.configuration;
    comparePath = path;
    if (!unitRead->Start()) {
        MessageBox::Error(panel, MessageTable::Text(Message::CompareFailed)
                                     .arg(MessageTable::Text(Message::BlocksMissing)));
        Q_EMIT commandFinished(false);
    }
}

void SettingsFileCommands::OnUnitRead(bool read, const UnitConfiguration& unit,
                                      const QString& error)
{
    if (!read) {
        MessageBox::Error(panel, MessageTable::Text(Message::CompareFailed).arg(error));
        Q_EMIT commandFinished(false);
        return;
    }
    QStringList rows;
    for (const ConfigurationCompare::Difference& difference :
         ConfigurationCompare::Differences(compareFile, unit, ConfigurationParts{}, true))
        rows << ConfigurationCompare::Text(difference, QStringLiteral("file"),
                                           QStringLiteral("unit"));
    auto* dialog =
        new CompareResultDlg(comparePath, rows, ConfigurationCompare::NotCompared(), panel);
    dialog->show();
    Q_EMIT commandFinished(true);
}
