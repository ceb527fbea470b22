#include "VLMain/core/FileListModel.h"

#include "VLUtils/core/Collation.h"

#include <algorithm>
#include <numeric>
#include <vector>

namespace vl {

FileListModel::FileListModel(QObject *parent) : QAbstractTableModel(parent) {}

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
            return item.state;
        }
        break;
    case Qt::CheckStateRole:
        if (index.column() == kCaptionColumn)
            return item.checked ? Qt::Checked : Qt::Unchecked;
        break;
    case Qt::ToolTipRole:
        if (!item.failure.isEmpty())
            return item.failure;
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
        return QStringLiteral("Имя файла");
    case kExtensionColumn:
        return QStringLiteral("Расширение");
    case kStateColumn:
        return QStringLiteral("Состояние");
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
        SetChecked(row, value.value<Qt::CheckState>() == Qt::Checked
                            || value.toInt() == Qt::Checked);
        emit CheckToggled(row);
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
    items_.append(std::move(items));
    endInsertRows();
}

void FileListModel::SetItem(int row, FileItem item)
{
    items_[row] = std::move(item);
    emit dataChanged(index(row, 0), index(row, kColumnCount - 1));
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
        emit dataChanged(index(0, kCaptionColumn), index(size() - 1, kCaptionColumn), {Qt::CheckStateRole});
}

void FileListModel::SetChecked(int row, bool checked)
{
    if (items_[row].checked == checked)
        return;
    items_[row].checked = checked;
    const QModelIndex i = index(row, kCaptionColumn);
    emit dataChanged(i, i, {Qt::CheckStateRole});
}

namespace {

// One row as the sort sees it: the text that its order compares, and whether the row belongs to
// the group that goes first (marked rows, in mode 0).
struct SortEntry
{
    qsizetype offset; // of the text in the block of texts
    qsizetype size;
    int row;
    bool first;
};

const QString &SortedText(const FileItem &item, int mode)
{
    switch (mode) {
    case kSortByExtension:
        return item.extension;
    case kSortByState:
        return item.state;
    default:
        return item.caption;
    }
}

// The new order of the rows: the order of CompareFileItems in the given mode, stable. The
// compared texts are first copied side by side into one block: the sort then reads a few
// megabytes in sequence instead of a hundred thousand strings scattered over the heap, which
// on a large folder makes it several times faster.
std::vector<int> SortedOrder(const QList<FileItem> &items, int mode, const SortFlags &flags)
{
    std::vector<int> order(static_cast<std::size_t>(items.size()));
    if (mode < kSortMarkedFirst || mode > kSortByState) {
        std::iota(order.begin(), order.end(), 0);
        return order; // CompareFileItems holds every row equal: the order stays
    }
    qsizetype total = 0;
    for (const FileItem &item : items)
        total += SortedText(item, mode).size();
    std::vector<char16_t> texts(static_cast<std::size_t>(total));
    std::vector<SortEntry> entries;
    entries.reserve(order.size());
    qsizetype offset = 0;
    for (qsizetype i = 0; i < items.size(); ++i) {
        const FileItem &item = items.at(i);
        const QString &text = SortedText(item, mode);
        std::copy_n(text.utf16(), text.size(), texts.data() + offset);
        entries.push_back({offset, text.size(), static_cast<int>(i), mode == kSortMarkedFirst && item.checked});
        offset += text.size();
    }
    // As CompareFileItems: marked rows first in mode 0 (always ascending); the column's flag
    // gives the direction in modes 1 to 3.
    const bool ascending = mode == kSortMarkedFirst || flags.SortAscending[static_cast<std::size_t>(mode - 1)];
    const char16_t *base = texts.data();
    std::stable_sort(entries.begin(), entries.end(), [&](const SortEntry &a, const SortEntry &b) {
        if (a.first != b.first)
            return a.first;
        const int c = CompareNames(QStringView(base + a.offset, a.size), QStringView(base + b.offset, b.size));
        return ascending ? c < 0 : c > 0;
    });
    for (std::size_t i = 0; i < entries.size(); ++i)
        order[i] = entries[i].row;
    return order;
}

} // namespace

void FileListModel::Sort(int mode, const SortFlags &flags)
{
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const std::vector<int> order = SortedOrder(items_, mode, flags);
    QList<FileItem> sorted;
    sorted.reserve(size());
    std::vector<int> newRow(order.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        sorted.append(std::move(items_[order[i]]));
        newRow[static_cast<std::size_t>(order[i])] = static_cast<int>(i);
    }
    items_ = std::move(sorted);
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

namespace vl {

void SortByColumn(FileListModel &model, SortFlags &flags, int column)
{
    if (column < 0 || column >= FileListModel::kColumnCount)
        return;
    model.Sort(column + 1, flags);
    const bool inverted = !flags.SortAscending[static_cast<std::size_t>(column)];
    flags.SetAll();
    flags.SortAscending[static_cast<std::size_t>(column)] = inverted;
}

void SortMarkedFirst(FileListModel &model, SortFlags &flags)
{
    model.Sort(kSortMarkedFirst, flags);
    flags.SetAll();
}

} // namespace vl
