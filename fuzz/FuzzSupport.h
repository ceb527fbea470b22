#pragma once

// What the fuzz targets share: checks that hold in every build, and texts made from fuzz data.

#include <QString>

#include <cstdio>
#include <cstdlib>
#include <string>

#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "check failed: %s (%s:%d)\n", #condition, __FILE__, __LINE__);    \
            std::abort();                                                                          \
        }                                                                                          \
    } while (0)

namespace vl::fuzz {

// A text from fuzz bytes: the first byte chooses UTF-8 (with replacement characters for what is
// not) or raw UTF-16 code units, which also yields lone surrogates.
inline QString TextFrom(const std::string &bytes)
{
    if (bytes.empty())
        return {};
    const char *data = bytes.data() + 1;
    const qsizetype size = static_cast<qsizetype>(bytes.size()) - 1;
    if ((bytes[0] & 1) == 0)
        return QString::fromUtf8(data, size);
    QString text(size / 2, Qt::Uninitialized);
    for (qsizetype i = 0; i < size / 2; ++i)
        text[i] = QChar(static_cast<char16_t>(static_cast<unsigned char>(data[2 * i])
                                              | static_cast<unsigned char>(data[2 * i + 1]) << 8));
    return text;
}

// A text as a file name or a typed text can be: valid Unicode, with no lone surrogate (UTF-8 has
// no form for one).
inline QString ValidTextFrom(const std::string &bytes)
{
    return QString::fromUtf8(TextFrom(bytes).toUtf8());
}

inline std::string Show(const QString &text)
{
    return text.toUtf8().toPercentEncoding("", " ").toStdString();
}

} // namespace vl::fuzz
