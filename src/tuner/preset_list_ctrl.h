#pragma once

#include <QList>
#include <QPoint>
#include <QPointer>
#include <QStringList>
#include <QTableWidget>

class QLineEdit;

// A report list of tuner presets with grid lines and whole-row selection,
// and three additions: rows can be dragged to another position, the fourth
// column can be edited in place, and the list remembers the row of the last
// left-button press.
//
// A drag moves the dragged row's texts (every column but the first) and its
// item data to the row under the pointer, shifting the rows between by one
// place; the first column (the preset number) stays where it is. Every step
// of a drag to another row is announced with rowDragged.
//
// The in-place edit opens on a double click strictly between the edit
// bounds (x in list coordinates, both 0 = no edit) on a row. It takes at most
// NameLength characters, turns letters to upper case, and is committed by a
// press on another row, by Enter, or by CommitEdit; a commit of an empty edit
// keeps the old text. Escape closes it without a change.
class PresetListCtrl : public QTableWidget
{
    Q_OBJECT

public:
    static constexpr int EditColumn = 3;
    static constexpr int NameLength = 8;

    explicit PresetListCtrl(QWidget* parent = nullptr);

    // The columns with their header texts and fixed widths (pixels); every
    // text is centred.
    void SetColumns(const QStringList& titles, const QList<int>& widths);
    // Appends a row of texts, the first for the fixed column; `data` is the
    // row's item data.
    void AddRow(const QStringList& texts, int rowData);
    // Deletes every row; an open edit is closed without a commit.
    void DeleteAllRows();

    QString Text(int row, int column) const;
    // The row's item data; -1 outside the rows.
    int RowData(int row) const;
    void SetRowData(int row, int value);

    void SetEditColumnLeft(int x) { editLeft = x; }
    void SetEditColumnRight(int x) { editRight = x; }
    // Row of the last left-button press; -1 when it hit no row or none came.
    int ClickedRow() const { return clickedRow; }
    bool IsEditing() const { return !edit.isNull(); }
    // The open in-place edit, null when none.
    QLineEdit* NameEditor() const;
    // Commits an open in-place edit; false when none was open.
    bool CommitEdit();

    // Exchanges the texts of every column but the first and the item data
    // of rows a and b; nothing when either is not a row.
    void SwapRows(int a, int b);

Q_SIGNALS:
    // A drag moved the dragged row from one row to another.
    void rowDragged(int from, int to);
    // An in-place edit put its text into the row.
    void editCommitted(int row);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int RowAt(const QPoint& point) const;
    void DragTo(int row);
    void EndDrag();
    void OpenEdit(int row);
    void CloseEdit();

    int editLeft = 0;
    int editRight = 0;
    int editRow = -1;
    int clickedRow = -1;
    int dragRow = -1;
    // The left button went down at pressPoint and no drag was begun since.
    bool dragPossible = false;
    QPoint pressPoint;
    QPointer<QLineEdit> edit;
};
