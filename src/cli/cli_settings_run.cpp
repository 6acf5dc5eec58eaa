#include "cli/cli_settings_run.h"

#include "common/message_table.h"
#include "common/text.h"
#include "files/settings_file_gate.h"
#include "link/message_set.h"
#include "transfer/eeprom_map.h"
#include "unit/unit_session.h"

#include <QTimer>

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

QString Hex(int value)
{
    return QStringLiteral("0x%1").arg(value, 2, 16, QLatin1Char('0'));
}

// The name as the unit keeps it: at most InputNameLength characters, no
// trailing spaces.
QString KeptName(const QString& name)
{
    return Text::TrimmedRight(name.left(InputNameLength));
}

} // namespace

CliSettingsRun::CliSettingsRun(UnitSession& unitSession, const CliRequest& cliRequest,
                               QObject* parent)
    : QObject(parent), session(unitSession), request(cliRequest), flow(unitSession),
      chain(unitSession, flow), load(unitSession)
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

    MemoryTransfer& transfer = session.Transfer();
    connect(&transfer, &MemoryTransfer::eepromWriteFinished, this, [this](int address, int, bool) {
        if (address == EepromMap::TunerImage) {
            const auto& image = session.Transfer().TunerImage();
            writtenTuner = QByteArray(reinterpret_cast<const char*>(image.data()),
                                      static_cast<qsizetype>(image.size()));
        }
    });
    connect(&transfer, &MemoryTransfer::eepromRead, this,
            [this](int address, const QByteArray& held) {
                if (verifyIndex < 0 || verifyIndex >= load.Writes().size())
                    return;
                const UnitWrite& write = load.Writes().at(verifyIndex);
                const bool tuner = write.kind == UnitWrite::Kind::TunerPresets;
                Compare(QStringLiteral("EEPROM"), address,
                        tuner && !writtenTuner.isEmpty() ? writtenTuner : write.bytes, held);
                ++verifyIndex;
                QTimer::singleShot(0, this, &CliSettingsRun::VerifyNext);
            });
    connect(&transfer, &MemoryTransfer::setupBlockRead, this,
            [this](int number, const SettingsImage& held) {
                if (number != 0 || verifyIndex < 0 || verifyIndex >= load.Writes().size())
                    return;
                const UnitWrite& write = load.Writes().at(verifyIndex);
                if (write.kind != UnitWrite::Kind::CurrentSetup)
                    return;
                Compare(QStringLiteral("live setup"), 0, write.setup.BlockBytes(),
                        held.BlockBytes());
                ++verifyIndex;
                QTimer::singleShot(0, this, &CliSettingsRun::VerifyNext);
            });
    connect(&transfer, &MemoryTransfer::transferFinished, this,
            [this](MemoryTransfer::Outcome outcome) {
                if (verifyIndex < 0 || outcome == MemoryTransfer::Outcome::Completed)
                    return;
                // The engine's message, when it has one, follows the signal.
                QTimer::singleShot(0, this, [this] {
                    End(false,
                        MessageTable::Text(Message::CliFailed)
                            .arg(QStringLiteral("the read-back of what was written: ") +
                                 (transferMessage.isEmpty() ? QStringLiteral("it stopped")
                                                            : Text::OneLine(transferMessage))));
                });
            });
    connect(&transfer, &MemoryTransfer::transferFailed, this,
            [this](int, const QString& text) { transferMessage = text; });
}

void CliSettingsRun::Start()
{
    if (request.command == CliRequest::Command::Save)
        StartSave();
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
    if (!load.Start(request.file, request.dryRun))
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
    verifyIndex = 0;
    VerifyNext();
}

// Reads back, one write at a time, what the load wrote; the names are
// compared with what the unit reported when it took them.
void CliSettingsRun::VerifyNext()
{
    if (ended)
        return;
    MemoryTransfer& transfer = session.Transfer();
    const QList<UnitWrite>& writes = load.Writes();
    for (; verifyIndex < writes.size(); ++verifyIndex) {
        const UnitWrite& write = writes.at(verifyIndex);
        bool started = false;
        switch (write.kind) {
        case UnitWrite::Kind::InputName: {
            const QString held =
                KeptName(session.Status().inputNames.at(static_cast<std::size_t>(write.index)));
            if (held.compare(KeptName(write.name), Qt::CaseInsensitive) != 0)
                differences << QStringLiteral("input %1 name: the unit reports \"%2\", the file "
                                              "wrote \"%3\"")
                                   .arg(write.index + 1)
                                   .arg(held, KeptName(write.name));
            continue;
        }
        case UnitWrite::Kind::PresetStatus:
        case UnitWrite::Kind::PresetBlock:
        case UnitWrite::Kind::TunerPresets:
            started = transfer.ReadEeprom(write.address, static_cast<int>(write.bytes.size()));
            break;
        case UnitWrite::Kind::CurrentSetup:
            started = transfer.ReadCurrentSetup();
            break;
        }
        if (!started)
            End(false, MessageTable::Text(Message::CliFailed)
                           .arg(QStringLiteral("the read-back of what was written could not "
                                               "start")));
        return;
    }
    results << differences;
    if (differences.isEmpty()) {
        results << QStringLiteral("verified: the unit holds everything the file wrote");
        End(true);
        return;
    }
    const qsizetype count = differences.size();
    End(false, MessageTable::Text(Message::CliVerifyFailed)
                   .arg(count == 1 ? QStringLiteral("1 difference")
                                   : QStringLiteral("%1 differences").arg(count)));
}

void CliSettingsRun::Compare(const QString& region, int first, const QByteArray& written,
                             const QByteArray& held)
{
    for (qsizetype i = 0; i < written.size(); ++i) {
        const int want = static_cast<quint8>(written.at(i));
        const int have = i < held.size() ? static_cast<quint8>(held.at(i)) : -1;
        if (have == want)
            continue;
        differences << QStringLiteral("%1 %2: the unit holds %3, the file wrote %4")
                           .arg(region)
                           .arg(first + i)
                           .arg(have < 0 ? QStringLiteral("nothing") : Hex(have), Hex(want));
    }
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
                      QStringLiteral("tuner presets (%1 FM, %2 AM)")
                          .arg(write.tuner.FmPresets().size())
                          .arg(write.tuner.AmPresets().size()));
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
    verifyIndex = -1;
    Q_EMIT finished(ok, results, error);
}
