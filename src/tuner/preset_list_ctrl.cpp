#include "tuner/preset_list_ctrl.h"

#include "common/upper_case_edit.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScrollBar>

#include <utility>

namespace {

constexpr int DataRole = Qt::UserRole;

QTableWidgetItem* CentredItem(const QString& text)
{
    auto* item = new QTableWidgetItem(text);
    item->setTextAlignment(Qt::AlignCenter);
    return item;
}

} // namespace

PresetListCtrl::PresetListCtrl(QWidget* parent) : QTableWidget(parent)
{
    setShowGrid(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    verticalHeader()->hide();
    horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setHighlightSections(false);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

void PresetListCtrl::SetColumns(const QStringList& titles, const QList<int>& widths)
{
    setColumnCount(static_cast<int>(titles.size()));
    setHorizontalHeaderLabels(titles);
    int total = 0;
    for (int column = 0; column < columnCount() && column < widths.size(); ++column) {
        horizontalHeader()->setSectionResizeMode(column, QHeaderView::Fixed);
        setColumnWidth(column, widths[column]);
        total += widths[column];
    }
    // Fixed widths keep the edit bounds on their column.
    horizontalHeader()->setStretchLastSection(false);
    setMinimumWidth(total + 2 * frameWidth() + verticalScrollBar()->sizeHint().width());
}

void PresetListCtrl::AddRow(const QStringList& texts, int rowData)
{
    const int row = rowCount();
    insertRow(row);
    for (int column = 0; column < columnCount(); ++column)
        setItem(row, column, CentredItem(texts.value(column)));
    SetRowData(row, rowData);
}

void PresetListCtrl::DeleteAllRows()
{
    CloseEdit();
    EndDrag();
    setRowCount(0);
}

QString PresetListCtrl::Text(int row, int column) const
{
    const QTableWidgetItem* cell = item(row, column);
    return cell ? cell->text() : QString();
}

int PresetListCtrl::RowData(int row) const
{
    const QTableWidgetItem* cell = item(row, 0);
    return cell ? cell->data(DataRole).toInt() : -1;
}

void PresetListCtrl::SetRowData(int row, int value)
{
    if (QTableWidgetItem* cell = item(row, 0))
        cell->setData(DataRole, value);
}

void PresetListCtrl::SwapRows(int a, int b)
{
    if (columnCount() < 1 || a < 0 || b < 0 || a >= rowCount() || b >= rowCount() || a == b)
        return;
    for (int column = 1; column < columnCount(); ++column) {
        QTableWidgetItem* first = takeItem(a, column);
        QTableWidgetItem* second = takeItem(b, column);
        setItem(a, column, second);
        setItem(b, column, first);
    }
    const int dataOfA = RowData(a);
    SetRowData(a, RowData(b));
    SetRowData(b, dataOfA);
}

// A point on a row's cells; the empty area below the last row and beside
// the last column is no row.
int PresetListCtrl::RowAt(const QPoint& point) const
{
    const QModelIndex index = indexAt(point);
    return index.isValid() ? index.row() : -1;
}

void PresetListCtrl::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        const int row = RowAt(event->position().toPoint());
        if (IsEditing() && row != editRow)
            CommitEdit();
        clickedRow = row;
        dragPossible = true;
        pressPoint = event->position().toPoint();
    }
    QTableWidget::mousePressEvent(event);
}

void PresetListCtrl::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint point = event->position().toPoint();
    if (dragRow < 0 && dragPossible && (event->buttons() & Qt::LeftButton) &&
        (point - pressPoint).manhattanLength() >= QApplication::startDragDistance()) {
        // The drag takes the row that was pressed, not the one under the
        // pointer now; a press beside the rows begins nothing.
        dragPossible = false;
        dragRow = RowAt(pressPoint);
        if (dragRow >= 0) {
            CommitEdit();
            viewport()->setCursor(Qt::DragMoveCursor);
        }
    }
    if (dragRow < 0) {
        QTableWidget::mouseMoveEvent(event);
        return;
    }
    const int row = RowAt(point);
    if (row >= 0 && row != dragRow)
        DragTo(row);
}

void PresetListCtrl::DragTo(int row)
{
    const int from = dragRow;
    const int step = row > from ? 1 : -1;
    for (int at = from; at != row; at += step)
        SwapRows(at, at + step);
    setCurrentCell(row, 0);
    scrollToItem(item(row, 0), QAbstractItemView::EnsureVisible);
    dragRow = row;
    Q_EMIT rowDragged(from, row);
}

void PresetListCtrl::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        dragPossible = false;
        EndDrag();
    }
    QTableWidget::mouseReleaseEvent(event);
}

void PresetListCtrl::EndDrag()
{
    if (std::exchange(dragRow, -1) >= 0)
        viewport()->unsetCursor();
}

void PresetListCtrl::mouseDoubleClickEvent(QMouseEvent* event)
{
    const QPoint point = event->position().toPoint();
    const int x = point.x() + horizontalOffset();
    const int row = RowAt(point);
    if (event->button() == Qt::LeftButton && editLeft < x && x < editRight && row >= 0 &&
        columnCount() > EditColumn) {
        OpenEdit(row);
        return;
    }
    QTableWidget::mouseDoubleClickEvent(event);
}

void PresetListCtrl::OpenEdit(int row)
{
    CommitEdit();
    const QRect cell = visualItemRect(item(row, 0));
    auto* field = new QLineEdit(viewport());
    field->setObjectName(QStringLiteral("nameEdit"));
    field->setMaxLength(NameLength);
    field->setFrame(false);
    field->setAlignment(Qt::AlignCenter);
    UpperCaseEdit::Apply(field);
    field->setGeometry(editLeft - horizontalOffset(), cell.top(), editRight - editLeft,
                       cell.height());
    field->setText(Text(row, EditColumn));
    field->selectAll();
    field->setModified(false);
    field->installEventFilter(this);
    field->show();
    field->setFocus();
    edit = field;
    editRow = row;
}

QLineEdit* PresetListCtrl::NameEditor() const
{
    return edit.data();
}

bool PresetListCtrl::CommitEdit()
{
    if (edit.isNull())
        return false;
    const QString text = edit->text().left(NameLength);
    const int row = editRow;
    CloseEdit();
    QTableWidgetItem* cell = item(row, EditColumn);
    if (!text.isEmpty() && cell) {
        cell->setText(text);
        Q_EMIT editCommitted(row);
    }
    return true;
}

void PresetListCtrl::CloseEdit()
{
    editRow = -1;
    if (QLineEdit* field = edit.data()) {
        edit = nullptr;
        field->removeEventFilter(this);
        field->hide();
        field->deleteLater();
        setFocus();
    }
}

bool PresetListCtrl::eventFilter(QObject* watched, QEvent* event)
{
    // Enter and Escape end the edit and go no further: they would close the
    // dialog around the list.
    if (watched == edit.data() && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            CommitEdit();
            return true;
        }
        if (key == Qt::Key_Escape) {
            CloseEdit();
            return true;
        }
    }
    return QTableWidget::eventFilter(watched, event);
}
