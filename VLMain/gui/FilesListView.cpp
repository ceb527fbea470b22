#include "VLMain/gui/FilesListView.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>

namespace vl {

FilesListViewWidget::FilesListViewWidget(QWidget *parent) : QTableView(parent)
{
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
    const QModelIndexList rows = selectionModel() ? selectionModel()->selectedRows(0) : QModelIndexList{};
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
    QTableView::keyPressEvent(event);
}

} // namespace vl
