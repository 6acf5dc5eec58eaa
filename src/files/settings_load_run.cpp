#include "files/settings_load_run.h"

#include "common/message_table.h"
#include "files/settings_file_gate.h"
#include "files/settings_file_reader.h"
#include "unit/unit_session.h"

#include <QFile>
#include <QTimer>

SettingsLoadRun::SettingsLoadRun(UnitSession& unitSession, QObject* parent)
    : QObject(parent), session(unitSession), renamer(unitSession)
{
    connect(&session.Transfer(), &MemoryTransfer::transferFinished, this,
            &SettingsLoadRun::OnTransferFinished);
    connect(&renamer, &InputRenamer::renamed, this, &SettingsLoadRun::OnRenamed);
}

QString SettingsLoadRun::NoticeText(int id, const QStringList& args)
{
    QString text = MessageTable::Text(id);
    for (const QString& arg : args)
        text = text.arg(arg);
    return text;
}

bool SettingsLoadRun::Start(const QString& path, bool dryRun)
{
    error.clear();
    const LiveValues& live = session.Status();
    if (running || session.Transfer().State().savingToFile || !live.connected ||
        SettingsFileGate::LoadRefusal(live.facts) != 0)
        return false;

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = MessageTable::Text(Message::FileUnreadable).arg(file.errorString());
        return false;
    }
    SettingsFileReader::Result result = SettingsFileReader::LoadSettingsFile(file, live);
    if (result.outcome == SettingsFileReader::Outcome::ModelQuestion) {
        const bool yes = asker && asker(NoticeText(result.question.id, result.question.args));
        result = SettingsFileReader::LoadSettingsFile(file, live,
                                                      yes ? SettingsFileReader::ModelAnswer::Yes
                                                          : SettingsFileReader::ModelAnswer::No);
    }
    closing.clear();
    for (const SettingsFileReader::Notice& notice : result.messages)
        closing << NoticeText(notice.id, notice.args);
    // After No nothing is written, not even what came before the model line.
    writes =
        result.outcome == SettingsFileReader::Outcome::Loaded ? result.writes : QList<UnitWrite>{};
    if (result.outcome == SettingsFileReader::Outcome::Aborted && closing.isEmpty())
        closing << MessageTable::Text(Message::ProcessingAborted);
    loaded = result.outcome == SettingsFileReader::Outcome::Loaded;
    done = 0;
    running = true;
    dry = dryRun;
    awaiting = false;
    QTimer::singleShot(0, this, &SettingsLoadRun::Next);
    return true;
}

void SettingsLoadRun::Next()
{
    if (!running)
        return;
    if (dry || done >= writes.size()) {
        Stop(loaded, closing);
        return;
    }
    const UnitWrite& write = writes.at(done);
    MemoryTransfer& transfer = session.Transfer();
    bool started = false;
    switch (write.kind) {
    case UnitWrite::Kind::InputName:
        started = renamer.Rename(write.index, write.name,
                                 renamePause < 0 ? write.pauseAfter : renamePause);
        break;
    case UnitWrite::Kind::PresetStatus:
        started =
            !write.bytes.isEmpty() &&
            transfer.WriteEepromByte(static_cast<std::uint8_t>(write.bytes.at(0)), write.address);
        break;
    case UnitWrite::Kind::PresetBlock:
        started = transfer.WriteEeprom(write.bytes, write.address);
        break;
    case UnitWrite::Kind::TunerPresets:
        started = transfer.WriteTunerPresets(write.tuner);
        break;
    case UnitWrite::Kind::CurrentSetup:
        started = transfer.WriteCurrentSetup(write.setup);
        break;
    }
    if (!started) {
        Stop(false, {});
        return;
    }
    awaiting = true;
}

void SettingsLoadRun::OnTransferFinished(MemoryTransfer::Outcome outcome)
{
    if (!running || !awaiting)
        return;
    awaiting = false;
    if (outcome != MemoryTransfer::Outcome::Completed) {
        Stop(false, {});
        return;
    }
    ++done;
    QTimer::singleShot(0, this, &SettingsLoadRun::Next);
}

void SettingsLoadRun::OnRenamed(int /*index*/, bool confirmed)
{
    if (!running || !awaiting)
        return;
    awaiting = false;
    if (!confirmed) {
        Stop(false, {});
        return;
    }
    ++done;
    Next();
}

QString SettingsLoadRun::PartText(const UnitWrite& write) const
{
    switch (write.kind) {
    case UnitWrite::Kind::InputName:
        return MessageTable::Text(Message::PartInputName).arg(write.index + 1);
    case UnitWrite::Kind::PresetStatus:
    case UnitWrite::Kind::PresetBlock:
        return MessageTable::Text(Message::PartPreset).arg(write.index);
    case UnitWrite::Kind::TunerPresets:
        return MessageTable::Text(Message::PartTunerPresets);
    case UnitWrite::Kind::CurrentSetup:
        break;
    }
    return MessageTable::Text(Message::PartCurrentSetup);
}

void SettingsLoadRun::Stop(bool complete, QStringList messages)
{
    if (!complete && done < writes.size()) {
        messages.prepend(MessageTable::Text(Message::LoadIncomplete)
                             .arg(done)
                             .arg(writes.size())
                             .arg(PartText(writes.at(done))));
        messages << closing;
    }
    running = false;
    awaiting = false;
    Q_EMIT finished(complete, messages);
}
