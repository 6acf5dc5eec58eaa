#include "files/settings_load_run.h"

#include "common/local_file.h"
#include "common/message_table.h"
#include "files/load_plan.h"
#include "files/settings_file_gate.h"
#include "files/settings_file_reader.h"
#include "transfer/eeprom_map.h"
#include "unit/unit_session.h"

#include <QBuffer>
#include <QTimer>

SettingsLoadRun::SettingsLoadRun(UnitSession& unitSession, QObject* parent)
    : QObject(parent), session(unitSession), renamer(unitSession)
{
    connect(&renamer, &InputRenamer::renamed, this, &SettingsLoadRun::OnRenamed);
}

QString SettingsLoadRun::NoticeText(int id, const QStringList& args)
{
    QString text = MessageTable::Text(id);
    for (const QString& arg : args)
        text = text.arg(arg);
    return text;
}

bool SettingsLoadRun::MayStart() const
{
    const LiveValues& live = session.Status();
    return !running && live.connected && SettingsFileGate::LoadRefusal(live.facts) == 0;
}

bool SettingsLoadRun::Start(const QString& path, bool dryRun, const ConfigurationParts& parts)
{
    error.clear();
    if (!MayStart())
        return false;
    QByteArray bytes;
    QString reason;
    if (!LocalFile::ReadAll(path, SettingsFileReader::MaxFileSize, "a settings file", &bytes,
                            &reason)) {
        error = MessageTable::Text(Message::FileUnreadable).arg(reason);
        return false;
    }
    return StartWith(bytes, dryRun, parts);
}

bool SettingsLoadRun::StartWith(const QByteArray& bytes, bool dryRun,
                                const ConfigurationParts& parts)
{
    error.clear();
    if (!MayStart())
        return false;
    const LiveValues& live = session.Status();
    QBuffer file;
    file.setData(bytes);
    file.open(QIODevice::ReadOnly);
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
    loaded = result.outcome == SettingsFileReader::Outcome::Loaded;
    // After No nothing is written, not even what came before the model line.
    configuration = loaded ? result.configuration : UnitConfiguration{};
    chosen = parts;
    written = loaded ? LoadPlan::Written(configuration, chosen) : ConfigurationParts::None();
    if (loaded && chosen.currentSetup && !configuration.currentSetup)
        closing << MessageTable::Text(Message::CurrentSetupNotInFile);
    if (result.outcome == SettingsFileReader::Outcome::Aborted && closing.isEmpty())
        closing << MessageTable::Text(Message::ProcessingAborted);
    writes.clear();
    done = 0;
    running = true;
    dry = dryRun;
    awaiting = false;
    awaitingStep = false;
    stepTries = 0;
    if (written.tuner)
        QTimer::singleShot(0, this, &SettingsLoadRun::ReadUnitStep);
    else
        QTimer::singleShot(0, this, [this] { Plan(TunerPresetList::AmStep10); });
    return true;
}

// The unit's AM step flag, before the tuner presets are encoded. The
// handshake's own reads may still run; the read starts when they have ended.
void SettingsLoadRun::ReadUnitStep()
{
    if (!running)
        return;
    constexpr int RetryMs = 50;
    constexpr int MaxTries = 200; // 10 s
    MemoryTransfer& transfer = session.Transfer();
    if (transfer.IsBusy() && ++stepTries < MaxTries) {
        QTimer::singleShot(RetryMs, this, &SettingsLoadRun::ReadUnitStep);
        return;
    }
    awaitingStep = true;
    transfer.ReadEeprom(
        EepromMap::AmStepFlag, 1, ResultTo(this, [this](const TransferResult& result) {
            if (!running || !std::exchange(awaitingStep, false))
                return;
            if (result.kind != TransferResult::Kind::DataRead || result.bytes.isEmpty()) {
                StepUnread();
                return;
            }
            Plan(TunerPresetList::StepSizeFromFlag(static_cast<quint8>(result.bytes.at(0))));
        }));
}

// Nothing was written: the message names the writes the load would have made.
void SettingsLoadRun::StepUnread()
{
    writes = LoadPlan::Writes(configuration, session.Status(), TunerPresetList::AmStep10, chosen);
    Stop(false, {MessageTable::Text(Message::AmStepUnread)});
}

void SettingsLoadRun::Plan(int unitAmStep)
{
    if (!running)
        return;
    writes = LoadPlan::Writes(configuration, session.Status(),
                              encodingStep != 0 ? encodingStep : unitAmStep, chosen);
    Next();
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
    // A write refused at once ends the run inside the call.
    const TransferDone onResult = ResultTo(this, [this](const TransferResult& result) {
        if (running && std::exchange(awaiting, false))
            OnWritten(result);
    });
    awaiting = true;
    bool started = false;
    switch (write.kind) {
    case UnitWrite::Kind::InputName:
        started = renamer.Rename(write.index, write.name,
                                 renamePause < 0 ? write.pauseAfter : renamePause);
        break;
    case UnitWrite::Kind::PresetStatus:
        started = !write.bytes.isEmpty() &&
                  transfer.WriteEepromByte(static_cast<std::uint8_t>(write.bytes.at(0)),
                                           write.address, onResult);
        break;
    case UnitWrite::Kind::PresetBlock:
    case UnitWrite::Kind::TunerPresets:
        started = transfer.WriteEeprom(write.bytes, write.address, onResult);
        break;
    case UnitWrite::Kind::CurrentSetup:
        started = transfer.WriteCurrentSetup(write.setup, onResult);
        break;
    }
    if (!started && std::exchange(awaiting, false))
        Stop(false, {});
}

void SettingsLoadRun::OnWritten(const TransferResult& result)
{
    if (result.kind != TransferResult::Kind::Written) {
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
    awaitingStep = false;
    Q_EMIT finished(complete, messages);
}
