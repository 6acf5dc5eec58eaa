#pragma once

#include <QString>
#include <QStringList>

class QComboBox;
class QLineEdit;
class QWidget;

// Small helpers the setup pages share for their drop-down lists and name
// boxes. A list's index is the code its field holds; a code without an item
// shows no selection, and a list left without a selection gives its field's
// loaded code back, so an untouched control never changes the block.
namespace SetupControls {

// A drop-down list with `items`, found by `name` and read by screen readers
// as `label`.
QComboBox* NewList(QWidget* parent, const QString& name, const QString& label,
                   const QStringList& items);

// Selects item `code`, or nothing when the list has no such item.
void Select(QComboBox* list, int code);

// The selected item, or `loaded` when nothing is selected.
int Chosen(const QComboBox* list, int loaded);

// Replaces the items (keeping none selected).
void SetItems(QComboBox* list, const QStringList& items);

// A name box: at most `length` characters, typed letters forced to upper case.
QLineEdit* NewNameBox(QWidget* parent, const QString& name, const QString& label, int length);

} // namespace SetupControls
