#include "VLUtils/core/Collation.h"

#include "VLUtils/core/TextRules.h"

#include <unicode/uchar.h>

#include <algorithm>
#include <array>
#include <cstdint>

namespace vl {

namespace {

// A weight is group << 24 | rank within the group. Distinct upper-case characters have distinct
// weights, which makes the second round decide equality exactly.
enum Group : std::uint32_t {
    kIgnorable = 1, // control and format characters, marks, unassigned code points
    kMark = 2, // space, punctuation and symbols
    kDigit = 3,
    kLetter = 4,
};

constexpr std::uint32_t Weight(Group g, std::uint32_t rank)
{
    return (static_cast<std::uint32_t>(g) << 24) | rank;
}

// ASCII marks in their order. The hyphen and the apostrophe come first and are passed over in
// the first round.
constexpr char kAsciiMarks[] = "'- !\"#$%&()*,./:;?@[\\]^_`{|}~+<=>";

struct Entry {
    std::uint32_t weight;
    bool firstRound; // takes part in the first round
};

Entry Classify(char32_t upper)
{
    if (upper < 0x80) {
        if (upper >= 'A' && upper <= 'Z')
            return {Weight(kLetter, upper * 2), true};
        if (upper >= '0' && upper <= '9')
            return {Weight(kDigit, upper - '0'), true};
        for (std::uint32_t i = 0; kAsciiMarks[i] != 0; ++i)
            if (static_cast<char32_t>(kAsciiMarks[i]) == upper)
                return {Weight(kMark, i), upper != '-' && upper != '\''};
        return {Weight(kIgnorable, upper), false}; // ASCII controls
    }
    const UChar32 c = static_cast<UChar32>(upper);
    switch (u_charType(c)) {
    case U_CONTROL_CHAR:
    case U_FORMAT_CHAR:
    case U_NON_SPACING_MARK:
    case U_ENCLOSING_MARK:
    case U_COMBINING_SPACING_MARK:
    case U_UNASSIGNED:
    case U_SURROGATE:
        return {Weight(kIgnorable, upper), false};
    case U_DECIMAL_DIGIT_NUMBER:
        return {Weight(kDigit, 0x100 + upper), true};
    default:
        break;
    }
    if (u_hasBinaryProperty(c, UCHAR_ALPHABETIC)) {
        if (upper == 0x0401) // Ё sorts right after Е
            return {Weight(kLetter, 0x0415 * 2 + 1), true};
        return {Weight(kLetter, upper * 2), true};
    }
    return {Weight(kMark, 0x100 + upper), true};
}

// The entries of the code points below 0x800 (ASCII, Latin, Greek, Cyrillic and the other
// alphabets that file names mostly use), so that comparing them needs no ICU call.
constexpr char32_t kTableSize = 0x800;

struct EntryTable {
    std::array<Entry, kTableSize> entries {};
    EntryTable()
    {
        for (char32_t c = 0; c < kTableSize; ++c)
            entries[c] = Classify(UpperChar(c));
    }
};

const EntryTable &Table()
{
    static const EntryTable table;
    return table;
}

// Walks the characters of a text and yields the entries of one round.
class Cursor
{
public:
    Cursor(const char16_t *s, qsizetype size, bool firstRound, const EntryTable &table) :
        s_(s),
        size_(size),
        firstRound_(firstRound),
        table_(table)
    { }

    // The weight of the next character of this round, or 0 at the end.
    std::uint32_t Next()
    {
        while (i_ < size_) {
            char32_t c = s_[i_];
            ++i_;
            if (QChar::isHighSurrogate(c) && i_ < size_ && QChar::isLowSurrogate(s_[i_])) {
                c = QChar::surrogateToUcs4(static_cast<char16_t>(c), s_[i_]);
                ++i_;
            }
            const Entry e = c < kTableSize ? table_.entries[c] : Classify(UpperChar(c));
            if (!firstRound_ || e.firstRound)
                return e.weight;
        }
        return 0;
    }

private:
    const char16_t *s_;
    qsizetype size_;
    qsizetype i_ = 0;
    bool firstRound_;
    const EntryTable &table_;
};

int CompareRound(const char16_t *a, qsizetype na, const char16_t *b, qsizetype nb, bool firstRound,
                 const EntryTable &table)
{
    Cursor ca(a, na, firstRound, table);
    Cursor cb(b, nb, firstRound, table);
    for (;;) {
        const std::uint32_t wa = ca.Next();
        const std::uint32_t wb = cb.Next();
        if (wa != wb)
            return wa < wb ? -1 : 1;
        if (wa == 0)
            return 0;
    }
}

} // namespace

int CompareNames(QStringView a, QStringView b)
{
    // Identical leading code units give both texts the same leading weights in both rounds, so
    // what follows them decides. The cut never splits a surrogate pair.
    const char16_t *pa = a.utf16();
    const char16_t *pb = b.utf16();
    const qsizetype common = std::min(a.size(), b.size());
    qsizetype i = 0;
    while (i < common && pa[i] == pb[i])
        ++i;
    if (i == a.size() && i == b.size())
        return 0;
    if (i > 0 && QChar::isHighSurrogate(pa[i - 1]))
        --i;
    const EntryTable &table = Table();
    const qsizetype na = a.size() - i;
    const qsizetype nb = b.size() - i;
    if (const int first = CompareRound(pa + i, na, pb + i, nb, true, table); first != 0)
        return first;
    return CompareRound(pa + i, na, pb + i, nb, false, table);
}

} // namespace vl
