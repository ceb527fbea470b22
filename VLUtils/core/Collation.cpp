#include "VLUtils/core/Collation.h"

#include "VLUtils/core/TextRules.h"

#include <unicode/uchar.h>

#include <array>
#include <cstdint>

namespace vl {

namespace {

// A weight is group << 24 | rank within the group. Distinct upper-case characters have distinct
// weights, which makes the second round decide equality exactly.
enum Group : std::uint32_t {
    kIgnorable = 1, // control and format characters, marks, unassigned code points
    kMark = 2,      // space, punctuation and symbols
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

struct Entry
{
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

struct AsciiTable
{
    std::array<Entry, 128> entries{};
    AsciiTable()
    {
        for (char32_t c = 0; c < 128; ++c)
            entries[c] = Classify(UpperChar(c));
    }
};

const AsciiTable kAscii;

inline Entry EntryOf(char32_t c)
{
    return c < 0x80 ? kAscii.entries[c] : Classify(UpperChar(c));
}

// Walks the characters of a text and yields the entries of one round.
class Cursor
{
public:
    Cursor(QStringView s, bool firstRound) : s_(s), firstRound_(firstRound) {}

    // The weight of the next character of this round, or 0 at the end.
    std::uint32_t Next()
    {
        while (i_ < s_.size()) {
            char32_t c = s_[i_].unicode();
            ++i_;
            if (QChar::isHighSurrogate(c) && i_ < s_.size() && s_[i_].isLowSurrogate()) {
                c = QChar::surrogateToUcs4(static_cast<char16_t>(c), s_[i_].unicode());
                ++i_;
            }
            const Entry e = EntryOf(c);
            if (!firstRound_ || e.firstRound)
                return e.weight;
        }
        return 0;
    }

private:
    QStringView s_;
    qsizetype i_ = 0;
    bool firstRound_;
};

int CompareRound(QStringView a, QStringView b, bool firstRound)
{
    Cursor ca(a, firstRound);
    Cursor cb(b, firstRound);
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
    if (const int first = CompareRound(a, b, true); first != 0)
        return first;
    return CompareRound(a, b, false);
}

} // namespace vl
