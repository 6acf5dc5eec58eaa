#include "setup/setup_controls.h"

#include "common/upper_case_edit.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>

namespace SetupControls {

QComboBox* NewList(QWidget* parent, const QString& name, const QString& label,
                   const QStringList& items)
{
    auto* list = new QComboBox(parent);
    list->setObjectName(name);
    SetPlace(list, label);
    list->addItems(items);
    list->setCurrentIndex(-1);
    return list;
}

void SetPlace(QComboBox* list, const QString& place)
{
    list->setAccessibleName(place);
    list->setAccessibleDescription(place);
}

QStringList ItemTexts(int count, QString (*text)(int index))
{
    QStringList items;
    for (int i = 0; i < count; ++i)
        items.append(text(i));
    return items;
}

void Select(QComboBox* list, int code)
{
    const QSignalBlocker blocker(list);
    list->setCurrentIndex(code >= 0 && code < list->count() ? code : -1);
}

int Chosen(const QComboBox* list, int loaded)
{
    const int index = list->currentIndex();
    return index >= 0 ? index : loaded;
}

void SetItems(QComboBox* list, const QStringList& items)
{
    list->clear();
    list->addItems(items);
    list->setCurrentIndex(-1);
}

QLabel* NewLabel(QWidget* parent, const QString& text, QWidget* buddy)
{
    auto* label = new QLabel(text, parent);
    label->setBuddy(buddy);
    return label;
}

QLineEdit* NewNameBox(QWidget* parent, const QString& name, const QString& label, int length)
{
    auto* box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setAccessibleName(label);
    box->setMaxLength(length);
    // Wide enough for a full name of capitals.
    box->setMinimumWidth(box->fontMetrics().horizontalAdvance(QString(length, u'W')));
    UpperCaseEdit::Apply(box);
    return box;
}

} // namespace SetupControls
