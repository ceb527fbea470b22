#include "VLMain/core/FileListModel.h"

#include <QCoreApplication>

#include <algorithm>
#include <vector>

namespace vl {

FileListModel::FileListModel(QObject *parent) : QAbstractTableModel(parent) { }

int FileListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : size();
}

int FileListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant FileListModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const FileItem &item = items_.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        switch (index.column()) {
        case kCaptionColumn:
            return item.caption;
        case kExtensionColumn:
            return item.extension;
        case kStateColumn:
            return StateText(item.state);
        }
        break;
    case Qt::CheckStateRole:
        if (index.column() == kCaptionColumn)
            return item.checked ? Qt::Checked : Qt::Unchecked;
        break;
    case Qt::ToolTipRole:
        // The state column is too narrow for a failed rename's state and reason: the tooltip
        // says both.
        if (!item.failure.isEmpty())
            return QString(StateText(item.state) + u": " + item.failure);
        if (index.column() == kCaptionColumn && suggestionSource_) {
            if (const QString suggestion = suggestionSource_(item); !suggestion.isEmpty())
                return QString(SuggestionTipOpening() + suggestion);
        }
        break;
    default:
        break;
    }
    return {};
}

QVariant FileListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case kCaptionColumn:
        return QCoreApplication::translate("FileList", "Имя файла");
    case kExtensionColumn:
        return QCoreApplication::translate("FileList", "Расширение");
    case kStateColumn:
        return QCoreApplication::translate("FileList", "Состояние");
    }
    return {};
}

Qt::ItemFlags FileListModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (index.column() == kCaptionColumn) {
        f |= Qt::ItemIsUserCheckable; // check boxes work in the busy state too
        if (editable_)
            f |= Qt::ItemIsEditable;
    }
    return f;
}

bool FileListModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)
        || index.column() != kCaptionColumn)
        return false;
    const int row = index.row();
    if (role == Qt::CheckStateRole) {
        SetChecked(row,
                   value.value<Qt::CheckState>() == Qt::Checked || value.toInt() == Qt::Checked);
        return true;
    }
    if (role == Qt::EditRole && editable_) {
        const QString text = value.toString();
        if (editHandler_) {
            editHandler_(row, text);
        } else {
            items_[row].caption = text;
            emit dataChanged(index, index);
        }
        return true;
    }
    return false;
}

void FileListModel::Clear()
{
    if (items_.isEmpty())
        return;
    beginResetModel();
    items_.clear();
    endResetModel();
}

void FileListModel::Append(FileItem item)
{
    const int row = size();
    beginInsertRows({}, row, row);
    items_.append(std::move(item));
    endInsertRows();
}

void FileListModel::Append(QList<FileItem> items)
{
    if (items.isEmpty())
        return;
    const int first = size();
    beginInsertRows({}, first, first + static_cast<int>(items.size()) - 1);
    // Into an empty list the items are taken as they are, not moved into a second array.
    if (items_.isEmpty())
        items_ = std::move(items);
    else
        items_.append(std::move(items));
    endInsertRows();
}

void FileListModel::SetItem(int row, FileItem item)
{
    items_[row] = std::move(item);
    if (!holding_) {
        emit dataChanged(index(row, 0), index(row, kColumnCount - 1));
        return;
    }
    firstHeld_ = firstHeld_ < 0 ? row : std::min(firstHeld_, row);
    lastHeld_ = std::max(lastHeld_, row);
}

void FileListModel::HoldChanges()
{
    holding_ = true;
}

void FileListModel::ShowHeldChanges()
{
    holding_ = false;
    if (firstHeld_ >= 0 && lastHeld_ < size())
        emit dataChanged(index(firstHeld_, 0), index(lastHeld_, kColumnCount - 1));
    firstHeld_ = lastHeld_ = -1;
}

bool FileListModel::AnyChecked() const
{
    return std::any_of(items_.cbegin(), items_.cend(), [](const FileItem &i) { return i.checked; });
}

void FileListModel::SetAllChecked(bool checked)
{
    for (FileItem &item : items_)
        item.checked = checked;
    if (!items_.isEmpty())
        emit dataChanged(index(0, kCaptionColumn), index(size() - 1, kCaptionColumn),
                         {Qt::CheckStateRole});
    emit MarksChanged();
}

void FileListModel::SetChecked(int row, bool checked)
{
    if (items_[row].checked == checked)
        return;
    items_[row].checked = checked;
    const QModelIndex i = index(row, kCaptionColumn);
    emit dataChanged(i, i, {Qt::CheckStateRole});
    emit MarksChanged();
}

void FileListModel::Reorder(const std::vector<int> &order)
{
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<int> newRow(order.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        newRow[static_cast<std::size_t>(order[i])] = static_cast<int>(i);
    // In place, one cycle of the permutation at a time, so that a large list is never held
    // twice: row i takes the item of row order[i], and the item that starts a cycle is held
    // until the cycle closes.
    std::vector<bool> placed(order.size(), false);
    for (std::size_t start = 0; start < order.size(); ++start) {
        if (placed[start])
            continue;
        FileItem held = std::move(items_[static_cast<qsizetype>(start)]);
        std::size_t row = start;
        for (;;) {
            placed[row] = true;
            const auto from = static_cast<std::size_t>(order[row]);
            if (from == start) {
                items_[static_cast<qsizetype>(row)] = std::move(held);
                break;
            }
            items_[static_cast<qsizetype>(row)] = std::move(items_[static_cast<qsizetype>(from)]);
            row = from;
        }
    }
    const QModelIndexList from = persistentIndexList();
    QModelIndexList to;
    to.reserve(from.size());
    for (const QModelIndex &i : from)
        to.append(index(newRow[static_cast<std::size_t>(i.row())], i.column()));
    changePersistentIndexList(from, to);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void FileListModel::SetCaptionsEditable(bool editable)
{
    editable_ = editable;
}

} // namespace vl
