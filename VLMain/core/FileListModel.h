#pragma once

// The file items as the rows of a table: column 0 the caption with its check mark, column 1 the
// extension, column 2 the state text.

#include "VLMain/core/FileItem.h"

#include <QAbstractTableModel>
#include <QCoreApplication>
#include <QList>

#include <functional>
#include <vector>

namespace vl {

inline QString SuggestionTipOpening()
{
    return QCoreApplication::translate("FileList", "Предлагаемое написание: ");
}

class FileListModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column { kCaptionColumn = 0, kExtensionColumn = 1, kStateColumn = 2, kColumnCount = 3 };

    // Decides what a committed caption edit does; without one, the caption takes the text.
    using EditHandler = std::function<void(int row, const QString &text)>;
    // The suggested caption of an item whose name no dictionary holds; empty when there is none.
    using SuggestionSource = std::function<QString(const FileItem &item)>;

    explicit FileListModel(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;

    void Clear();
    void Append(FileItem item);
    void Append(QList<FileItem> items);
    int size() const { return static_cast<int>(items_.size()); }
    bool isEmpty() const { return items_.isEmpty(); }
    const FileItem &at(int row) const { return items_.at(row); }
    const QList<FileItem> &items() const { return items_; }
    // Replaces one item and tells the views, or, while changes are held, keeps its row for later.
    void SetItem(int row, FileItem item);
    // From HoldChanges on, SetItem tells the views nothing; ShowHeldChanges tells them of every row
    // changed since, at once, and ends the hold. The rename pass holds them: its window is
    // minimised, and a signal per file would have the list drawn at every message break.
    void HoldChanges();
    void ShowHeldChanges();
    // Moves one item out, for SetItem to put back, so that changing it copies nothing; the row
    // holds an empty item meanwhile, and nothing may be shown or sorted before it is back.
    FileItem TakeItem(int row) { return std::move(items_[row]); }

    bool AnyChecked() const;
    void SetAllChecked(bool checked);
    void SetChecked(int row, bool checked);

    // Puts the rows in a new order: order[i] is the row that becomes row i (a permutation of the
    // rows, as SortedOrder gives). Selections and the current row move with their items.
    void Reorder(const std::vector<int> &order);

    void SetCaptionsEditable(bool editable);
    bool CaptionsEditable() const { return editable_; }
    void SetEditHandler(EditHandler handler) { editHandler_ = std::move(handler); }
    // Asked only when a caption's tooltip is wanted, so listing and renaming never pay for it.
    void SetSuggestionSource(SuggestionSource source) { suggestionSource_ = std::move(source); }

signals:
    // A mark was set or cleared through the view, SetChecked or SetAllChecked (not by SetItem,
    // which the rename pass and the adding of names use).
    void MarksChanged();

private:
    QList<FileItem> items_;
    bool holding_ = false;
    int firstHeld_ = -1; // the rows changed while held, first to last; -1: none
    int lastHeld_ = -1;
    bool editable_ = true;
    EditHandler editHandler_;
    SuggestionSource suggestionSource_;
};

} // namespace vl
