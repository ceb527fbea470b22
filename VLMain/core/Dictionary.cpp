#include "VLMain/core/Dictionary.h"

#include "VLUtils/core/Collation.h"
#include "VLUtils/core/TextRules.h"
#include "data/BuiltinData.h"
#include "platform/core/PlatformError.h"

#include <algorithm>
#include <iterator>
#include <limits>
#include <vector>

namespace vl {

namespace {

[[noreturn]] void ThrowListFull()
{
    throw PlatformError(QStringLiteral("Unable to insert a line"));
}

// Whether every character of the text is ASCII.
bool IsAscii(QStringView text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
}

// What the self-check compares of one row: the upper-case form of the row and of its name core.
struct CheckedRow {
    QString upper;
    QString upperCore; // the upper-case form of the row's name core (test 1)
    bool ownCore = false; // the upper-case form is its own name core (test 2)
};

CheckedRow CheckRow(const QString &row)
{
    CheckedRow r;
    r.upper = UpperCase(row);
    const QString coreOfUpper = ExtractNameCore(r.upper);
    r.ownCore = r.upper == coreOfUpper;
    // For ASCII text, taking the core and taking the upper-case form commute (the cased
    // characters are the letters either way), so one core serves both tests.
    r.upperCore
        = IsAscii(row) ? (r.ownCore ? r.upper : coreOfUpper) : UpperCase(ExtractNameCore(row));
    return r;
}

using Row = SortedTexts::Row;

// The collation's order of two rows: -1, 0 or +1. Most comparisons read only the keys, which lie
// side by side in one block, and not the texts spread over the heap.
int Compare(const Row &a, const Row &b)
{
    if (a.key != b.key)
        return a.key < b.key ? -1 : 1;
    return CompareNames(a.text(), b.text());
}

bool Less(const Row &a, const Row &b)
{
    return Compare(a, b) < 0;
}

} // namespace

qsizetype SortedTextList::Insert(const QString &row)
{
    // Rows mostly arrive in ascending order (the built-in data, the key lists): try the end first.
    qsizetype place = rows_.size();
    if (!rows_.isEmpty()) {
        const int last = CompareNames(rows_.constLast(), row);
        if (last == 0 && !acceptsEqualRows_)
            return -1;
        if (last > 0) {
            const auto it = std::upper_bound(rows_.cbegin(), rows_.cend(), row, NameLess());
            if (!acceptsEqualRows_ && it != rows_.cbegin() && CompareNames(*(it - 1), row) == 0)
                return -1;
            place = it - rows_.cbegin();
        }
    }
    if (IsFull())
        ThrowListFull();
    rows_.insert(place, row);
    return place;
}

Row SortedTexts::RowOf(QStringView text, qsizetype index)
{
    // No list row is that long; a name of 4 G characters is refused as a full list would be.
    if (text.size() > std::numeric_limits<quint32>::max())
        ThrowListFull();
    return {NameKeyOf(text), text.utf16(), static_cast<quint32>(text.size()),
            static_cast<quint32>(index)};
}

std::vector<Row> SortedTexts::RowsOf(const QStringList &texts)
{
    std::vector<Row> rows;
    rows.reserve(static_cast<std::size_t>(texts.size()));
    for (qsizetype i = 0; i < texts.size(); ++i)
        rows.push_back(RowOf(texts.at(i), i));
    return rows;
}

void SortedTexts::Sort()
{
    const auto stableLess = [](const Row &a, const Row &b) {
        const int c = Compare(a, b);
        return c != 0 ? c < 0 : a.index < b.index;
    };
    if (!std::is_sorted(order_.cbegin(), order_.cend(), stableLess))
        std::sort(order_.begin(), order_.end(), stableLess);
}

void SortedTexts::Rebind()
{
    for (qsizetype i = 0; i < sorted_.size(); ++i) {
        Row &row = order_[static_cast<std::size_t>(i)];
        row.data = QStringView(sorted_.at(i)).utf16();
        row.index = static_cast<quint32>(i);
    }
}

SortedTexts::SortedTexts(QStringList texts) : order_(RowsOf(texts))
{
    Sort();
    // Moved, not copied: no reference count is touched.
    sorted_.reserve(texts.size());
    for (const Row &row : order_)
        sorted_.append(std::move(texts[row.index]));
    Rebind();
}

SortedTexts::SortedTexts(const QList<QStringView> &texts)
{
    order_.reserve(static_cast<std::size_t>(texts.size()));
    for (qsizetype i = 0; i < texts.size(); ++i)
        order_.push_back(RowOf(texts.at(i), i));
    Sort();
    sorted_.reserve(texts.size());
    for (const Row &row : order_)
        sorted_.append(row.text().toString());
    Rebind();
}

void SortedTextList::InsertAll(const SortedTexts &rows)
{
    const auto equal = [](const Row &a, const Row &b) { return Compare(a, b) == 0; };
    const std::vector<Row> &given = rows.order_;
    if (rows_.isEmpty()
        && (acceptsEqualRows_
            || std::adjacent_find(given.cbegin(), given.cend(), equal) == given.cend())) {
        // Nothing to merge with and nothing to drop: the list is the sorted texts themselves.
        if (rows.texts().size() > capacity_)
            ThrowListFull();
        rows_ = rows.texts();
        return;
    }
    // The rows already here go first among equal ones: that is where one-by-one insertion puts
    // the new ones too.
    std::vector<Row> fresh = given;
    const std::vector<Row> present = SortedTexts::RowsOf(rows_);
    if (!acceptsEqualRows_) {
        // The first of equal rows is the one that one-by-one insertion keeps.
        fresh.erase(std::unique(fresh.begin(), fresh.end(), equal), fresh.end());
        std::vector<Row> absent;
        absent.reserve(fresh.size());
        std::set_difference(fresh.cbegin(), fresh.cend(), present.cbegin(), present.cend(),
                            std::back_inserter(absent), Less);
        fresh = std::move(absent);
    }
    if (fresh.empty())
        return;
    if (rows_.size() + static_cast<qsizetype>(fresh.size()) > capacity_)
        ThrowListFull();
    // The merge takes the texts of both lists by sharing, not copying; among equal rows the ones
    // already here go first.
    QStringList merged;
    merged.reserve(rows_.size() + static_cast<qsizetype>(fresh.size()));
    auto here = present.cbegin();
    auto added = fresh.cbegin();
    while (here != present.cend() || added != fresh.cend()) {
        if (added == fresh.cend() || (here != present.cend() && !Less(*added, *here)))
            merged.append(rows_.at((here++)->index));
        else
            merged.append(rows.texts().at((added++)->index));
    }
    rows_ = std::move(merged);
}

qsizetype SortedTextList::IndexOf(QStringView text) const
{
    const auto it
        = std::lower_bound(rows_.cbegin(), rows_.cend(), text,
                           [](const QString &a, QStringView b) { return CompareNames(a, b) < 0; });
    if (it == rows_.cend() || CompareNames(*it, text) != 0)
        return -1;
    return it - rows_.cbegin();
}

void TDictionary::SetBuiltinRows(const QStringList &rows)
{
    for (const QString &row : rows)
        spellings_.Insert(row);
}

void TDictionary::LoadUserNames(QStringList names)
{
    // Both lists are checked for room before either changes.
    if (spellings_.size() + names.size() > spellings_.capacity())
        ThrowListFull();
    LoadSorted(SortedTexts(std::move(names)));
}

void TDictionary::LoadUserNameViews(const QList<QStringView> &names)
{
    if (spellings_.size() + names.size() > spellings_.capacity())
        ThrowListFull();
    LoadSorted(SortedTexts(names));
}

void TDictionary::LoadSorted(const SortedTexts &names)
{
    // Sorted once, the names need no second sort in either list.
    users_.InsertAll(names);
    spellings_.InsertAll(names);
}

void TDictionary::BuildKeys()
{
    for (const QString &row : spellings_.rows())
        keys_.Insert(UpperCase(row));
    keyIndexStale_ = true;
}

int TDictionary::FindName(QStringView text) const
{
    if (keyIndexStale_) {
        keyIndex_.clear();
        keyIndex_.reserve(keys_.size());
        for (qsizetype i = 0; i < keys_.size(); ++i)
            keyIndex_.insert(keys_.at(i), static_cast<int>(i));
        keyIndexStale_ = false;
    }
    // The key is made in a buffer kept from one lookup to the next: a pass asks twice per file.
    thread_local QString key;
    UpperCaseInto(key, text);
    const auto found = keyIndex_.constFind(key);
    if (found == keyIndex_.cend() || *found >= spellings_.size())
        return -1;
    return *found;
}

bool TDictionary::ContainsName(QStringView text) const
{
    return spellings_.IndexOf(text) >= 0;
}

void TDictionary::AddName(const QString &text)
{
    if (ContainsName(text))
        return;
    // Refuse before any list changes, so that a full list never leaves the three lists apart.
    if (spellings_.IsFull() || keys_.IsFull() || users_.IsFull())
        ThrowListFull();
    users_.Insert(text);
    spellings_.Insert(text);
    keys_.Insert(UpperCase(text));
    keyIndexStale_ = true;
}

void SelfCheckNames(const QStringList &rows, SelfCheckPrompt &prompt, SelfCheckState &state)
{
    if (rows.isEmpty() || state.silenced)
        return;
    bool fault = false;
    // Reports one fault; false when the user answered No and the check must stop.
    const auto report = [&](const char *finding, const QString &row) {
        fault = true;
        const QString message
            = QCoreApplication::translate("Dictionary", finding).arg(row) + u'\r'
              + QCoreApplication::translate("Dictionary",
                                            "Приложение не будет запущено. Продолжить проверку?");
        if (!prompt.Continue(message)) {
            state.silenced = true;
            return false;
        }
        return true;
    };
    const auto finish = [&] { state.faultFound = state.faultFound || fault; };

    std::vector<CheckedRow> checked;
    checked.reserve(static_cast<std::size_t>(rows.size()));
    for (const QString &row : rows)
        checked.push_back(CheckRow(row));

    // Test 1: neighbours with equal cores.
    QString lastReported;
    for (qsizetype i = 1; i < rows.size(); ++i) {
        const QString &previous = checked[static_cast<std::size_t>(i - 1)].upperCore;
        if (checked[static_cast<std::size_t>(i)].upperCore == previous) {
            fault = true;
            if (previous != lastReported) {
                if (!report(
                        QT_TRANSLATE_NOOP("Dictionary", "Найдены повторяющиеся имена файлов (%1)."),
                        rows.at(i)))
                    return finish();
                lastReported = previous;
            }
        }
    }
    // Test 2: a row that is not its own name core.
    for (qsizetype i = 0; i < rows.size(); ++i) {
        if (!checked[static_cast<std::size_t>(i)].ownCore
            && !report(QT_TRANSLATE_NOOP("Dictionary", "Найдено избыточное имя файла (%1)."),
                       rows.at(i)))
            return finish();
    }
    // Test 3: a row shorter than two characters.
    for (const QString &row : rows) {
        if (CharCount(row) < 2
            && !report(QT_TRANSLATE_NOOP("Dictionary", "Найдено лишнее имя файла (%1)."), row))
            return finish();
    }
    finish();
}

bool PrepareDictionaries(TDictionaries &dictionaries, SelfCheckPrompt &prompt,
                         const std::function<void(TDictionaries &)> &loadUserNames)
{
    dictionaries.full.SetBuiltinRows(data::BuiltinFullNames());
    dictionaries.names.SetBuiltinRows(data::BuiltinNames());
    if (loadUserNames)
        loadUserNames(dictionaries);
    SelfCheckState state;
    SelfCheckNames(dictionaries.full.Spellings(), prompt, state);
    SelfCheckNames(dictionaries.names.Spellings(), prompt, state);
    dictionaries.full.BuildKeys();
    dictionaries.names.BuildKeys();
    return state.faultFound;
}

NameToAdd NameToAddFor(const QString &caption, const QString &extension)
{
    return {caption.contains(u'.') && extension.isEmpty(), ExtractNameCore(caption)};
}

} // namespace vl
