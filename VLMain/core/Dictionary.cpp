#include "VLMain/core/Dictionary.h"

#include "VLUtils/core/Collation.h"
#include "VLUtils/core/TextRules.h"
#include "data/BuiltinData.h"
#include "platform/core/PlatformError.h"

#include <algorithm>
#include <iterator>
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

void SortedTextList::InsertAll(QStringList rows)
{
    // A stable sort keeps equal rows in their given order; the merge puts the rows already here
    // before the new rows equal to them. That is where one-by-one insertion puts them too.
    if (!std::is_sorted(rows.cbegin(), rows.cend(), NameLess()))
        std::stable_sort(rows.begin(), rows.end(), NameLess());
    if (!acceptsEqualRows_) {
        // The first of equal rows is the one that one-by-one insertion keeps.
        rows.erase(
            std::unique(rows.begin(), rows.end(),
                        [](const QString &a, const QString &b) { return CompareNames(a, b) == 0; }),
            rows.end());
        QStringList fresh;
        fresh.reserve(rows.size());
        std::set_difference(rows.cbegin(), rows.cend(), rows_.cbegin(), rows_.cend(),
                            std::back_inserter(fresh), NameLess());
        rows = std::move(fresh);
    }
    if (rows.isEmpty())
        return;
    if (rows_.size() + rows.size() > capacity_)
        ThrowListFull();
    QStringList merged;
    merged.reserve(rows_.size() + rows.size());
    std::merge(rows_.cbegin(), rows_.cend(), rows.cbegin(), rows.cend(), std::back_inserter(merged),
               NameLess());
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

void TDictionary::LoadUserNames(const QStringList &names)
{
    // Both lists are checked for room before either changes.
    if (spellings_.size() + names.size() > spellings_.capacity())
        ThrowListFull();
    // Sorted once here, the names need no second sort in either list.
    QStringList sorted = names;
    std::stable_sort(sorted.begin(), sorted.end(), NameLess());
    users_.InsertAll(sorted);
    spellings_.InsertAll(std::move(sorted));
}

void TDictionary::BuildKeys()
{
    for (const QString &row : spellings_.rows())
        keys_.Insert(UpperCase(row));
}

int TDictionary::FindName(QStringView text) const
{
    const QString key = UpperCase(text);
    const qsizetype index = keys_.IndexOf(key);
    // Equal under the collation means equal upper-case forms; confirm before the index is used
    // on the spelling list.
    if (index < 0 || keys_.at(index) != key || index >= spellings_.size())
        return -1;
    return static_cast<int>(index);
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
}

void SelfCheckNames(const QStringList &rows, SelfCheckPrompt &prompt, SelfCheckState &state)
{
    if (rows.isEmpty() || state.silenced)
        return;
    bool fault = false;
    // Reports one fault; false when the user answered No and the check must stop.
    const auto report = [&](const char16_t *opening, const QString &row) {
        fault = true;
        const QString message = QString::fromUtf16(opening) + row + u")." + u'\r'
                                + u"Приложение не будет запущено. Продолжить проверку?";
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
                if (!report(u"Найдены повторяющиеся имена файлов (", rows.at(i)))
                    return finish();
                lastReported = previous;
            }
        }
    }
    // Test 2: a row that is not its own name core.
    for (qsizetype i = 0; i < rows.size(); ++i) {
        if (!checked[static_cast<std::size_t>(i)].ownCore
            && !report(u"Найдено избыточное имя файла (", rows.at(i)))
            return finish();
    }
    // Test 3: a row shorter than two characters.
    for (const QString &row : rows) {
        if (CharCount(row) < 2 && !report(u"Найдено лишнее имя файла (", row))
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
