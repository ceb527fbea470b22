#pragma once

// The two name dictionaries. Each is three lists ordered by the collation: the spelling list
// (the canonical spellings), the key list (the upper-case form of each spelling, row for row) and
// the user list (the user's own additions, written to the user name file).

#include "VLUtils/core/Collation.h"

#include <QCoreApplication>
#include <QHash>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace vl {

// Texts put in the collation's order once, each with its sort key, to be inserted into more than
// one list. Equal texts keep their given order.
class SortedTexts
{
public:
    // Takes the texts over and moves them into their order.
    explicit SortedTexts(QStringList texts);
    // Makes each viewed text afresh, in its order: the lists that hold them then have them side
    // by side in memory in list order, which makes reading them, and freeing them at the end,
    // several times faster than in the scattered order of a file of random names.
    explicit SortedTexts(const QList<QStringView> &texts);
    SortedTexts(const SortedTexts &) = delete;
    SortedTexts &operator=(const SortedTexts &) = delete;

    const QStringList &texts() const { return sorted_; }

    // One text of a sorted list.
    struct Row {
        NameKey key;
        const char16_t *data;
        quint32 size;
        quint32 index; // its place in the given order, which decides between equal texts
        QStringView text() const { return QStringView(data, size); }
    };
    static Row RowOf(QStringView text, qsizetype index);
    static std::vector<Row> RowsOf(const QStringList &texts);

private:
    friend class SortedTextList;
    void Sort();
    // Points the rows at the sorted texts.
    void Rebind();

    QStringList sorted_;
    std::vector<Row> order_; // row i is sorted_[i]
};

// A list of texts kept in ascending collation order.
class SortedTextList
{
public:
    // Rows at most; one more insertion raises "Unable to insert a line". Far above any real
    // dictionary, it keeps a damaged or hostile user name file from growing a list without end.
    static constexpr qsizetype kCapacity = 1'000'000;

    // A list that accepts equal rows puts a new row after those equal to it; one that does not
    // drops the new row without notice.
    explicit SortedTextList(bool acceptsEqualRows, qsizetype capacity = kCapacity) :
        acceptsEqualRows_(acceptsEqualRows),
        capacity_(capacity)
    { }

    // The index at which the row now stands, or -1 when it was dropped.
    qsizetype Insert(const QString &row);
    // Inserts every row as Insert would, one after the other in the given order, but in one sort
    // and one merge. Raises "Unable to insert a line", with the list unchanged, when the rows do
    // not all fit.
    void InsertAll(QStringList rows) { InsertAll(SortedTexts(std::move(rows))); }
    void InsertAll(const SortedTexts &rows);
    // The index of a row equal to text under the collation, or -1.
    qsizetype IndexOf(QStringView text) const;

    qsizetype size() const { return rows_.size(); }
    bool isEmpty() const { return rows_.isEmpty(); }
    const QString &at(qsizetype i) const { return rows_.at(i); }
    const QStringList &rows() const { return rows_; }
    bool IsFull() const { return rows_.size() >= capacity_; }
    qsizetype capacity() const { return capacity_; }

private:
    QStringList rows_;
    bool acceptsEqualRows_;
    qsizetype capacity_;
};

class TDictionary
{
public:
    explicit TDictionary(qsizetype capacity = SortedTextList::kCapacity) :
        spellings_(true, capacity),
        keys_(false, capacity),
        users_(false, capacity)
    { }

    // The built-in rows, stored before anything else.
    void SetBuiltinRows(const QStringList &rows);
    // The names of the user name file, in file order: into the user list and the spelling list,
    // with no test, as if inserted one by one. Raises "Unable to insert a line", with nothing
    // loaded, when they do not fit.
    void LoadUserNames(QStringList names);
    // The same from views of the file's text, each name made once in its place in the lists.
    void LoadUserNameViews(const QList<QStringView> &names);
    // Builds the key list from the spelling list.
    void BuildKeys();

    // Index in the key list of the upper-case form of text, or -1. Whole texts only.
    int FindName(QStringView text) const;
    QString SpellingAt(int index) const { return spellings_.at(index); }
    // Whether the spelling list holds text, letter case ignored.
    bool ContainsName(QStringView text) const;
    // Adds text to the user, spelling and key lists unless the spelling list holds it already.
    void AddName(const QString &text);

    int Count() const { return static_cast<int>(spellings_.size()); }
    const QStringList &Spellings() const { return spellings_.rows(); }
    const QStringList &Keys() const { return keys_.rows(); }
    const QStringList &UserList() const { return users_.rows(); }

private:
    void LoadSorted(const SortedTexts &names);

    SortedTextList spellings_;
    SortedTextList keys_;
    // Each key's index in keys_: a pass asks FindName once or twice per file, and the hash
    // answers without the binary search's collation comparisons. Keys are unique and equal
    // under the collation exactly when equal as texts, so both give the same index. Made again
    // at the first lookup after the key list changed (not safe for lookups from two threads).
    mutable QHash<QString, int> keyIndex_;
    mutable bool keyIndexStale_ = true;
    SortedTextList users_;
};

// Answers the self-check's messages: true for Yes (go on), false for No (stop asking).
class SelfCheckPrompt
{
public:
    virtual ~SelfCheckPrompt() = default;
    virtual bool Continue(const QString &message) = 0;
};

inline QString SelfCheckCaption()
{
    return QCoreApplication::translate("Dictionary", "Ошибка самопроверки Vorlant");
}

struct SelfCheckState {
    bool faultFound = false; // a fault was found: the program must end after start-up
    bool silenced = false; // the user answered No: no further message is shown
};

// The three tests over one spelling list, in its order.
void SelfCheckNames(const QStringList &rows, SelfCheckPrompt &prompt, SelfCheckState &state);

struct TDictionaries {
    TDictionary full; // whole file names
    TDictionary names; // name cores
};

// Fills both dictionaries with the built-in rows, loads the user's names through loadUserNames
// (when given), runs the self-check over both and builds the key lists. Returns true when the
// program must end after start-up.
bool PrepareDictionaries(TDictionaries &dictionaries, SelfCheckPrompt &prompt,
                         const std::function<void(TDictionaries &)> &loadUserNames = {});

// The dictionary side of adding the name of a file item: which dictionary its caption goes to
// and the text added (the name core of the caption).
struct NameToAdd {
    bool fullName = false;
    QString text;
};
NameToAdd NameToAddFor(const QString &caption, const QString &extension);

} // namespace vl
