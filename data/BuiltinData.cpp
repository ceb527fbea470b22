#include "data/BuiltinData.h"

#include <QString>

#include <algorithm>
#include <cstddef>

namespace vl::data {

extern const unsigned char kNamesText[];
extern const std::size_t kNamesTextSize;
extern const unsigned char kFullNamesText[];
extern const std::size_t kFullNamesTextSize;
extern const unsigned char kNameRanksText[];
extern const std::size_t kNameRanksTextSize;
extern const unsigned char kCompoundWordsText[];
extern const std::size_t kCompoundWordsTextSize;
extern const unsigned char kRunSpellingsText[];
extern const std::size_t kRunSpellingsTextSize;

namespace {

// One row a line, UTF-8; a trailing carriage return is tolerated and blank lines are skipped.
// Each row is decoded from its own bytes, so no copy of the whole text is made and split.
QStringList SplitRows(const unsigned char *bytes, std::size_t size)
{
    const char *text = reinterpret_cast<const char *>(bytes);
    const char *const end = text + size;
    QStringList rows;
    rows.reserve(std::count(text, end, '\n') + 1);
    while (text < end) {
        const char *lineEnd = std::find(text, end, '\n');
        const char *rowEnd = lineEnd;
        if (rowEnd > text && rowEnd[-1] == '\r')
            --rowEnd;
        if (rowEnd > text)
            rows.append(QString::fromUtf8(text, rowEnd - text));
        text = lineEnd == end ? end : lineEnd + 1;
    }
    return rows;
}

} // namespace

QStringList BuiltinNames()
{
    return SplitRows(kNamesText, kNamesTextSize);
}

QList<int> BuiltinNameRanks()
{
    // One decimal number a line, written by the build.
    QList<int> ranks;
    int value = 0;
    bool inNumber = false;
    for (std::size_t i = 0; i < kNameRanksTextSize; ++i) {
        const unsigned char c = kNameRanksText[i];
        if (c >= '0' && c <= '9') {
            value = value * 10 + (c - '0');
            inNumber = true;
        } else if (inNumber) {
            ranks.append(value);
            value = 0;
            inNumber = false;
        }
    }
    if (inNumber)
        ranks.append(value);
    return ranks;
}

QList<CompoundWord> BuiltinCompoundWords()
{
    // «spelling <TAB> rank <TAB> projects inside compounds», written by the build; read from the
    // bytes directly, as the words are gathered at the first suggestion the user asks for.
    const char *text = reinterpret_cast<const char *>(kCompoundWordsText);
    const char *const end = text + kCompoundWordsTextSize;
    const auto number = [](const char *from, const char *to) {
        int value = 0;
        for (; from < to && *from >= '0' && *from <= '9'; ++from)
            value = value * 10 + (*from - '0');
        return value;
    };
    QList<CompoundWord> words;
    words.reserve(std::count(text, end, '\n'));
    while (text < end) {
        const char *lineEnd = std::find(text, end, '\n');
        const char *first = std::find(text, lineEnd, '\t');
        const char *second = first == lineEnd ? lineEnd : std::find(first + 1, lineEnd, '\t');
        if (first > text && second < lineEnd)
            words.append({QString::fromUtf8(text, first - text), number(first + 1, second),
                          number(second + 1, lineEnd)});
        text = lineEnd == end ? end : lineEnd + 1;
    }
    return words;
}

QByteArrayView BuiltinRunSpellings()
{
    return QByteArrayView(kRunSpellingsText, static_cast<qsizetype>(kRunSpellingsTextSize));
}

QStringList BuiltinFullNames()
{
    return SplitRows(kFullNamesText, kFullNamesTextSize);
}

} // namespace vl::data
