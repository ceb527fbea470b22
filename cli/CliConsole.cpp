#include "cli/CliConsole.h"

#include "platform/core/Terminal.h"

#include <algorithm>
#include <cstdio>

namespace vl::cli {

namespace {

void WriteBytes(std::FILE *stream, const QByteArray &bytes)
{
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stream);
}

// The last characters of text that fit into width columns, with "…" in front when cut.
QString Tail(const QString &text, int width)
{
    if (text.size() <= width)
        return text;
    return u'…' + text.right(std::max(0, width - 1));
}

} // namespace

void WriteOut(const QString &text)
{
    WriteBytes(stdout, text.toUtf8());
}

void WriteError(const QString &text)
{
    std::fflush(stdout);
    WriteBytes(stderr, QString(QString::fromUtf16(kProgramName) + u": " + text + u'\n').toUtf8());
    std::fflush(stderr);
}

void FlushOut()
{
    std::fflush(stdout);
}

ProgressBar::ProgressBar(const QString &folder, int count) :
    folder_(folder),
    count_(count),
    enabled_(count > kProgressThreshold && ErrorStreamIsTerminal())
{
    if (enabled_)
        width_ = ErrorStreamColumns(80);
}

ProgressBar::~ProgressBar()
{
    Clear();
}

void ProgressBar::Show(int done)
{
    if (!enabled_)
        return;
    const int permille = static_cast<int>(static_cast<qint64>(done) * 1000 / count_);
    // Redrawn only when the bar can look different, so a large pass is not slowed down by it.
    if (permille / 5 == shownPermille_ / 5 && shownPermille_ >= 0)
        return;
    shownPermille_ = permille;
    constexpr int kBar = 30;
    const int filled = permille * kBar / 1000;
    const QString counts
        = QStringLiteral(" %1% %2/%3 ").arg(permille / 10, 3).arg(done).arg(count_);
    QString line = u'[' + QString(filled, u'#') + QString(kBar - filled, u'.') + u']' + counts;
    line += Tail(folder_, width_ - 1 - static_cast<int>(line.size()));
    WriteBytes(stderr, QString(u'\r' + line + u"\x1b[K").toUtf8());
    std::fflush(stderr);
}

void ProgressBar::Clear()
{
    if (!enabled_ || shownPermille_ < 0)
        return;
    WriteBytes(stderr, QByteArrayLiteral("\r\x1b[K"));
    std::fflush(stderr);
    shownPermille_ = -1;
}

} // namespace vl::cli
