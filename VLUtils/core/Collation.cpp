#include "VLUtils/core/Collation.h"

#include "VLUtils/core/TextRules.h"

#include <unicode/uchar.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <vector>

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
    // The distinct weights of the first round among these code points, ascending; a sort key
    // codes a weight by its place here (see NameKeyOf).
    std::vector<std::uint32_t> keyWeights;
    std::array<std::uint16_t, kTableSize> keyCodes {}; // the code of each code point's weight
    int keyBits = 0; // bits of one code in a sort key
    EntryTable()
    {
        for (char32_t c = 0; c < kTableSize; ++c) {
            entries[c] = Classify(UpperChar(c));
            if (entries[c].firstRound)
                keyWeights.push_back(entries[c].weight);
        }
        std::sort(keyWeights.begin(), keyWeights.end());
        keyWeights.erase(std::unique(keyWeights.begin(), keyWeights.end()), keyWeights.end());
        keyBits = std::bit_width(2 * keyWeights.size() + 1);
        for (char32_t c = 0; c < kTableSize; ++c) {
            const auto at
                = std::lower_bound(keyWeights.cbegin(), keyWeights.cend(), entries[c].weight);
            keyCodes[c] = static_cast<std::uint16_t>(2 * (at - keyWeights.cbegin()) + 2);
        }
    }
};

const EntryTable &Table()
{
    static const EntryTable table;
    return table;
}

// Yields the code point at s[i] and moves i past it; a surrogate pair is one code point.
char32_t NextCodePoint(const char16_t *s, qsizetype size, qsizetype &i)
{
    char32_t c = s[i];
    ++i;
    if (QChar::isHighSurrogate(c) && i < size && QChar::isLowSurrogate(s[i])) {
        c = QChar::surrogateToUcs4(static_cast<char16_t>(c), s[i]);
        ++i;
    }
    return c;
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
            const char32_t c = NextCodePoint(s_, size_, i_);
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

NameKey NameKeyOf(QStringView text)
{
    // The key is the sequence of the first round's weights, each coded by its place p among the
    // table's weights: 2p + 2 for a weight of the table, 2p + 1 for one that falls between the
    // table's weights p - 1 and p. Codes keep the order of the weights, and 0 (the end of the
    // round) comes before every code, as the end of a text does. An odd code stands for many
    // weights, so the key ends after it: two keys equal up to there are equal, and the texts
    // decide.
    const EntryTable &table = Table();
    const int bits = table.keyBits;
    const int perWord = 64 / bits;
    NameKey key;
    int placed = 0;
    const char16_t *s = text.utf16();
    for (qsizetype i = 0; i < text.size() && placed < 2 * perWord;) {
        const char32_t c = NextCodePoint(s, text.size(), i);
        std::uint64_t code = 0;
        bool known = true;
        if (c < kTableSize) {
            if (!table.entries[c].firstRound)
                continue;
            code = table.keyCodes[c];
        } else {
            const Entry e = Classify(UpperChar(c));
            if (!e.firstRound)
                continue;
            const auto at
                = std::lower_bound(table.keyWeights.cbegin(), table.keyWeights.cend(), e.weight);
            const auto place = static_cast<std::uint64_t>(at - table.keyWeights.cbegin());
            known = at != table.keyWeights.cend() && *at == e.weight;
            code = known ? 2 * place + 2 : 2 * place + 1;
        }
        std::uint64_t &word = placed < perWord ? key.high : key.low;
        word |= code << (64 - bits * (placed % perWord + 1));
        ++placed;
        if (!known)
            break;
    }
    return key;
}

} // namespace vl
