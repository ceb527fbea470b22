#include "data/BuiltinData.h"

#include <QString>

#include <cstddef>

namespace vl::data {

extern const unsigned char kNamesText[];
extern const std::size_t kNamesTextSize;
extern const unsigned char kFullNamesText[];
extern const std::size_t kFullNamesTextSize;

namespace {

// One row a line, UTF-8; a trailing carriage return is tolerated and blank lines are skipped.
QStringList SplitRows(const unsigned char *bytes, std::size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(bytes),
                                           static_cast<qsizetype>(size));
    QStringList rows;
    rows.reserve(text.count(QLatin1Char('\n')) + 1);
    for (QStringView line : QStringView(text).split(QLatin1Char('\n'))) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (!line.isEmpty())
            rows.append(line.toString());
    }
    return rows;
}

} // namespace

QStringList BuiltinNames()
{
    return SplitRows(kNamesText, kNamesTextSize);
}

QStringList BuiltinFullNames()
{
    return SplitRows(kFullNamesText, kFullNamesTextSize);
}

} // namespace vl::data
