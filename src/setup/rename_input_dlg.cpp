#include "setup/rename_input_dlg.h"

#include "common/upper_case_edit.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QList>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QList<std::optional<QString>> answers;
QString lastOldName;
int shown = 0;

} // namespace

RenameInputDlg::RenameInputDlg(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Rename Input"));
    setObjectName(QStringLiteral("renameInput"));

    oldEdit = new QLineEdit(this);
    oldEdit->setObjectName(QStringLiteral("oldName"));
    oldEdit->setMaxLength(NameLength);
    oldEdit->setEnabled(false);
    newEdit = new QLineEdit(this);
    newEdit->setObjectName(QStringLiteral("newName"));
    newEdit->setMaxLength(NameLength);
    // Wide enough for thirteen of the widest capitals.
    newEdit->setMinimumWidth(newEdit->fontMetrics().horizontalAdvance(QString(NameLength, u'W')));
    UpperCaseEdit::Apply(newEdit);

    auto* save = new QPushButton(QStringLiteral("Save"), this);
    save->setObjectName(QStringLiteral("save"));
    save->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("cancel"));
    connect(save, &QPushButton::clicked, this, [this] {
        newName = newEdit->text();
        accept();
    });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* fields = new QGridLayout;
    auto* oldLabel = new QLabel(QStringLiteral("Old Name:"), this);
    oldLabel->setBuddy(oldEdit);
    oldEdit->setAccessibleName(QStringLiteral("Old Name"));
    auto* newLabel = new QLabel(QStringLiteral("&New Name:"), this);
    newLabel->setBuddy(newEdit);
    newEdit->setAccessibleName(QStringLiteral("New Name"));
    fields->addWidget(oldLabel, 0, 0);
    fields->addWidget(oldEdit, 0, 1);
    fields->addWidget(newLabel, 1, 0);
    fields->addWidget(newEdit, 1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(save);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addLayout(buttons);
    setFixedSize(sizeHint());
}

void RenameInputDlg::SetNames(const QString& oldName, const QString& name)
{
    oldEdit->setText(oldName);
    newEdit->setText(name.toUpper());
    newEdit->selectAll();
    newName = newEdit->text();
}

QString RenameInputDlg::OldName() const
{
    return oldEdit->text();
}

bool RenameInputDlg::Run()
{
    ++shown;
    lastOldName = OldName();
    if (!answers.isEmpty()) {
        const std::optional<QString> answer = answers.takeFirst();
        if (!answer)
            return false;
        newName = *answer;
        return true;
    }
    newEdit->setFocus();
    return exec() == QDialog::Accepted;
}

void RenameInputDlg::SetNextAnswer(const std::optional<QString>& name)
{
    answers.append(name);
}

QString RenameInputDlg::LastOldName()
{
    return lastOldName;
}

int RenameInputDlg::Shown()
{
    return shown;
}
