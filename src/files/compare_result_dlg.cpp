#include "files/compare_result_dlg.h"

#include "common/message_table.h"
#include "files/configuration_compare.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

CompareResultDlg::CompareResultDlg(const QString& path, const QStringList& differences,
                                   const QString& notCompared, QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(MessageTable::Text(Message::CompareTitle));
    setAttribute(Qt::WA_DeleteOnClose);
    auto* layout = new QVBoxLayout(this);

    auto* file = new QLabel(QFileInfo(path).fileName(), this);
    file->setObjectName(QStringLiteral("file"));
    file->setToolTip(path);
    layout->addWidget(file);

    const qsizetype count = differences.size();
    summary =
        new QLabel(count == 0 ? MessageTable::Text(Message::UnitMatchesFile)
                              : MessageTable::Text(Message::CompareDifferences)
                                    .arg(count == 1 ? QStringLiteral("1 difference")
                                                    : QStringLiteral("%1 differences").arg(count)),
                   this);
    summary->setObjectName(QStringLiteral("summary"));
    summary->setWordWrap(true);
    layout->addWidget(summary);

    list = new QListWidget(this);
    list->setObjectName(QStringLiteral("differences"));
    list->setAccessibleName(QStringLiteral("Differences"));
    list->addItems(differences);
    list->setVisible(count > 0);
    list->setMinimumWidth(560);
    summary->setBuddy(list);
    layout->addWidget(list, 1);

    // The command line's line, as a sentence of the window.
    auto* never = new QLabel(notCompared.left(1).toUpper() + notCompared.mid(1) + u'.', this);
    never->setObjectName(QStringLiteral("notCompared"));
    never->setWordWrap(true);
    layout->addWidget(never);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    layout->addWidget(buttons);
}

QString CompareResultDlg::Summary() const
{
    return summary->text();
}

QStringList CompareResultDlg::Differences() const
{
    QStringList rows;
    for (int i = 0; i < list->count(); ++i)
        rows << list->item(i)->text();
    return rows;
}
