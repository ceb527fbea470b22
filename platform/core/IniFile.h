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
// - Encoding: line by line, a line that is valid UTF-8 is read as UTF-8, any other line as
//   Windows-1251 (a byte order mark at the start is kept). Lines that the program writes are
//   UTF-8; every line that no change touched comes out byte for byte as it was read.
// - Erasing a section removes its entries; its comments, blank lines and other lines stay in
//   place, and a section left with blank lines only loses its header too. An erased section that
//   gets a key again comes back in its old place; a section that never existed is added at the
//   end of the file, with no blank line before it. A new key goes after the section's last entry
//   (after the last erased one, once erased; after the header when there was none); a key that
//   exists has its first entry replaced.
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
#include <QByteArrayView>
#include <QHash>
#include <QList>
#include <QLockFile>
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
        Missing, // nothing at the path: the file starts empty
        Loaded, // a regular file, read whole
        Unreadable // something else (a folder, a device) or a file that could not be read
    };

    // Reads the file at path, if there is one.
    explicit IniFile(const QString &path);

    const QString &path() const { return path_; }
    Source source() const { return source_; }
    // Whether some line was not valid UTF-8 and was read as Windows-1251.
    bool readAsWindows1251() const { return windows1251_; }

    // One line "key=value" per entry of the section, in file order, each with its own value.
    QStringList SectionLines(QStringView section) const;
    // The value of each entry of the section, in file order.
    QStringList SectionValues(QStringView section) const;
    // Calls visit with the value of each entry of the section, in file order. The values are
    // views of the file's text, valid until the file object is changed or destroyed.
    void ForEachValue(QStringView section, const std::function<void(QStringView)> &visit) const;

    // Removes the section's entries (its comments stay).
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

    // Decodes bytes line by line: a line that is valid UTF-8 as UTF-8, any other as Windows-1251.
    static QString DecodeText(const QByteArray &bytes, bool *windows1251 = nullptr);
    static QString DecodeWindows1251(const QByteArray &bytes);

private:
    // One line with its line end: the decoded text, and the bytes as read. A line the program
    // wrote has no bytes of its own and is saved as UTF-8.
    struct Line {
        QString text;
        QByteArray bytes;
        bool written = false;
    };
    struct Segment {
        bool raw = true; // untouched text of any number of sections, as read
        QString text; // raw only: the text and the bytes it was read from
        QByteArray bytes;
        bool erased = false; // its entries are gone and no key was written since
        QString folded; // case-folded section name
        Line header;
        QList<Line> lines; // the lines after the header, up to the next section
        qsizetype insertAt = 0; // where a new key goes: after the last entry, else after the header
        QHash<QString, qsizetype> keyIndex; // first entry of each case-folded key: index in lines
        bool indexed = false;
    };
    using EntryVisitor = std::function<void(QStringView key, QStringView value)>;

    void ForEachEntry(QStringView section, const EntryVisitor &visit) const;
    void SplitOut(const QString &folded);
    static Segment RawSegment(QStringView text, QByteArrayView bytes);
    static Segment MakeSection(QStringView text, QByteArrayView bytes, const QString &folded);
    static void IndexKeys(Segment &s);
    Segment &SectionForNewKey(const QString &folded, QStringView name);

    QString path_;
    Source source_ = Source::Missing;
    bool windows1251_ = false;
    bool bom_ = false;
    QString lineEnd_ = QStringLiteral("\n");
    QList<Segment> segments_;
    QSet<QString> splitOut_; // section names whose every occurrence is a parsed segment
    QByteArray original_; // the bytes read, so that a save that changes nothing is skipped
    QString error_;
};

// An exclusive hold on the INI file at a path, for a read, change and save that must not mix with
// another program's: a lock file beside it ("<name>.lock"), waited for while another program
// holds it, and removed again on release. A lock left by a program that died is taken over.
class IniFileLock
{
public:
    explicit IniFileLock(const QString &iniPath);
    // False when the lock file could not be made (a folder that cannot be written).
    bool held() const { return held_; }

private:
    QLockFile lock_;
    bool held_ = false;
};

} // namespace vl
