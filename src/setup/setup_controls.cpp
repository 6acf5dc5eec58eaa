#include "setup/setup_controls.h"

#include <QComboBox>
#include <QLineEdit>

#include <algorithm>

namespace SetupControls {

QComboBox* NewList(QWidget* parent, const QString& name, const QString& label,
                   const QStringList& items)
{
    auto* list = new QComboBox(parent);
    list->setObjectName(name);
    list->setAccessibleName(label);
    list->addItems(items);
    list->setCurrentIndex(-1);
    return list;
}

void Select(QComboBox* list, int code)
{
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

QLineEdit* NewNameBox(QWidget* parent, const QString& name, const QString& label, int length)
{
    auto* box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setAccessibleName(label);
    box->setMaxLength(length);
    // Wide enough for a full name of capitals.
    box->setMinimumWidth(box->fontMetrics().horizontalAdvance(QString(length, u'W')));
    QObject::connect(box, &QLineEdit::textEdited, box, [box](const QString& text) {
        const QString upper = text.toUpper();
        if (upper == text)
            return;
        const int cursor = box->cursorPosition();
        box->setText(upper);
        box->setCursorPosition(std::min(cursor, static_cast<int>(box->text().size())));
    });
    return box;
}

} // namespace SetupControls
