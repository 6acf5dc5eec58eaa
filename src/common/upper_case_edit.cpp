#include "common/upper_case_edit.h"

#include <QLineEdit>

#include <algorithm>

void UpperCaseEdit::Apply(QLineEdit* field)
{
    QObject::connect(field, &QLineEdit::textEdited, field, [field](const QString& text) {
        const QString upper = text.toUpper();
        if (upper == text)
            return;
        const int cursor = field->cursorPosition();
        field->setText(upper);
        field->setCursorPosition(std::min(cursor, static_cast<int>(field->text().size())));
    });
}
