#include "link/protocol_trace.h"

#include "common/local_file.h"
#include "link/message_set.h"
#include "link/unit_link.h"

#include <cstdint>

namespace {

const char* TypeName(std::uint8_t type)
{
    switch (type) {
    case MessageType::Variable:
        return "Variable";
    case MessageType::Set:
        return "Set";
    case MessageType::Key:
        return "Key";
    case MessageType::Version:
        return "Version";
    case MessageType::StorePreset:
        return "StorePreset";
    case MessageType::PsName:
        return "PsName";
    case MessageType::RadioText:
        return "RadioText";
    case MessageType::LiveSetup:
        return "LiveSetup";
    case MessageType::Eeprom:
        return "Eeprom";
    default:
        return nullptr;
    }
}

const char* VariableName(std::uint8_t variable)
{
    switch (variable) {
    case Variable::Model:
        return "Model";
    case Variable::MainPower:
        return "MainPower";
    case Variable::MainVolume:
        return "MainVolume";
    case Variable::MainMute:
        return "MainMute";
    case Variable::ZoneVolume:
        return "ZoneVolume";
    case Variable::ZoneMute:
        return "ZoneMute";
    case Variable::TapeMonitor:
        return "TapeMonitor";
    case Variable::Treble:
        return "Treble";
    case Variable::Bass:
        return "Bass";
    case Variable::SignalType:
        return "SignalType";
    case Variable::SurroundMode:
        return "SurroundMode";
    case Variable::TunerBand:
        return "TunerBand";
    case Variable::AmFrequency:
        return "AmFrequency";
    case Variable::FmFrequency:
        return "FmFrequency";
    case Variable::FmMute:
        return "FmMute";
    case Variable::ZonePower:
        return "ZonePower";
    case Variable::MainSource:
        return "MainSource";
    case Variable::ZoneSource:
        return "ZoneSource";
    case Variable::InputName:
        return "InputName";
    case Variable::AmPreset:
        return "AmPreset";
    case Variable::FmPreset:
        return "FmPreset";
    case Variable::SpeakersA:
        return "SpeakersA";
    case Variable::SpeakersB:
        return "SpeakersB";
    case Variable::ToneDefeat:
        return "ToneDefeat";
    case Variable::All:
        return "All";
    default:
        return nullptr;
    }
}

QString Hex(std::uint8_t value)
{
    return QStringLiteral("0x%1").arg(value, 2, 16, QLatin1Char('0'));
}

QString VariableText(std::uint8_t variable)
{
    const char* name = VariableName(variable);
    return name ? QLatin1String(name) : QStringLiteral("variable %1").arg(variable);
}

QString MemoryOpText(std::uint8_t op)
{
    switch (op) {
    case MemoryOp::Read:
        return QStringLiteral("read");
    case MemoryOp::Write:
        return QStringLiteral("write");
    case MemoryOp::EndWrite:
        return QStringLiteral("end of write");
    default:
        return QStringLiteral("op %1").arg(op);
    }
}

// Text from the line with control bytes shown as '.', so a trace stays text.
QString Printable(const QByteArray& bytes)
{
    QString text = QString::fromLatin1(bytes);
    for (QChar& c : text) {
        if (!c.isPrint())
            c = QLatin1Char('.');
    }
    return QStringLiteral("\"%1\"").arg(text);
}

std::uint8_t ByteAt(const QByteArray& payload, qsizetype i)
{
    return static_cast<std::uint8_t>(payload[i]);
}

// To the unit always a query ({20, variable}, the input name's with its
// index); from it a report with the value bytes.
QString DescribeVariable(const QByteArray& payload, bool fromUnit)
{
    const qsizetype size = payload.size();
    if (size < 2)
        return {};
    const std::uint8_t variable = ByteAt(payload, 1);
    QString text = (fromUnit ? QStringLiteral(" report ") : QStringLiteral(" query ")) +
                   VariableText(variable);
    if (variable == Variable::InputName && size >= 3) {
        text += QStringLiteral(" index %1").arg(ByteAt(payload, 2));
        if (fromUnit)
            text += QLatin1Char(' ') + Printable(payload.mid(3));
    } else if (variable == Variable::Model && fromUnit) {
        text += QLatin1Char(' ') + Printable(payload.mid(2));
    } else if (size >= 3) {
        text += QLatin1Char(' ') + Hex(ByteAt(payload, 2));
    }
    return text;
}

// Requests carry an operation byte; replies start with the index or
// address. Addresses are 16-bit little-endian.
QString DescribeMemory(const QByteArray& payload, bool fromUnit)
{
    const qsizetype size = payload.size();
    const bool eeprom = ByteAt(payload, 0) == MessageType::Eeprom;
    QString text;
    qsizetype i = 1;
    if (fromUnit)
        text += QStringLiteral(" reply");
    else if (size > i)
        text += QLatin1Char(' ') + MemoryOpText(ByteAt(payload, i++));
    if (eeprom && size >= i + 2) {
        text +=
            QStringLiteral(" address %1").arg(ByteAt(payload, i) | (ByteAt(payload, i + 1) << 8));
        i += 2;
    } else if (!eeprom && size > i) {
        text += QStringLiteral(" index %1").arg(ByteAt(payload, i++));
    }
    if (size > i)
        text += QLatin1Char(' ') + Hex(ByteAt(payload, i));
    return text;
}

} // namespace

ProtocolTrace::ProtocolTrace(UnitLink& link, QObject* parent) : QObject(parent)
{
    connect(&link, &UnitLink::payloadSent, this,
            [this](const QByteArray& payload) { WriteLine(false, payload); });
    connect(&link, &UnitLink::payloadReceived, this,
            [this](const QByteArray& payload) { WriteLine(true, payload); });
}

bool ProtocolTrace::Open(const QString& path)
{
    file.close();
    openError.clear();
    if (!LocalFile::OpenForWriting(path, file, QIODevice::Unbuffered, &openError))
        return false;
    clock.start();
    return true;
}

// Payload bytes come from the line: every index is checked against the size.
QString ProtocolTrace::Describe(const QByteArray& payload, bool fromUnit)
{
    if (payload.isEmpty())
        return QStringLiteral("empty");
    const qsizetype size = payload.size();
    const std::uint8_t type = ByteAt(payload, 0);
    const char* typeName = TypeName(type);
    QString text = typeName ? QLatin1String(typeName) : QStringLiteral("type %1").arg(type);
    switch (type) {
    case MessageType::Variable:
        return text + DescribeVariable(payload, fromUnit);
    case MessageType::Set:
        if (size >= 2)
            text += QLatin1Char(' ') + VariableText(ByteAt(payload, 1));
        if (size >= 3)
            text += QLatin1Char(' ') + Hex(ByteAt(payload, 2));
        break;
    case MessageType::Key:
    case MessageType::StorePreset:
        if (size >= 2)
            text += QStringLiteral(" %1").arg(ByteAt(payload, 1));
        break;
    case MessageType::Version:
        text += size >= 3 ? QStringLiteral(" report v%1.%2")
                                .arg(ByteAt(payload, 1))
                                .arg(ByteAt(payload, 2), 2, 10, QLatin1Char('0'))
                          : QStringLiteral(" query");
        break;
    case MessageType::PsName:
    case MessageType::RadioText:
        text += QLatin1Char(' ') + Printable(payload.mid(1));
        break;
    case MessageType::LiveSetup:
    case MessageType::Eeprom:
        return text + DescribeMemory(payload, fromUnit);
    default:
        break;
    }
    return text;
}

void ProtocolTrace::NoteResend(int waitedMs, int nextWaitMs)
{
    Write(QStringLiteral("!! resend: no reply in %1 ms; the wait is now %2 ms")
              .arg(waitedMs)
              .arg(nextWaitMs));
}

void ProtocolTrace::WriteLine(bool fromUnit, const QByteArray& payload)
{
    Write(QStringLiteral("%1 %2 | %3")
              .arg(fromUnit ? QStringLiteral("<-") : QStringLiteral("->"),
                   Describe(payload, fromUnit), QString::fromLatin1(payload.toHex(' '))));
}

void ProtocolTrace::Write(const QString& text)
{
    if (!file.isOpen())
        return;
    const double seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
    const QByteArray line = QStringLiteral("%1 %2\n").arg(seconds, 10, 'f', 3).arg(text).toUtf8();
    if (file.write(line) != line.size()) {
        const QString reason = file.errorString();
        file.close();
        Q_EMIT traceStopped(reason);
    }
}
