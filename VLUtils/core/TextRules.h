#pragma once

// The text rules on which all naming rests: case forms, the split of a file name at its last dot,
// the name core of a name part and the ".shtml" tail. Text is Unicode; a character is a code
// point, and lengths and positions count code points. All functions accept any text.

#include <QString>
#include <QStringView>

namespace vl {

// Upper-case and lower-case forms: simple case mapping, code point by code point, so the length
// in characters never changes.
char32_t UpperChar(char32_t c);
char32_t LowerChar(char32_t c);
QString UpperCase(QStringView text);
QString LowerCase(QStringView text);
// UpperCase(text) written into out, whose room is used again where it is its own.
void UpperCaseInto(QString &out, QStringView text);

// A cased character is one whose lower-case form differs from its upper-case form.
bool IsCasedChar(char32_t c);

// Number of characters (code points) of a text.
qsizetype CharCount(QStringView text);

struct SplitName {
    QString namePart;
    QString extension;
};

// Cuts a file name at its last dot; the dot belongs to neither part.
SplitName SplitFileName(QStringView fileName);

// The name part without a trailing ".shtml" (in any letter case) and without the characters that
// have no letter case at its two ends. Empty, or begins and ends with a cased character.
QString ExtractNameCore(QStringView namePart);

// The text with a trailing ".shtml" in any letter case written in lower case.
QString NormalizeShtmlTail(QStringView text);
// Where a trailing ".shtml" in any letter case starts (in UTF-16 units), or -1.
qsizetype ShtmlTailStart(QStringView text);

// A name part as prefix + core + suffix. The prefix holds no cased character; the suffix holds
// characters without case followed by the ".shtml" tail that the core extraction dropped. When
// the core is empty, the whole name part is the prefix.
struct NamePieces {
    QString prefix;
    QString core;
    QString suffix;
};
NamePieces SplitNamePart(QStringView namePart);
// The same pieces as views of the name part, for callers that keep none of them.
struct NamePieceViews {
    QStringView prefix;
    QStringView core;
    QStringView suffix;
};
NamePieceViews SplitNamePartViews(QStringView namePart);

} // namespace vl
