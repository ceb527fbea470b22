#include "VLMain/core/FileOrder.h"

#include "VLUtils/core/Collation.h"

namespace vl {

int CompareFileItems(const FileItem &item1, const FileItem &item2, int mode, const SortFlags &flags)
{
    const auto directed = [&](int column, int result) {
        return flags.SortAscending[static_cast<std::size_t>(column)] ? result : -result;
    };
    switch (mode) {
    case kSortMarkedFirst:
        if (item1.checked != item2.checked)
            return item1.checked ? -1 : 1;
        return CompareNames(item1.caption, item2.caption);
    case kSortByCaption:
        return directed(0, CompareNames(item1.caption, item2.caption));
    case kSortByExtension:
        return directed(1, CompareNames(item1.extension, item2.extension));
    case kSortByState:
        return directed(2, CompareNames(item1.state, item2.state));
    default:
        return 0;
    }
}

} // namespace vl
