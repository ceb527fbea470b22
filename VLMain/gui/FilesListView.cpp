#include "VLMain/gui/FilesListView.h"

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPen>
#include <QStyledItemDelegate>

namespace vl {

namespace {

// Draws the cells without the focus frame of a single cell: the list draws one around the row.
class RowDelegate final : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        option->state &= ~QStyle::State_HasFocus;
    }
};

} // namespace

FilesListViewWidget::FilesListViewWidget(QWidget *parent) : QTableView(parent)
{
    setItemDelegate(new RowDelegate(this));
    setShowGrid(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::SelectedClicked);
    setWordWrap(false);
    setTabKeyNavigation(false); // Tab moves on to the next control
    setTextElideMode(Qt::ElideRight);
    setCornerButtonEnabled(false);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->setStretchLastSection(false);
}

bool FilesListViewWidget::EditSelectedCaption()
{
    const QModelIndexList rows
        = selectionModel() ? selectionModel()->selectedRows(0) : QModelIndexList {};
    if (rows.isEmpty())
        return false;
    setCurrentIndex(rows.first());
    edit(rows.first());
    return true;
}

void FilesListViewWidget::CancelEdit()
{
    if (state() != QAbstractItemView::EditingState)
        return;
    // The delegate's editor is a line edit on the viewport.
    const QList<QLineEdit *> editors = viewport()->findChildren<QLineEdit *>();
    for (QLineEdit *editor : editors)
        closeEditor(editor, QAbstractItemDelegate::RevertModelCache);
}

void FilesListViewWidget::SetCurrentRow(int row)
{
    if (!model() || row < 0 || row >= model()->rowCount())
        return;
    setCurrentIndex(model()->index(row, 0));
}

void FilesListViewWidget::mouseReleaseEvent(QMouseEvent *event)
{
    QTableView::mouseReleaseEvent(event);
    if (attached_ && onClick)
        onClick();
}

void FilesListViewWidget::keyPressEvent(QKeyEvent *event)
{
    if (attached_ && onKeyDown && onKeyDown(event->key(), event->modifiers())) {
        event->accept();
        return;
    }
    // The menu key and Shift+F10 open the list's menu at the current row, as a right click opens
    // it at the row clicked; left to the window, Shift+F10 would open it in the list's middle.
    const Qt::KeyboardModifiers mods
        = event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    if ((event->key() == Qt::Key_Menu && mods == Qt::NoModifier)
        || (event->key() == Qt::Key_F10 && mods == Qt::ShiftModifier)) {
        // The row's rectangle is in the viewport, where the list's menu requests are placed.
        const QPoint at = visualRect(currentIndex()).center();
        QContextMenuEvent request(QContextMenuEvent::Keyboard, at, viewport()->mapToGlobal(at));
        QCoreApplication::sendEvent(this, &request);
        event->accept();
        return;
    }
    // Space marks the current row whatever cell the cursor is in; marks work while busy too.
    if (event->key() == Qt::Key_Space && !(event->modifiers() & ~Qt::KeypadModifier)) {
        const QModelIndex current = currentIndex();
        if (current.isValid()) {
            const QModelIndex box = current.sibling(current.row(), 0);
            const bool checked = box.data(Qt::CheckStateRole).toInt() == Qt::Checked;
            model()->setData(box, checked ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
            selectionModel()->select(box, QItemSelectionModel::ClearAndSelect
                                              | QItemSelectionModel::Rows);
        }
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

QModelIndex FilesListViewWidget::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers)
{
    // The list moves between rows, never between cells: the cursor stays in the caption's column.
    if (!model() || model()->rowCount() == 0)
        return {};
    const int last = model()->rowCount() - 1;
    const QModelIndex current = currentIndex();
    int row = current.isValid() ? current.row() : -1;
    switch (action) {
    case MoveHome:
        row = 0;
        break;
    case MoveEnd:
        row = last;
        break;
    case MoveLeft:
    case MoveRight:
    case MoveNext:
    case MovePrevious:
        if (row < 0)
            row = 0; // the list gets a current row when it takes the focus
        break;
    default: {
        const QModelIndex moved = QTableView::moveCursor(action, modifiers);
        row = moved.isValid() ? moved.row() : (row < 0 ? 0 : row);
        break;
    }
    }
    return model()->index(row, 0);
}

void FilesListViewWidget::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    QTableView::currentChanged(current, previous);
    // The focus frame goes around the whole row: the old and the new row are drawn again.
    for (const QModelIndex &i : {previous, current})
        if (i.isValid())
            viewport()->update(
                QRect(0, rowViewportPosition(i.row()), viewport()->width(), rowHeight(i.row())));
}

void FilesListViewWidget::focusInEvent(QFocusEvent *event)
{
    QTableView::focusInEvent(event);
    // The list takes the focus with a current row (the first, when it had none), and that row is
    // the selected one: F2 edits where the focus frame is.
    const QModelIndex current = currentIndex();
    if (current.isValid() && selectionModel()
        && !selectionModel()->isRowSelected(current.row(), {}))
        selectionModel()->select(current,
                                 QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    viewport()->update();
}

void FilesListViewWidget::focusOutEvent(QFocusEvent *event)
{
    QTableView::focusOutEvent(event);
    viewport()->update();
}

void FilesListViewWidget::paintEvent(QPaintEvent *event)
{
    QTableView::paintEvent(event);
    if (!hasFocus())
        return;
    // The focused row, or the whole empty list, in a dotted frame: the user sees where the keys
    // go. The style's own focus frame is drawn in the selection's colour, which a selected row
    // would hide.
    const QModelIndex current = currentIndex();
    QRect frame = viewport()->rect().adjusted(1, 1, -2, -2);
    QColor colour = palette().color(QPalette::Text);
    if (current.isValid()) {
        const int last = model()->columnCount() - 1;
        const int right = columnViewportPosition(last) + columnWidth(last);
        frame = QRect(0, rowViewportPosition(current.row()), right, rowHeight(current.row()))
                    .adjusted(0, 0, -1, -1);
        if (selectionModel()->isRowSelected(current.row(), current.parent()))
            colour = palette().color(QPalette::HighlightedText);
    }
    QPainter painter(viewport());
    painter.setPen(QPen(colour, 1, Qt::DotLine));
    painter.drawRect(frame);
}

} // namespace vl
