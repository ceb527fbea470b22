#include "VLUtils/core/TextRules.h"

#include <unicode/uchar.h>

#include <algorithm>

namespace vl {

namespace {

constexpr QStringView kShtml = u".shtml";

// Reads the code point that starts at index i and advances i past it. A lone surrogate is taken
// as a code point of its own, so no input is ever dropped.
char32_t NextChar(QStringView s, qsizetype &i)
{
    const char16_t c = s[i].unicode();
    ++i;
    if (QChar::isHighSurrogate(c) && i < s.size() && QChar::isLowSurrogate(s[i].unicode())) {
        const char16_t low = s[i].unicode();
        ++i;
        return QChar::surrogateToUcs4(c, low);
    }
    return c;
}

// Reads the code point that ends just before index i and moves i back to its start.
char32_t PrevChar(QStringView s, qsizetype &i)
{
    --i;
    const char16_t c = s[i].unicode();
    if (QChar::isLowSurrogate(c) && i > 0 && QChar::isHighSurrogate(s[i - 1].unicode())) {
        --i;
        return QChar::surrogateToUcs4(s[i].unicode(), c);
    }
    return c;
}

void AppendChar(QString &out, char32_t c)
{
    if (QChar::requiresSurrogates(c)) {
        out.append(QChar(QChar::highSurrogate(c)));
        out.append(QChar(QChar::lowSurrogate(c)));
    } else {
        out.append(QChar(static_cast<char16_t>(c)));
    }
}

// Maps every character. ASCII text, nearly every file name, is mapped in place in one pass; other
// text character by character, since a mapped character may take another number of UTF-16 units.
// The result goes into out, whose room is used again where it is its own.
template <char32_t (*Map)(char32_t)> void MapTextInto(QString &out, QStringView text)
{
    if (std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; })) {
        out.resize(text.size());
        QChar *o = out.data();
        for (const QChar c : text)
            *o++ = QChar(static_cast<char16_t>(Map(c.unicode())));
        return;
    }
    QString mapped;
    mapped.reserve(text.size());
    for (qsizetype i = 0; i < text.size();)
        AppendChar(mapped, Map(NextChar(text, i)));
    out = std::move(mapped);
}

template <char32_t (*Map)(char32_t)> QString MapText(QStringView text)
{
    QString out;
    MapTextInto<Map>(out, text);
    return out;
}

struct CoreBounds {
    qsizetype begin = 0; // first unit of the core
    qsizetype end = 0; // one past its last unit; begin == end means no core
};

CoreBounds FindCore(QStringView s)
{
    const qsizetype tail = ShtmlTailStart(s);
    const QStringView body = s.first(tail >= 0 ? tail : s.size());

    CoreBounds b;
    qsizetype i = 0;
    while (i < body.size()) {
        const qsizetype start = i;
        if (IsCasedChar(NextChar(body, i))) {
            b.begin = start;
            b.end = i;
            break;
        }
    }
    if (b.end == 0)
        return {};
    qsizetype j = body.size();
    while (j > b.end) {
        const qsizetype stop = j;
        if (IsCasedChar(PrevChar(body, j))) {
            b.end = stop;
            break;
        }
    }
    return b;
}

} // namespace

char32_t UpperChar(char32_t c)
{
    if (c < 0x80)
        return (c >= 'a' && c <= 'z') ? c - 0x20 : c;
    return static_cast<char32_t>(u_toupper(static_cast<UChar32>(c)));
}

char32_t LowerChar(char32_t c)
{
    if (c < 0x80)
        return (c >= 'A' && c <= 'Z') ? c + 0x20 : c;
    return static_cast<char32_t>(u_tolower(static_cast<UChar32>(c)));
}

QString UpperCase(QStringView text)
{
    return MapText<UpperChar>(text);
}

QString LowerCase(QStringView text)
{
    return MapText<LowerChar>(text);
}

void UpperCaseInto(QString &out, QStringView text)
{
    MapTextInto<UpperChar>(out, text);
}

bool IsCasedChar(char32_t c)
{
    return UpperChar(c) != LowerChar(c);
}

qsizetype CharCount(QStringView text)
{
    qsizetype n = 0;
    for (qsizetype i = 0; i < text.size(); ++n)
        NextChar(text, i);
    return n;
}

SplitName SplitFileName(QStringView fileName)
{
    const qsizetype dot = fileName.lastIndexOf(u'.');
    if (dot < 0)
        return {fileName.toString(), QString()};
    return {fileName.first(dot).toString(), fileName.sliced(dot + 1).toString()};
}

QString ExtractNameCore(QStringView namePart)
{
    const CoreBounds b = FindCore(namePart);
    return namePart.sliced(b.begin, b.end - b.begin).toString();
}

// The tail must be the last six characters, and the text at least six characters long.
qsizetype ShtmlTailStart(QStringView s)
{
    qsizetype i = s.size();
    for (qsizetype k = kShtml.size(); k > 0; --k) {
        if (i == 0)
            return -1;
        if (LowerChar(PrevChar(s, i)) != kShtml[k - 1].unicode())
            return -1;
    }
    return i;
}

QString NormalizeShtmlTail(QStringView text)
{
    const qsizetype tail = ShtmlTailStart(text);
    if (tail < 0)
        return text.toString();
    return text.first(tail).toString() + kShtml;
}

NamePieces SplitNamePart(QStringView namePart)
{
    const NamePieceViews v = SplitNamePartViews(namePart);
    return {v.prefix.toString(), v.core.toString(), v.suffix.toString()};
}

NamePieceViews SplitNamePartViews(QStringView namePart)
{
    const CoreBounds b = FindCore(namePart);
    if (b.begin == b.end)
        return {namePart, {}, {}};
    return {namePart.first(b.begin), namePart.sliced(b.begin, b.end - b.begin),
            namePart.sliced(b.end)};
}

} // namespace vl
