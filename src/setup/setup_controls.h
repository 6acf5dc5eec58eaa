#pragma once

#include <QString>
#include <QStringList>

class QComboBox;
class QLabel;
class QLineEdit;
class QWidget;

// Small helpers the setup pages share for their drop-down lists and name
// boxes. A list's index is the code its field holds; a code without an item
// shows no selection, and a list left without a selection gives its field's
// loaded code back, so an untouched control never changes the block.
namespace SetupControls {

// A drop-down list with `items`, found by `name` and read by screen readers
// as `label` (SetPlace).
QComboBox* NewList(QWidget* parent, const QString& name, const QString& label,
                   const QStringList& items);

// What a screen reader says of where the list stands ("DVD, Digital Audio").
// On Linux a list's accessible name is its current value whatever it is set
// to, so the place goes into the description as well.
void SetPlace(QComboBox* list, const QString& place);

// The texts of items 0..count-1.
QStringList ItemTexts(int count, QString (*text)(int index));

// Selects item `code`, or nothing when the list has no such item. Emits no
// signal: showing a loaded code is not a change.
void Select(QComboBox* list, int code);

// The selected item, or `loaded` when nothing is selected.
int Chosen(const QComboBox* list, int loaded);

// Replaces the items (keeping none selected).
void SetItems(QComboBox* list, const QStringList& items);

// A label naming `buddy` (its mnemonic moves the focus there).
QLabel* NewLabel(QWidget* parent, const QString& text, QWidget* buddy);

// A name box: at most `length` characters, typed letters forced to upper case.
QLineEdit* NewNameBox(QWidget* parent, const QString& name, const QString& label, int length);

} // namespace SetupControls
