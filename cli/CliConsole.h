#pragma once

// Output of vorlant-cli: results on stdout, messages on stderr, both UTF-8, and a progress bar on
// stderr when it is a terminal.

#include <QString>

namespace vl::cli {

inline constexpr char16_t kProgramName[] = u"vorlant-cli";

// Appends text to stdout (buffered).
void WriteOut(const QString &text);
// Writes one message line "vorlant-cli: " + text to stderr, after what stdout holds so far.
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
