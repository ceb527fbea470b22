#include "VLMain/core/FileOrder.h"

#include "VLMain/core/FileListModel.h"
#include "VLUtils/core/Collation.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <iterator>
#include <utility>

namespace vl {

namespace {

std::size_t FlagOf(SortMode mode)
{
    return static_cast<std::size_t>(static_cast<int>(mode) - 1);
}

} // namespace

ItemOrder::ItemOrder(SortMode mode, const SortFlags &flags) :
    mode_(mode),
    ascending_(mode == SortMode::MarkedFirst || flags.SortAscending[FlagOf(mode)])
{ }

SortKey ItemOrder::KeyOf(const FileItem &item) const
{
    switch (mode_) {
    case SortMode::ByExtension:
        return {item.extension, false};
    case SortMode::ByState:
        return {StateText(item.state), false};
    case SortMode::MarkedFirst:
        return {item.caption, item.checked};
    case SortMode::ByCaption:
        break;
    }
    return {item.caption, false};
}

int ItemOrder::Compare(const SortKey &a, const SortKey &b) const
{
    if (a.first != b.first)
        return a.first ? -1 : 1;
    const int c = CompareNames(a.text, b.text);
    return ascending_ ? c : -c;
}

namespace {

// One row as the sort moves it, kept to 32 bytes: its key's text in the block, and the start of
// that text's place in the order.
struct SortEntry {
    NameKey name;
    const char16_t *text;
    std::uint32_t size : 31;
    std::uint32_t first : 1;
    int row;
    SortKey Key() const { return {QStringView(text, size), first != 0}; }
};
static_assert(sizeof(SortEntry) == 32);

// Orders the entries by their group (the first group first), then by their name keys, ascending
// or descending, keeping the order of entries equal in both: a radix sort over the bytes of the
// keys, least significant first, then the group. A byte that every entry shares moves nothing and
// is passed over, as are the unused ends of short keys.
void SortByNameKeys(std::vector<SortEntry> &entries, bool ascending)
{
    constexpr int kKeyBytes = 16;
    const auto byteOf = [ascending](const SortEntry &e, int at) -> unsigned {
        if (at == kKeyBytes)
            return e.first ? 0 : 1;
        std::uint64_t word = at < 8 ? e.name.low : e.name.high;
        if (!ascending)
            word = ~word;
        return static_cast<unsigned>(word >> (8 * (at % 8))) & 0xff;
    };
    std::vector<SortEntry> moved(entries.size());
    for (int at = 0; at <= kKeyBytes; ++at) {
        std::array<std::size_t, 256> starts {};
        for (const SortEntry &e : entries)
            ++starts[byteOf(e, at)];
        if (std::find(starts.cbegin(), starts.cend(), entries.size()) != starts.cend())
            continue;
        std::size_t sum = 0;
        for (std::size_t &start : starts)
            sum += std::exchange(start, sum);
        for (const SortEntry &e : entries)
            moved[starts[byteOf(e, at)]++] = e;
        entries.swap(moved);
    }
}

} // namespace

// The compared texts are first copied side by side into one block: the sort then reads a few
// megabytes in sequence instead of a hundred thousand strings scattered over the heap, which on
// a large folder makes it several times faster. Most rows are put in place by the name keys of
// their texts, which read no text at all; only rows whose keys are equal compare their texts.
std::vector<int> SortedOrder(const QList<FileItem> &items, SortMode mode, const SortFlags &flags,
                             Ties ties)
{
    const ItemOrder order(mode, flags);
    qsizetype total = 0;
    for (const FileItem &item : items)
        total += order.KeyOf(item).text.size();
    std::vector<char16_t> texts(static_cast<std::size_t>(total));
    std::vector<SortEntry> entries;
    entries.reserve(static_cast<std::size_t>(items.size()));
    char16_t *next = texts.data();
    for (qsizetype i = 0; i < items.size(); ++i) {
        const SortKey key = order.KeyOf(items.at(i));
        std::copy_n(key.text.utf16(), key.text.size(), next);
        entries.push_back({NameKeyOf(key.text), next, static_cast<std::uint32_t>(key.text.size()),
                           key.first ? 1U : 0U, static_cast<int>(i)});
        next += key.text.size();
    }
    const auto less = [&](const SortEntry &a, const SortEntry &b) {
        if (const int c = order.Compare(a.Key(), b.Key()); c != 0 || ties == Ties::Kept)
            return c < 0;
        return items.at(a.row).diskName < items.at(b.row).diskName;
    };
    // Rows already in order within each group, as after a rename pass (which changes captions in
    // letter case alone), need only their groups put apart: one look at each row, no sort.
    const auto outOfOrder = [&](const SortEntry &before, const SortEntry &after) {
        if (before.name != after.name)
            return order.Ascending() ? after.name < before.name : before.name < after.name;
        return less(after, before);
    };
    std::array<const SortEntry *, 2> last {nullptr, nullptr};
    const bool inOrder = std::none_of(entries.cbegin(), entries.cend(), [&](const SortEntry &e) {
        const SortEntry *&previous = last[e.first];
        const bool out = previous && outOfOrder(*previous, e);
        previous = &e;
        return out;
    });
    if (inOrder) {
        std::stable_partition(entries.begin(), entries.end(),
                              [](const SortEntry &e) { return e.first != 0; });
    } else {
        // Where two keys differ, the texts compare as the keys do; each run of equal keys, still
        // in its listed order, is then sorted by the texts themselves.
        SortByNameKeys(entries, order.Ascending());
        for (auto run = entries.begin(); run != entries.end();) {
            auto end = std::next(run);
            while (end != entries.end() && end->first == run->first && end->name == run->name)
                ++end;
            if (std::distance(run, end) > 1)
                std::stable_sort(run, end, less);
            run = end;
        }
    }
    std::vector<int> rows(entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i)
        rows[i] = entries[i].row;
    return rows;
}

void SortItems(FileListModel &model, SortMode mode, const SortFlags &flags, Ties ties)
{
    model.Reorder(SortedOrder(model.items(), mode, flags, ties));
}

void SortByColumn(FileListModel &model, SortFlags &flags, int column)
{
    if (column < 0 || column >= FileListModel::kColumnCount)
        return;
    SortItems(model, static_cast<SortMode>(column + 1), flags);
    const bool inverted = !flags.SortAscending[static_cast<std::size_t>(column)];
    flags.SetAll();
    flags.SortAscending[static_cast<std::size_t>(column)] = inverted;
}

void SortMarkedFirst(FileListModel &model, SortFlags &flags)
{
    SortItems(model, SortMode::MarkedFirst, flags);
    flags.SetAll();
}

void SortAfterScan(FileListModel &model, SortFlags &flags)
{
    SortItems(model, SortMode::ByCaption, flags, Ties::ByDiskName);
    flags.SortAscending[0] = !flags.SortAscending[0];
}

} // namespace vl
