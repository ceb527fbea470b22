#include "platform/core/IniFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

#include <algorithm>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace vl {

namespace {

constexpr char kBom[] = "\xEF\xBB\xBF";

// Windows-1251, bytes 0x80 to 0xBF; 0xC0 to 0xFF are А to я in order. 0x98 has no character of
// its own and maps to U+0098, as the platform's own conversion does.
constexpr char16_t kWindows1251From80[64] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, // 80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F, // 88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, // 98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, // A0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, // A8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7, // B0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457, // B8
};

char16_t Windows1251Char(unsigned char byte)
{
    if (byte < 0x80)
        return byte;
    if (byte >= 0xC0)
        return static_cast<char16_t>(0x0410 + (byte - 0xC0));
    return kWindows1251From80[byte - 0x80];
}

bool IsBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

QStringView TrimBlanks(QStringView s)
{
    qsizetype b = 0;
    qsizetype e = s.size();
    while (b < e && IsBlank(s[b]))
        ++b;
    while (e > b && IsBlank(s[e - 1]))
        --e;
    return s.sliced(b, e - b);
}

bool IsQuote(QChar c)
{
    return c == u'"' || c == u'\'';
}

bool IsQuoted(QStringView s)
{
    return s.size() >= 2 && IsQuote(s.front()) && s.front() == s.back();
}

bool HoldsLineBreak(QStringView s)
{
    return s.contains(u'\n') || s.contains(u'\r');
}

QString Fold(QStringView s)
{
    return s.toString().toCaseFolded();
}

// One line of a text: where it starts, its length without the line end, and the line end's length.
struct LineSpan {
    qsizetype begin = 0;
    qsizetype length = 0;
    qsizetype endLength = 0;
    qsizetype next() const { return begin + length + endLength; }
};

// Calls visit for every line of text until it returns false. LF, CR LF and a lone CR end lines.
template <typename Visit> void ForEachLine(QStringView text, Visit visit)
{
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n) {
        qsizetype j = i;
        while (j < n && text[j] != u'\n' && text[j] != u'\r')
            ++j;
        qsizetype end = 0;
        if (j < n)
            end = (text[j] == u'\r' && j + 1 < n && text[j + 1] == u'\n') ? 2 : 1;
        const LineSpan line {i, j - i, end};
        if (!visit(line))
            return;
        i = line.next();
    }
}

bool ParseHeader(QStringView line, QStringView &name)
{
    const QStringView t = TrimBlanks(line);
    if (t.isEmpty() || t.front() != u'[')
        return false;
    const QStringView rest = t.sliced(1);
    const qsizetype close = rest.indexOf(u']');
    name = TrimBlanks(close < 0 ? rest : rest.first(close));
    return true;
}

bool ParseEntry(QStringView line, QStringView &key, QStringView &value)
{
    const QStringView t = TrimBlanks(line);
    if (t.isEmpty() || t.front() == u';' || t.front() == u'[')
        return false;
    const qsizetype eq = t.indexOf(u'=');
    if (eq < 0)
        return false;
    key = TrimBlanks(t.first(eq));
    value = TrimBlanks(t.sliced(eq + 1));
    if (IsQuoted(value))
        value = value.sliced(1, value.size() - 2);
    return true;
}

QString EntryLine(QStringView key, QStringView value)
{
    const bool quote
        = !value.isEmpty() && (IsBlank(value.front()) || IsBlank(value.back()) || IsQuoted(value));
    if (quote)
        return key + u"=\"" + value + u'"';
    return key + u'=' + value;
}

bool SyncToDisk(QSaveFile &file)
{
#ifdef Q_OS_UNIX
    return ::fsync(file.handle()) == 0;
#else
    Q_UNUSED(file);
    return true; // commit() flushes the file on other systems
#endif
}

// The end of the line that starts at from in bytes: the index after its line end.
qsizetype NextByteLine(const QByteArray &bytes, qsizetype from)
{
    const qsizetype n = bytes.size();
    qsizetype j = from;
    while (j < n && bytes[j] != '\n' && bytes[j] != '\r')
        ++j;
    if (j < n)
        j += (bytes[j] == '\r' && j + 1 < n && bytes[j + 1] == '\n') ? 2 : 1;
    return j;
}

bool IsBlankLine(QStringView line)
{
    for (QChar c : line) {
        if (!IsBlank(c) && c != u'\n' && c != u'\r')
            return false;
    }
    return true;
}

QStringView WithoutLineEnd(QStringView line)
{
    while (!line.isEmpty() && (line.back() == u'\n' || line.back() == u'\r'))
        line.chop(1);
    return line;
}

} // namespace

QString IniFile::DecodeWindows1251(const QByteArray &bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar *out = text.data();
    for (qsizetype i = 0; i < bytes.size(); ++i)
        out[i] = QChar(Windows1251Char(static_cast<unsigned char>(bytes[i])));
    return text;
}

QString IniFile::DecodeText(const QByteArray &bytes, bool *windows1251)
{
    // A byte order mark is taken off by the caller; one more would be text.
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless
                                                    | QStringConverter::Flag::ConvertInitialBom);
    QString text = utf8.decode(bytes);
    bool any1251 = false;
    if (utf8.hasError()) {
        // Line by line: a line that is valid UTF-8 is UTF-8, any other Windows-1251, so that one
        // stray byte does not turn every other line into the wrong letters.
        text.clear();
        text.reserve(bytes.size());
        for (qsizetype i = 0; i < bytes.size();) {
            const qsizetype next = NextByteLine(bytes, i);
            const QByteArray line = bytes.sliced(i, next - i);
            QStringDecoder lineDecoder(QStringConverter::Utf8,
                                       QStringConverter::Flag::Stateless
                                           | QStringConverter::Flag::ConvertInitialBom);
            const QString decoded = lineDecoder.decode(line);
            if (lineDecoder.hasError()) {
                text += DecodeWindows1251(line);
                any1251 = true;
            } else {
                text += decoded;
            }
            i = next;
        }
    }
    if (windows1251)
        *windows1251 = any1251;
    return text;
}

IniFile::IniFile(const QString &path) : path_(path)
{
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return;
    QFile file(path);
    if (!info.isFile() || !file.open(QIODevice::ReadOnly)) {
        source_ = Source::Unreadable;
        return;
    }
    original_ = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        source_ = Source::Unreadable;
        original_.clear();
        return;
    }
    source_ = Source::Loaded;

    QByteArray bytes = original_;
    bom_ = bytes.startsWith(kBom);
    if (bom_)
        bytes.remove(0, 3);
    QString text = DecodeText(bytes, &windows1251_);
    ForEachLine(text, [&](const LineSpan &line) {
        if (line.endLength > 0)
            lineEnd_ = text.sliced(line.begin + line.length, line.endLength);
        return line.endLength == 0; // stop at the first line end
    });
    if (!text.isEmpty()) {
        Segment whole;
        whole.text = std::move(text);
        whole.bytes = std::move(bytes);
        segments_.append(std::move(whole));
    }
}

void IniFile::ForEachEntry(QStringView section, const EntryVisitor &visit) const
{
    const QString folded = Fold(section);
    for (const Segment &s : segments_) {
        if (!s.raw) {
            if (s.folded != folded)
                continue;
            for (const Line &line : s.lines) {
                QStringView key, value;
                if (ParseEntry(WithoutLineEnd(line.text), key, value))
                    visit(key, value);
            }
            continue;
        }
        const QStringView text = s.text;
        bool inSection = false;
        ForEachLine(text, [&](const LineSpan &line) {
            const QStringView content = text.sliced(line.begin, line.length);
            QStringView name, key, value;
            if (ParseHeader(content, name))
                inSection = Fold(name) == folded;
            else if (inSection && ParseEntry(content, key, value))
                visit(key, value);
            return true;
        });
    }
}

QStringList IniFile::SectionLines(QStringView section) const
{
    QStringList lines;
    ForEachEntry(section,
                 [&](QStringView key, QStringView value) { lines.append(key + u'=' + value); });
    return lines;
}

QStringList IniFile::SectionValues(QStringView section) const
{
    QStringList values;
    ForEachValue(section, [&](QStringView value) { values.append(value.toString()); });
    return values;
}

void IniFile::ForEachValue(QStringView section, const std::function<void(QStringView)> &visit) const
{
    ForEachEntry(section, [&](QStringView, QStringView value) { visit(value); });
}

IniFile::Segment IniFile::RawSegment(QStringView text, QByteArrayView bytes)
{
    Segment s;
    s.text = text.toString();
    s.bytes = bytes.toByteArray();
    return s;
}

IniFile::Segment IniFile::MakeSection(QStringView text, QByteArrayView bytes, const QString &folded)
{
    Segment s;
    s.raw = false;
    s.folded = folded;
    const QByteArray b = bytes.toByteArray();
    qsizetype at = 0;
    bool first = true;
    ForEachLine(text, [&](const LineSpan &span) {
        const qsizetype next = NextByteLine(b, at);
        Line line {text.sliced(span.begin, span.next() - span.begin).toString(),
                   b.sliced(at, next - at), false};
        at = next;
        if (first) {
            s.header = std::move(line);
            first = false;
            return true;
        }
        QStringView key, value;
        const bool entry = ParseEntry(WithoutLineEnd(line.text), key, value);
        s.lines.append(std::move(line));
        if (entry)
            s.insertAt = s.lines.size();
        return true;
    });
    return s;
}

void IniFile::SplitOut(const QString &folded)
{
    if (splitOut_.contains(folded))
        return;
    splitOut_.insert(folded);
    QList<Segment> out;
    for (Segment &seg : segments_) {
        if (!seg.raw) {
            out.append(std::move(seg));
            continue;
        }
        // Text and bytes have the same lines: they are walked side by side.
        const QStringView text = seg.text;
        const QByteArray &bytes = seg.bytes;
        qsizetype byteAt = 0;
        qsizetype rawBegin = 0, rawByteBegin = 0;
        qsizetype cutBegin = -1, cutByteBegin = -1; // start of the section being cut out
        ForEachLine(text, [&](const LineSpan &line) {
            const qsizetype lineByte = byteAt;
            byteAt = NextByteLine(bytes, byteAt);
            QStringView name;
            if (!ParseHeader(text.sliced(line.begin, line.length), name))
                return true;
            if (cutBegin >= 0) {
                out.append(MakeSection(
                    text.sliced(cutBegin, line.begin - cutBegin),
                    QByteArrayView(bytes).sliced(cutByteBegin, lineByte - cutByteBegin), folded));
                cutBegin = -1;
                rawBegin = line.begin;
                rawByteBegin = lineByte;
            }
            if (Fold(name) == folded) {
                if (line.begin > rawBegin)
                    out.append(RawSegment(
                        text.sliced(rawBegin, line.begin - rawBegin),
                        QByteArrayView(bytes).sliced(rawByteBegin, lineByte - rawByteBegin)));
                cutBegin = line.begin;
                cutByteBegin = lineByte;
            }
            return true;
        });
        if (cutBegin >= 0)
            out.append(MakeSection(text.sliced(cutBegin),
                                   QByteArrayView(bytes).sliced(cutByteBegin), folded));
        else if (rawBegin == 0)
            out.append(std::move(seg));
        else if (rawBegin < text.size())
            out.append(
                RawSegment(text.sliced(rawBegin), QByteArrayView(bytes).sliced(rawByteBegin)));
    }
    segments_ = std::move(out);
}

void IniFile::EraseSection(QStringView section)
{
    const QString folded = Fold(section);
    SplitOut(folded);
    for (Segment &s : segments_) {
        if (s.raw || s.folded != folded)
            continue;
        // The entries go; comments and other lines stay where they were, and new keys go where
        // the last entry stood.
        QList<Line> kept;
        kept.reserve(s.lines.size());
        qsizetype insertAt = -1;
        for (Line &line : s.lines) {
            QStringView key, value;
            if (ParseEntry(WithoutLineEnd(line.text), key, value))
                insertAt = kept.size();
            else
                kept.append(std::move(line));
        }
        s.lines = std::move(kept);
        if (insertAt >= 0)
            s.insertAt = insertAt;
        s.insertAt = std::min(s.insertAt, s.lines.size());
        s.keyIndex.clear();
        s.indexed = false;
        s.erased = true;
    }
}

void IniFile::IndexKeys(Segment &s)
{
    if (s.indexed)
        return;
    s.keyIndex.clear();
    for (qsizetype i = 0; i < s.lines.size(); ++i) {
        QStringView key, value;
        if (!ParseEntry(WithoutLineEnd(s.lines[i].text), key, value))
            continue;
        const QString folded = Fold(key);
        if (!s.keyIndex.contains(folded)) // the first of equal keys counts
            s.keyIndex.insert(folded, i);
    }
    s.indexed = true;
}

IniFile::Segment &IniFile::SectionForNewKey(const QString &folded, QStringView name)
{
    for (Segment &s : segments_) {
        if (!s.raw && !s.erased && s.folded == folded)
            return s;
    }
    for (Segment &s : segments_) {
        if (!s.raw && s.erased && s.folded == folded) {
            s.erased = false;
            return s;
        }
    }
    Segment s;
    s.raw = false;
    s.folded = folded;
    s.header = Line {u'[' + name + u']' + lineEnd_, {}, true};
    s.indexed = true;
    segments_.append(std::move(s));
    return segments_.last();
}

bool IniFile::WriteKey(QStringView section, QStringView key, QStringView value)
{
    if (HoldsLineBreak(section) || HoldsLineBreak(key) || HoldsLineBreak(value)
        || section.contains(u']') || TrimBlanks(section) != section || key.isEmpty()
        || key.contains(u'=') || key.front() == u';' || key.front() == u'['
        || TrimBlanks(key) != key)
        return false;
    const QString folded = Fold(section);
    const QString foldedKey = Fold(key);
    const QString entry = EntryLine(key, value);
    SplitOut(folded);

    for (Segment &s : segments_) {
        if (s.raw || s.erased || s.folded != folded)
            continue;
        IndexKeys(s);
        const auto it = s.keyIndex.constFind(foldedKey);
        if (it == s.keyIndex.cend())
            continue;
        Line &line = s.lines[it.value()];
        const QStringView content = WithoutLineEnd(line.text);
        line = Line {entry + QStringView(line.text).sliced(content.size()), {}, true};
        return true;
    }

    Segment &s = SectionForNewKey(folded, section);
    IndexKeys(s);
    // Every entry stands before insertAt, so the index of none of them moves.
    s.lines.insert(s.insertAt, Line {entry + lineEnd_, {}, true});
    s.keyIndex.insert(foldedKey, s.insertAt);
    ++s.insertAt;
    return true;
}

QByteArray IniFile::ToBytes() const
{
    QByteArray bytes;
    if (bom_)
        bytes += kBom;
    const qsizetype start = bytes.size();
    const QByteArray lineEnd = lineEnd_.toUtf8();
    const auto append = [&](const QByteArray &piece) {
        if (piece.isEmpty())
            return;
        if (bytes.size() > start && bytes.back() != '\n' && bytes.back() != '\r')
            bytes += lineEnd;
        bytes += piece;
    };
    // Lines as read go out byte for byte; lines the program wrote go out as UTF-8.
    const auto appendLine
        = [&](const Line &line) { append(line.written ? line.text.toUtf8() : line.bytes); };
    for (const Segment &s : segments_) {
        if (s.raw) {
            append(s.bytes);
            continue;
        }
        // A section left with nothing but blank lines goes, header and all.
        const bool keepHeader = !s.erased
                                || !std::all_of(s.lines.cbegin(), s.lines.cend(),
                                                [](const Line &l) { return IsBlankLine(l.text); });
        if (keepHeader)
            appendLine(s.header);
        for (const Line &line : s.lines)
            appendLine(line);
    }
    return bytes;
}

bool IniFile::Flush()
{
    error_.clear();
    if (source_ == Source::Unreadable) {
        error_ = QStringLiteral("the path holds something that could not be read");
        return false;
    }
    const QByteArray bytes = ToBytes();
    if (source_ == Source::Loaded ? bytes == original_ : bytes.isEmpty())
        return true;
    QSaveFile file(path_);
    file.setDirectWriteFallback(false);
    // QSaveFile::commit() renames the temporary file even after a failed or short write (seen
    // with Qt 6.4 and a full disk or file size limit), so every step is checked here, unbuffered,
    // and the data is on disk before the rename.
    const bool written = file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)
                         && file.write(bytes) == bytes.size() && file.flush()
                         && file.error() == QFileDevice::NoError && SyncToDisk(file);
    if (!written || !file.commit()) {
        error_ = file.errorString();
        file.cancelWriting();
        return false;
    }
    original_ = bytes;
    source_ = Source::Loaded;
    return true;
}

IniFileLock::IniFileLock(const QString &iniPath) : lock_(iniPath + QStringLiteral(".lock"))
{
    // Only a dead holder makes a lock stale: a save may take long on a slow disk.
    lock_.setStaleLockTime(0);
    held_ = lock_.lock();
}

} // namespace vl
