#pragma once

// The option of the benchmarks that pace the simulated line: its baud rate,
// 9600 unless named.

#include <QCommandLineOption>

namespace bench {

inline QCommandLineOption LineRateOption()
{
    return QCommandLineOption(QStringLiteral("line-rate"),
                              QStringLiteral("Baud rate of the simulated line."),
                              QStringLiteral("baud"), QStringLiteral("9600"));
}

} // namespace bench
