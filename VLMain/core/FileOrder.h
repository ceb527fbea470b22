#pragma once

// The four orders of the file list, the per-column direction flags, and the sorts that the
// window's commands run.

#include "VLMain/core/FileItem.h"

#include <QList>
#include <QStringView>

#include <array>
#include <vector>

namespace vl {

class FileListModel;

enum class SortMode {
    MarkedFirst = 0, // check mark first, then caption; always ascending
    ByCaption = 1,
    ByExtension = 2,
    ByState = 3,
};

// The direction of the next sort by each column ("Имя файла", "Расширение", "Состояние"): set
// means ascending.
struct SortFlags {
    std::array<bool, 3> SortAscending {true, true, true};
    void SetAll() { SortAscending = {true, true, true}; }
};

// What one order compares of an item: the text of its column, and whether the item belongs to
// the group that goes first (the marked items, in the marked-first order).
struct SortKey {
    QStringView text;
    bool first = false;
};

// One of the four orders in the direction that the flags give it: the one comparator of the
// list, used by its sort.
class ItemOrder
{
public:
    ItemOrder(SortMode mode, const SortFlags &flags);

    SortKey KeyOf(const FileItem &item) const;
    // Negative when a goes first, positive when b does, 0 when they are equal in this order.
    int Compare(const SortKey &a, const SortKey &b) const;
    int Compare(const FileItem &a, const FileItem &b) const { return Compare(KeyOf(a), KeyOf(b)); }
    // Whether the texts go in ascending order; the group that goes first does so either way.
    bool Ascending() const { return ascending_; }

private:
    SortMode mode_;
    bool ascending_;
};

// Where a sort puts items that its order finds equal.
enum class Ties {
    Kept, // in the order they stood in
    ByDiskName, // by their names on disk, byte for byte, whatever order they stood in
};

// The rows of items in the given order: element i is the old row of the item that goes to row i.
std::vector<int> SortedOrder(const QList<FileItem> &items, SortMode mode, const SortFlags &flags,
                             Ties ties = Ties::Kept);

// The list's own sort, in the order of ItemOrder; stable unless told otherwise.
void SortItems(FileListModel &model, SortMode mode, const SortFlags &flags, Ties ties = Ties::Kept);

// A click on the header of column k (0 to 2): sorts by that column in the direction that its
// flag holds, inverts that flag and sets the other two.
void SortByColumn(FileListModel &model, SortFlags &flags, int column);

// The order after a rename pass: marked items first, then all flags set.
void SortMarkedFirst(FileListModel &model, SortFlags &flags);

// The order after a scan: by caption in the direction of the first flag, which is then inverted.
// Captions that differ only in letter case (case twins such as «readme.TXT» and «README.txt») go
// in the byte order of their names, not in the order the folder listed them: the twin that a
// pass renames first, and so the one that gets the styled name, is the same on every machine.
void SortAfterScan(FileListModel &model, SortFlags &flags);

} // namespace vl
