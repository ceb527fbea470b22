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

QStringList BuiltinFullNames()
{
    return SplitRows(kFullNamesText, kFullNamesTextSize);
}

} // namespace vl::data
