#include "cli/CliConsole.h"

#include "platform/core/Terminal.h"

#include <QStringEncoder>

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

// Characters that a terminal acts on, or that make the text on screen read otherwise than it is.
bool NeedsEscape(char16_t c)
{
    return c < 0x20 || (c >= 0x7f && c <= 0x9f) // C0, DEL and C1 controls
           || c == 0x061c || c == 0x200e || c == 0x200f // bidirectional marks
           || (c >= 0x202a && c <= 0x202e) || (c >= 0x2066 && c <= 0x2069) // embeddings, isolates
           || c == 0x2028 || c == 0x2029; // line and paragraph separators
}

// A character that Printable leaves as it is.
bool Plain(QChar c)
{
    return !NeedsEscape(c.unicode()) && c != u'\\';
}

} // namespace

QString Printable(QStringView text)
{
    if (std::all_of(text.begin(), text.end(), Plain))
        return text.toString();
    QString out;
    out.reserve(text.size() + 8);
    for (const QChar c : text) {
        if (Plain(c)) {
            out += c;
            continue;
        }
        switch (c.unicode()) {
        case u'\\':
            out += u"\\\\";
            break;
        case u'\n':
            out += u"\\n";
            break;
        case u'\r':
            out += u"\\r";
            break;
        case u'\t':
            out += u"\\t";
            break;
        default:
            out += c.unicode() < 0x80
                       ? u"\\x" + QString::number(c.unicode(), 16).rightJustified(2, u'0')
                       : u"\\u" + QString::number(c.unicode(), 16).rightJustified(4, u'0');
        }
    }
    return out;
}

OutLine &OutLine::Text(QStringView text)
{
    // UTF-8 written in place, as QString::toUtf8 would give it.
    QStringEncoder encoder(QStringEncoder::Utf8, QStringEncoder::Flag::Stateless);
    const std::size_t start = bytes_.size();
    bytes_.resize(start + static_cast<std::size_t>(encoder.requiredSpace(text.size())));
    const char *end = encoder.appendToBuffer(bytes_.data() + start, text);
    bytes_.resize(static_cast<std::size_t>(end - bytes_.data()));
    return *this;
}

OutLine &OutLine::Name(QStringView name)
{
    return std::all_of(name.begin(), name.end(), Plain) ? Text(name) : Text(Printable(name));
}

OutLine &OutLine::Name(QByteArrayView name)
{
    // Printable ASCII, nearly every name, stands as it is in UTF-8 too.
    if (!std::all_of(name.begin(), name.end(),
                     [](char c) { return c >= 0x20 && c < 0x7f && c != '\\'; }))
        return Name(QString::fromUtf8(name));
    bytes_.append(name.data(), static_cast<std::size_t>(name.size()));
    return *this;
}

void OutLine::Write()
{
    written_ = bytes_.size();
    constexpr std::size_t kBlock = 32 * 1024;
    if (written_ >= kBlock)
        Flush();
}

void OutLine::Flush()
{
    std::fwrite(bytes_.data(), 1, written_, stdout);
    bytes_.erase(0, written_);
    written_ = 0;
}

void WriteOut(const QString &text)
{
    WriteBytes(stdout, text.toUtf8());
}

void WriteError(const QString &text)
{
    std::fflush(stdout);
    WriteBytes(
        stderr,
        QString(QString::fromUtf16(kProgramName) + u": " + Printable(text) + u'\n').toUtf8());
    std::fflush(stderr);
}

void FlushOut()
{
    std::fflush(stdout);
}

ProgressBar::ProgressBar(const QString &folder, int count) :
    folder_(Printable(folder)),
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
