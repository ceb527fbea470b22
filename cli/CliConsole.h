#pragma once

// Output of vorlant-cli: results on stdout, messages on stderr, both UTF-8, and a progress bar on
// stderr when it is a terminal.

#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <string>
#include <string_view>

namespace vl::cli {

inline constexpr char16_t kProgramName[] = u"vorlant-cli";

// The text as it may go to a terminal: a file name may hold a line break or an escape sequence,
// which would forge a line of the output or drive the terminal. Control characters, the
// characters that reorder text on screen and the line separators become escapes ("\n", "\t",
// "\r", "\x1b", "\u202e"); a backslash is doubled, so that an escape can be read back
// unambiguously. Every other character stays as it is.
QString Printable(QStringView text);

// Appends text to stdout (buffered). Names in it must have gone through Printable.
void WriteOut(const QString &text);
// Lines of results built in place and appended to stdout as UTF-8, for the output of many files:
// it converts each piece as it goes, with no text built in between, and writes them a block at a
// time. Whatever else writes to stdout or stderr must come after a Flush.
class OutLine
{
public:
    OutLine() = default;
    OutLine(const OutLine &) = delete;
    OutLine &operator=(const OutLine &) = delete;

    // The program's own text, as it stands (it must need no escape).
    OutLine &Text(QStringView text);
    // The same, in UTF-8 already.
    OutLine &Utf8(std::string_view text)
    {
        bytes_.append(text);
        return *this;
    }
    // A name, through Printable.
    OutLine &Name(QStringView name);
    // A name as its bytes on disk, shown as its text (invalid UTF-8 as replacement characters),
    // through Printable.
    OutLine &Name(QByteArrayView name);
    // Ends the line: it goes to stdout with the lines before it once they fill a block, at the
    // latest when Flush is called or the line is destroyed.
    void Write();
    // Appends every line written so far to stdout.
    void Flush();
    ~OutLine() { Flush(); }

private:
    std::string bytes_;
    std::size_t written_ = 0; // bytes of whole lines in bytes_
};

// Writes one message line "vorlant-cli: " + text to stderr, after what stdout holds so far. The
// text goes through Printable.
void WriteError(const QString &text);
// Writes every buffered result.
void FlushOut();

// A pass with more files than this shows a progress bar.
inline constexpr int kProgressThreshold = 300;

// One line on stderr, redrawn in place, that shows how far a pass has come: only when stderr is
// a terminal and the pass is long enough to be worth it. Cleared when done or destroyed.
class ProgressBar
{
public:
    ProgressBar(const QString &folder, int count);
    ~ProgressBar();
    ProgressBar(const ProgressBar &) = delete;
    ProgressBar &operator=(const ProgressBar &) = delete;

    // done files of count are finished.
    void Show(int done);
    void Clear();

private:
    QString folder_;
    int count_;
    bool enabled_;
    int shownPermille_ = -1;
    int width_ = 80;
};

} // namespace vl::cli
