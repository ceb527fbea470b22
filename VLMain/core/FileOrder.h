#pragma once

// The four orders of the file list and the per-column direction flags.

#include "VLMain/core/FileItem.h"

#include <array>

namespace vl {

enum SortMode : int {
    kSortMarkedFirst = 0, // check mark first, then caption; always ascending
    kSortByCaption = 1,
    kSortByExtension = 2,
    kSortByState = 3,
};

// The direction of the next sort by each column ("Имя файла", "Расширение", "Состояние"): set
// means ascending.
struct SortFlags
{
    std::array<bool, 3> SortAscending{true, true, true};
    void SetAll() { SortAscending = {true, true, true}; }
};

// Negative when item1 goes first, positive when item2 does, 0 when they are equal in this order.
int CompareFileItems(const FileItem &item1, const FileItem &item2, int mode, const SortFlags &flags);

} // namespace vl
