#pragma once

// A small INI file layer: the whole file held in memory, read and changed section by section, and
// written back in one atomic save.
//
// Text rules:
// - Lines end in LF, CR LF or a lone CR; each line keeps its own line end. Lines that a change
//   adds take the line end of the file's first line (LF for a new file or a file without one).
// - A section header is a line whose first non-blank character is "["; its name is the text up to
//   the first "]" (to the end of the line when there is none), blanks trimmed. Text after the "]"
//   is ignored. Lines before the first header belong to no section and are never read.
// - An entry is a line of a section that holds "=" and does not begin with ";" (blanks aside).
//   Its key is the text before the first "=", its value the text after it, blanks (space, tab)
//   trimmed on both. A value enclosed in one matching pair of double or single quotes loses them.
//   Other lines (comments, blank lines, lines without "=") are kept but never read.
// - Section and key names are compared without regard to case (Unicode case folding). Sections
//   that share a name count as one: they are read in file order and erased together.
// - Encoding: read as UTF-8 (a byte order mark is kept), or as Windows-1251 when the bytes are not
//   valid UTF-8; always written as UTF-8. Lines that no change touched come out byte for byte from
//   a UTF-8 file, and with the same text from a Windows-1251 file.
// - An erased section that gets a key again comes back in its old place; a section that never
//   existed is added at the end of the file, with no blank line before it. A new key goes after
//   the section's last entry; a key that exists has its first entry replaced. Comments inside an
//   erased section go with it; the blank lines at its end stay.
// - Written values are put in double quotes where the rules above would otherwise change them on
//   reading (blanks at either end, or a matching pair of quotes around the whole value).
// - No listing limits: every key of a section and every value is read whole, whatever its length
//   or number, so a save never drops what a read could not see.
// - A save writes a temporary file in the same folder, flushes it to disk and renames it over the
//   old file; a failed save leaves the old file as it was. A save that would write the bytes
//   already on disk writes nothing. A path that holds something other than a readable regular
//   file is never overwritten.
//
// Sections that no call names are kept as raw text and never split into lines, so a large file
// costs little more than its text.

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <functional>

namespace vl {

class IniFile
{
public:
    // What was found at the path when the file object was made.
    enum class Source {
        Missing,   // nothing at the path: the file starts empty
        Loaded,    // a regular file, read whole
        Unreadable // something else (a folder, a device) or a file that could not be read
    };

    // Reads the file at path, if there is one.
    explicit IniFile(const QString &path);

    const QString &path() const { return path_; }
    Source source() const { return source_; }
    // Whether the bytes were not valid UTF-8 and were read as Windows-1251.
    bool readAsWindows1251() const { return windows1251_; }

    // One line "key=value" per entry of the section, in file order, each with its own value.
    QStringList SectionLines(QStringView section) const;

    // Removes the section with all its entries.
    void EraseSection(QStringView section);
    // Sets the key's value, creating the section and the key when missing. False, with nothing
    // changed, when the texts cannot be written as one entry that reads back the same: a line
    // break anywhere, a key that is empty, holds "=", begins with ";" or "[" or with or ends in a
    // blank, or a section name that holds "]" or begins or ends with a blank.
    bool WriteKey(QStringView section, QStringView key, QStringView value);

    // Puts the changes on disk by an atomic save. False when the save failed or the path holds
    // something that was not read; the old file is then as it was.
    bool Flush();
    const QString &errorString() const { return error_; }

    // The bytes that a save writes.
    QByteArray ToBytes() const;

    // Decodes bytes as UTF-8, or as Windows-1251 when they are not valid UTF-8.
    static QString DecodeText(const QByteArray &bytes, bool *windows1251 = nullptr);
    static QString DecodeWindows1251(const QByteArray &bytes);

private:
    struct Segment
    {
        bool raw = true;      // untouched text of any number of sections, as read
        QString text;         // raw only
        bool erased = false;  // the header and entries are gone; the trailing blank lines stay
        QString folded;       // case-folded section name
        QString header;       // the header line with its line end
        QString body;         // the lines up to and including the last entry
        QString tail;         // the lines after the last entry
        QHash<QString, qsizetype> keyIndex; // first entry of each case-folded key: offset in body
        bool indexed = false;
    };
    using EntryVisitor = std::function<void(QStringView key, QStringView value)>;

    void ForEachEntry(QStringView section, const EntryVisitor &visit) const;
    void SplitOut(const QString &folded);
    static Segment RawSegment(QStringView text);
    static Segment MakeSection(QStringView text, const QString &folded);
    static void IndexKeys(Segment &s);
    Segment &SectionForNewKey(const QString &folded, QStringView name);

    QString path_;
    Source source_ = Source::Missing;
    bool windows1251_ = false;
    bool bom_ = false;
    QString lineEnd_ = QStringLiteral("\n");
    QList<Segment> segments_;
    QSet<QString> splitOut_; // section names whose every occurrence is a parsed segment
    QByteArray original_;    // the bytes read, so that a save that changes nothing is skipped
    QString error_;
};

} // namespace vl
