#include "files/settings_save_chain.h"

#include "common/message_table.h"
#include "common/safe_save.h"
#include "files/settings_file_gate.h"
#include "files/settings_file_writer.h"
#include "unit/unit_session.h"

SettingsSaveChain::SettingsSaveChain(UnitSession& unitSession, QObject* parent)
    : QObject(parent), session(unitSession), read(unitSession)
{
    connect(&read, &UnitConfigurationRead::finished, this, &SettingsSaveChain::OnRead);
}

SettingsSaveChain::~SettingsSaveChain() = default;

bool SettingsSaveChain::Start(const QString& path)
{
    error.clear();
    const LiveValues& live = session.Status();
    if (running || read.IsRunning() || !live.connected ||
        SettingsFileGate::SaveRefusal(live.facts) != 0)
        return false;

    // Opened first: a path that cannot be written fails before any read.
    file = std::make_unique<SafeSave>(path);
    QString reason;
    if (!file->Open(&reason)) {
        error = MessageTable::Text(Message::FileUnwritable).arg(reason);
        file.reset();
        return false;
    }
    if (!read.Start()) {
        file.reset();
        return false;
    }
    running = true;
    return true;
}

void SettingsSaveChain::Cancel()
{
    if (running)
        read.Cancel();
}

void SettingsSaveChain::OnRead(bool complete, const UnitConfiguration& configuration,
                               const QString& why)
{
    if (!running)
        return;
    if (!complete) {
        Fail(why);
        return;
    }
    // A refused write shows in the commit's flush.
    file->Device().write(SettingsFileWriter::FileText(configuration));
    QString reason;
    if (!file->Commit(&reason)) {
        Fail(MessageTable::Text(Message::FileUnwritable).arg(reason));
        return;
    }
    running = false;
    file.reset();
    Q_EMIT finished(true, MessageTable::Text(Message::SettingsSaved));
}

void SettingsSaveChain::Fail(const QString& reason)
{
    running = false;
    file.reset(); // the temporary is removed; an earlier file stays as it was
    Q_EMIT finished(false, MessageTable::Text(Message::SaveIncomplete).arg(reason));
}
