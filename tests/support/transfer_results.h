#pragma once

#include "transfer/transfer_result.h"

#include <QString>
#include <QStringList>

// A result as one line a test can compare: its kind, and what it carries.
//   DataRead     "block K", "tuner step S, AM1 F", "range A HEX"
//   PresetEmpty  "empty K"
//   Written      "written C/T", with " clamped P, ..." when the unit kept some
//   Failed       "failed C/T", with " refused A, ..." when the unit refused some
//   Aborted      "aborted C/T"
inline QString Describe(const TransferResult& result)
{
    const auto list = [](const QList<int>& numbers) {
        QStringList texts;
        for (int n : numbers)
            texts << QString::number(n);
        return texts.join(QStringLiteral(", "));
    };
    const QString counts = QStringLiteral("%1/%2").arg(result.confirmed).arg(result.total);
    switch (result.kind) {
    case TransferResult::Kind::DataRead:
        if (result.address >= 0)
            return QStringLiteral("range %1 %2")
                .arg(result.address)
                .arg(QString::fromLatin1(result.bytes.toHex()));
        if (result.amStepSize > 0)
            return QStringLiteral("tuner step %1, AM1 %2")
                .arg(result.amStepSize)
                .arg(result.tuner.AmPresets().value(0).frequency);
        return QStringLiteral("block %1").arg(result.presetNumber);
    case TransferResult::Kind::PresetEmpty:
        return QStringLiteral("empty %1").arg(result.presetNumber);
    case TransferResult::Kind::Written:
        return QStringLiteral("written ") + counts +
               (result.clamped.isEmpty() ? QString()
                                         : QStringLiteral(" clamped ") + list(result.clamped));
    case TransferResult::Kind::Failed:
        return QStringLiteral("failed ") + counts +
               (result.refused.isEmpty() ? QString()
                                         : QStringLiteral(" refused ") + list(result.refused));
    case TransferResult::Kind::Aborted:
        break;
    }
    return QStringLiteral("aborted ") + counts;
}
