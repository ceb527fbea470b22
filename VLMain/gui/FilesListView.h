#pragma once

#include <QTableView>

#include <functional>

namespace vl {

// The report-style file list: rows with a check box before the caption, grid lines, whole-row
// single selection and clickable headers. It is a list of rows: the keys move from row to row,
// Space marks the current row, and the focus is drawn around the whole row. Its click and key
// handlers can be detached while the window is busy.
class FilesListViewWidget : public QTableView
{
    Q_OBJECT

public:
    explicit FilesListViewWidget(QWidget *parent = nullptr);

    // Called after a mouse click has taken effect.
    std::function<void()> onClick;
    // Called with each key press; true when the key was handled.
    std::function<bool(int key, Qt::KeyboardModifiers modifiers)> onKeyDown;

    void SetHandlersAttached(bool attached) { attached_ = attached; }
    bool HandlersAttached() const { return attached_; }
    // Starts the in-place edit of the selected item's caption; false when nothing is selected.
    bool EditSelectedCaption();
    // Closes an open in-place editor without committing its text.
    void CancelEdit();
    // Makes the row current and selected, in the caption's column.
    void SetCurrentRow(int row);

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    void paintEvent(QPaintEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;

private:
    bool attached_ = true;
};

} // namespace vl
