#include "common/message_table.h"

#include <QFile>
#include <QHash>

namespace {

QHash<int, QString> Load()
{
    QHash<int, QString> table;
    QFile file(QStringLiteral(":/veltrix/messages.tsv"));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return table;
    while (!file.atEnd()) {
        QString line = QString::fromUtf8(file.readLine());
        if (line.endsWith(QLatin1Char('\n')))
            line.chop(1);
        if (line.startsWith(QLatin1Char('#')))
            continue;
        const qsizetype tab = line.indexOf(QLatin1Char('\t'));
        bool ok = false;
        const int id = line.left(tab).toInt(&ok);
        if (tab < 0 || !ok)
            continue;
        QString text = line.mid(tab + 1);
        text.replace(QStringLiteral("\\n"), QStringLiteral("\n"));
        table.insert(id, text);
    }
    return table;
}

} // namespace

QString MessageTable::Text(int id)
{
    static const QHash<int, QString> table = Load();
    return table.value(id);
}
