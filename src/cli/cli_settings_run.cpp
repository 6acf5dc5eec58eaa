#include "cli/cli_settings_run.h"

#include "common/local_file.h"
#include "common/message_table.h"
#include "common/text.h"
#include "files/configuration_compare.h"
#include "files/settings_file_gate.h"
#include "files/settings_file_reader.h"
#include "unit/unit_session.h"

#include <QBuffer>

#include <array>

namespace {

QString Range(int first, qsizetype count)
{
    return count == 1 ? QString::number(first)
                      : QStringLiteral("%1-%2").arg(first).arg(first + count - 1);
}

QString Bytes(qsizetype count)
{
    return count == 1 ? QStringLiteral("1 byte") : QStringLiteral("%1 bytes").arg(count);
}

// Reads the bytes of the settings file `path` for a comparison, laid out
// for `unit`: nothing is written, so a file of another model is read as it
// stands. The error line when the file cannot be used, empty when `read`
// holds it.
QString ReadForComparison(const QString& path, const QByteArray& bytes, const LiveValues& unit,
                          UnitConfiguration* read)
{
    QBuffer device;
    device.setData(bytes);
    device.open(QIODevice::ReadOnly);
    const SettingsFileReader::Result result =
        SettingsFileReader::LoadSettingsFile(device, unit, SettingsFileReader::ModelAnswer::Yes);
    if (result.outcome != SettingsFileReader::Outcome::Loaded) {
        QStringList texts;
        for (const SettingsFileReader::Notice& notice : result.messages)
            texts << SettingsLoadRun::NoticeText(notice.id, notice.args);
        return MessageTable::Text(Message::CliFailed)
            .arg(path + QStringLiteral(": ") + Text::OneLine(texts.join(u' ')));
    }
    *read = result.configuration;
    return {};
}

} // namespace

CliSettingsRun::CliSettingsRun(UnitSession& unitSession, const CliRequest& cliRequest,
                               const QByteArray& bytes, QObject* parent)
    : QObject(parent), session(unitSession), request(cliRequest), fileBytes(bytes),
      chain(unitSession), load(unitSession), unitRead(unitSession)
{
    connect(&chain, &SettingsSaveChain::finished, this, [this](bool saved, const QString& text) {
        if (!saved) {
            End(false, MessageTable::Text(Message::CliFailed).arg(Text::OneLine(text)));
            return;
        }
        results << QStringLiteral("saved the unit's settings to %1").arg(request.file);
        End(true);
    });
    load.SetAsker([this](const QString& text) {
        question = text;
        return request.yes;
    });
    connect(&load, &SettingsLoadRun::finished, this, &CliSettingsRun::OnLoadFinished);
    connect(&unitRead, &UnitConfigurationRead::finished, this, &CliSettingsRun::OnUnitRead);
}

void CliSettingsRun::Start()
{
    if (request.command == CliRequest::Command::Save)
        StartSave();
    else if (request.command == CliRequest::Command::Diff)
        StartDiff();
    else
        StartLoad();
}

void CliSettingsRun::StartSave()
{
    const int refusal = SettingsFileGate::SaveRefusal(session.Status().facts);
    if (refusal != 0) {
        End(false, MessageTable::Text(Message::CliFailed).arg(MessageTable::Text(refusal)));
        return;
    }
    if (!chain.Start(request.file))
        End(false,
            MessageTable::Text(Message::CliFailed)
                .arg(request.file + QStringLiteral(": ") +
                     (chain.ErrorText().isEmpty() ? QStringLiteral("the save could not start")
                                                  : Text::OneLine(chain.ErrorText()))));
}

void CliSettingsRun::StartLoad()
{
    const int refusal = SettingsFileGate::LoadRefusal(session.Status().facts);
    if (refusal != 0) {
        End(false, MessageTable::Text(Message::CliFailed).arg(MessageTable::Text(refusal)));
        return;
    }
    if (!load.StartWith(fileBytes, request.dryRun, request.only))
        End(false, MessageTable::Text(Message::CliFailed)
                       .arg(request.file + QStringLiteral(": ") +
                            (load.ErrorText().isEmpty() ? QStringLiteral("the load could not start")
                                                        : Text::OneLine(load.ErrorText()))));
}

void CliSettingsRun::OnLoadFinished(bool complete, const QStringList& messages)
{
    if (!complete) {
        if (!question.isEmpty() && !request.yes) {
            End(false, MessageTable::Text(Message::CliModelMismatch)
                           .arg(request.file, question.section(QLatin1Char('\n'), 0, 0)));
            return;
        }
        End(false,
            MessageTable::Text(Message::CliFailed)
                .arg(request.file + QStringLiteral(": ") + Text::OneLine(messages.join(u' '))));
        return;
    }
    for (const QString& message : messages)
        results << Text::OneLine(message);
    const QList<UnitWrite>& writes = load.Writes();
    if (request.dryRun) {
        for (const UnitWrite& write : writes)
            results << Describe(write);
        results << QStringLiteral("dry run: %1 writes, nothing was sent").arg(writes.size());
        End(true);
        return;
    }
    results << QStringLiteral("loaded %1 into the unit (%2 writes)")
                   .arg(request.file)
                   .arg(writes.size());
    if (!request.verify) {
        End(true);
        return;
    }
    // Read back fresh, as a save reads it, what the load wrote.
    verifying = true;
    compared = load.Written();
    if (!unitRead.Start(compared))
        End(false, MessageTable::Text(Message::CliFailed)
                       .arg(QStringLiteral("the read-back of what was written could not start")));
}

void CliSettingsRun::StartDiff()
{
    const QString failure = ReadForComparison(request.file, fileBytes, session.Status(), &file);
    if (!failure.isEmpty()) {
        End(false, failure);
        return;
    }
    compared = request.only;
    if (!unitRead.Start(compared))
        End(false, MessageTable::Text(Message::CliFailed)
                       .arg(QStringLiteral("the unit's settings could not be read")));
}

void CliSettingsRun::OnUnitRead(bool read, const UnitConfiguration& unit, const QString& why)
{
    if (ended)
        return;
    if (!read) {
        End(false, MessageTable::Text(Message::CliFailed)
                       .arg((verifying ? QStringLiteral("the read-back of what was written: ")
                                       : QStringLiteral("reading the unit: ")) +
                            Text::OneLine(why)));
        return;
    }
    const UnitConfiguration& left = verifying ? load.Configuration() : file;
    const QList<ConfigurationCompare::Difference> differences =
        ConfigurationCompare::Differences(left, unit, compared, true);
    for (const ConfigurationCompare::Difference& difference : differences)
        results << ConfigurationCompare::Text(difference, QStringLiteral("file"),
                                              QStringLiteral("unit"));
    results << ConfigurationCompare::NotCompared();
    const QString counted = ConfigurationCompare::Counted(differences.size());
    if (differences.isEmpty()) {
        results << (verifying ? QStringLiteral("verified: the unit holds everything the file wrote")
                              : QStringLiteral("the unit holds what %1 holds").arg(request.file));
        End(true);
        return;
    }
    End(false, verifying ? MessageTable::Text(Message::CliVerifyFailed).arg(counted)
                         : MessageTable::Text(Message::CliFailed)
                               .arg(QStringLiteral("diff: the unit differs from %1 (%2)")
                                        .arg(request.file, counted)));
}

bool CliSettingsRun::DiffFiles(const CliRequest& request, QStringList* results, QString* error)
{
    // Both files are laid out as the first one's unit lays out its blocks.
    std::array<QByteArray, 2> bytes;
    for (const auto& [path, read] :
         {std::pair{&request.file, &bytes[0]}, std::pair{&request.file2, &bytes[1]}}) {
        QString reason;
        if (!LocalFile::ReadAll(*path, SettingsFileReader::MaxFileSize, "a settings file", read,
                                &reason)) {
            *error =
                MessageTable::Text(Message::CliFailed).arg(*path + QStringLiteral(": ") + reason);
            return false;
        }
    }
    LiveValues unit;
    unit.connected = true;
    QBuffer first(&bytes[0]);
    first.open(QIODevice::ReadOnly);
    unit.facts = SettingsFileReader::FileFacts(first);
    std::array<UnitConfiguration, 2> files;
    for (int k = 0; k < 2; ++k) {
        *error = ReadForComparison(k == 0 ? request.file : request.file2, bytes.at(k), unit,
                                   &files.at(k));
        if (!error->isEmpty())
            return false;
    }
    const QList<ConfigurationCompare::Difference> differences =
        ConfigurationCompare::Differences(files[0], files[1], request.only, false);
    for (const ConfigurationCompare::Difference& difference : differences)
        *results << ConfigurationCompare::Text(difference, request.file, request.file2);
    if (differences.isEmpty()) {
        *results << QStringLiteral("%1 and %2 hold the same").arg(request.file, request.file2);
        return true;
    }
    *error = MessageTable::Text(Message::CliFailed)
                 .arg(QStringLiteral("diff: %1 and %2 differ (%3)")
                          .arg(request.file, request.file2,
                               ConfigurationCompare::Counted(differences.size())));
    return false;
}

QString CliSettingsRun::Describe(const UnitWrite& write)
{
    // "EEPROM 1113-1199: 87 bytes, A/V preset 1 settings | 00 01 ..."
    const auto memory = [](const char* region, int first, const QByteArray& bytes,
                           const QString& what) {
        return QStringLiteral("%1 %2: %3, %4 | %5")
            .arg(QLatin1String(region), Range(first, bytes.size()), Bytes(bytes.size()), what,
                 QString::fromLatin1(bytes.toHex(' ')));
    };
    switch (write.kind) {
    case UnitWrite::Kind::InputName:
        return QStringLiteral("rename input %1 to \"%2\"").arg(write.index + 1).arg(write.name);
    case UnitWrite::Kind::PresetStatus:
        return memory("EEPROM", write.address, write.bytes,
                      QStringLiteral("A/V preset %1 marked present").arg(write.index));
    case UnitWrite::Kind::PresetBlock:
        return memory("EEPROM", write.address, write.bytes,
                      QStringLiteral("A/V preset %1 settings").arg(write.index));
    case UnitWrite::Kind::TunerPresets:
        return memory("EEPROM", write.address, write.bytes,
                      QStringLiteral("tuner presets (%1 FM, %2 AM, the unit's %3 kHz AM step)")
                          .arg(write.tuner.FmPresets().size())
                          .arg(write.tuner.AmPresets().size())
                          .arg(write.amStepSize));
    case UnitWrite::Kind::CurrentSetup:
        break;
    }
    return memory("live setup", 0, write.setup.BlockBytes(), QStringLiteral("current setup"));
}

void CliSettingsRun::End(bool ok, const QString& error)
{
    if (ended)
        return;
    ended = true;
    verifying = false;
    Q_EMIT finished(ok, results, error);
}
