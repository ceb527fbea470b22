// Builds the rows of the built-in name dictionary from harvested file names.
//
//   vorlant-build-names SEED CANDIDATES OUTPUT
//
// SEED holds rows that must be present, spelled exactly so. CANDIDATES is the ranked table that
// harvest.py writes: one key a line, "spelling <TAB> projects <TAB> projects of this spelling
// <TAB> sources", in rank order (more projects first). A line qualifies when its spelling is its
// own name core under the program's text rules, 2 to 63 characters of the allowed set with an
// upper-case letter (a dotted core only when every part begins with a capital; placeholders
// such as "Foo" never). From the qualified keys the tool picks the dictionary's number of rows
// so that every figure of the dictionary (rows with a digit, with "_", of 2 to 8 characters, the
// average length and so on) comes out as required, taking the seed rows first and then the
// keys in rank order; where a figure would overshoot, the next key of the needed kind comes in
// at the least loss of projects. The rows are written in ascending collation order; a report of
// the sources, the figures and the best keys left out goes to standard error. The same inputs
// always give the same output.

#include "VLUtils/core/Collation.h"
#include "VLUtils/core/TextRules.h"

#include <QFile>
#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string_view>
#include <vector>

namespace vl::names {

namespace {

enum Feature {
    kDigit,
    kUnderscore,
    kHyphen,
    kSpace,
    kDot,
    kOpenParen,
    kAmpersand,
    kPercent,
    kApostrophe,
    kCloseParen,
    kCyrillic,
    kCyrillicFirst,
    kNoLower,
    kLength2,
    kLength3To8,
    kLength9Up,
    kFeatureCount
};

struct Figure {
    const char *name;
    int target;
};

constexpr int kRowCount = 9093;
// Any average from 7.65 to below 7.75 rounds to 7.7; the rows aim at 7.68 .. 7.72, clear of
// both edges.
constexpr long kMinLengthSum = (7680L * kRowCount + 999) / 1000;
constexpr long kMaxLengthSum = 7720L * kRowCount / 1000;

constexpr std::array<Figure, kFeatureCount> kFigures = {{
    {"with a digit", 720},
    {"with \"_\"", 1454},
    {"with \"-\"", 188},
    {"with a space", 117},
    {"with \".\"", 64},
    {"with \"(\"", 17},
    {"with \"&\"", 10},
    {"with \"%\"", 2},
    {"with \"'\"", 2},
    {"with \")\"", 1},
    {"with Cyrillic letters", 5},
    {"beginning with a Cyrillic letter", 3},
    {"with no lower-case letter", 823},
    {"of 2 characters", 146},
    {"of 3 to 8 characters", 6960 - 146},
    {"of 9 or more characters", kRowCount - 6960},
}};

const QStringList kSources
    = {QStringLiteral("contents"), QStringLiteral("archives"), QStringLiteral("files"),
       QStringLiteral("mentions"), QStringLiteral("nuget"),    QStringLiteral("maven"),
       QStringLiteral("npm"),      QStringLiteral("pypi")};

// Names that stand for unknown ones elsewhere in the program, and the placeholders of examples
// and tests ("foo.txt"): the dictionary must not know them.
const QStringList kUnknownNames = {
    QStringLiteral("KVARTAL"), QStringLiteral("MYTOOL"), QStringLiteral("READ.ME"),
    QStringLiteral("A.B"),     QStringLiteral("FOO"),    QStringLiteral("BAR"),
    QStringLiteral("BAZ"),     QStringLiteral("QUX"),    QStringLiteral("QUUX"),
    QStringLiteral("FOOBAR"),  QStringLiteral("XYZZY"),
    QStringLiteral("FILLER"), // the file that the disk-fault trials fill a disk with
};

using Counts = std::array<int, kFeatureCount>;

// Cyrillic letters of code page 1251.
bool IsCyrillicLetter(char32_t c)
{
    return (c >= 0x0401 && c <= 0x045F && c != 0x040D && c != 0x0450 && c != 0x045D) || c == 0x0490
           || c == 0x0491;
}

bool IsAllowedChar(char32_t c)
{
    if (c >= 0x80)
        return IsCyrillicLetter(c);
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')
           || std::u32string_view(U"_- .(&%')").find(c) != std::u32string_view::npos;
}

std::vector<char32_t> CodePoints(const QString &text)
{
    std::vector<char32_t> out;
    for (const char32_t c : text.toUcs4())
        out.push_back(c);
    return out;
}

bool IsUpperLetter(char32_t c)
{
    return IsCasedChar(c) && UpperChar(c) == c;
}

bool IsLowerLetter(char32_t c)
{
    return IsCasedChar(c) && LowerChar(c) == c;
}

// Whether a name core may be a row at all: its length and characters.
bool IsAllowedRow(const QString &core)
{
    const std::vector<char32_t> chars = CodePoints(core);
    if (chars.size() < 2 || chars.size() > 63)
        return false;
    return std::all_of(chars.cbegin(), chars.cend(), IsAllowedChar);
}

std::uint32_t FeaturesOf(const QString &row)
{
    const std::vector<char32_t> chars = CodePoints(row);
    std::uint32_t f = 0;
    auto set = [&f](Feature feature) { f |= 1u << feature; };
    bool lower = false;
    for (const char32_t c : chars) {
        if (c >= '0' && c <= '9')
            set(kDigit);
        switch (c) {
        case '_':
            set(kUnderscore);
            break;
        case '-':
            set(kHyphen);
            break;
        case ' ':
            set(kSpace);
            break;
        case '.':
            set(kDot);
            break;
        case '(':
            set(kOpenParen);
            break;
        case '&':
            set(kAmpersand);
            break;
        case '%':
            set(kPercent);
            break;
        case '\'':
            set(kApostrophe);
            break;
        case ')':
            set(kCloseParen);
            break;
        default:
            break;
        }
        if (IsCyrillicLetter(c))
            set(kCyrillic);
        lower = lower || IsLowerLetter(c);
    }
    if (!chars.empty() && IsCyrillicLetter(chars.front()))
        set(kCyrillicFirst);
    if (!lower)
        set(kNoLower);
    set(chars.size() == 2 ? kLength2 : chars.size() <= 8 ? kLength3To8 : kLength9Up);
    return f;
}

struct Candidate {
    QString spelling;
    std::uint32_t features = 0;
    std::uint32_t sources = 0;
    int length = 0;
    int score = 0;
    bool seed = false;
};

[[noreturn]] void Fail(const QString &message)
{
    std::fprintf(stderr, "vorlant-build-names: %s\n", qUtf8Printable(message));
    std::exit(1);
}

QStringList ReadLines(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        Fail(QStringLiteral("cannot read ") + path);
    QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n');
    for (QString &line : lines)
        if (line.endsWith(u'\r'))
            line.chop(1);
    lines.removeAll(QString());
    return lines;
}

// A dotted name qualifies only when every part begins with a capital, as assembly and DLL names
// do ("Newtonsoft.Json", "NEWS.Debian"); dotted names that tools make up from a prefix, a locale
// or a section number ("fn.Q6_P_abs_P", "help.pt_BR", "RB_EMPTY.3bsd") tell the case of no file
// that a user keeps.
bool IsCapitalisedDottedName(const QString &row)
{
    if (!row.contains(u'.'))
        return false;
    const QStringList parts = row.split(u'.');
    return std::all_of(parts.cbegin(), parts.cend(), [](const QString &part) {
        return !part.isEmpty() && IsUpperLetter(part.front().unicode());
    });
}

// The candidates in rank order, the line order of the table. A seed row takes the place of its
// key and its spelling; a seed row that no source knows comes after all others.
std::vector<Candidate> ReadCandidates(const QString &seedPath, const QString &candidatesPath)
{
    std::vector<Candidate> out;
    QHash<QString, std::size_t> indexOf; // key -> index in out
    for (const QString &line : ReadLines(candidatesPath)) {
        if (line.startsWith(u'#'))
            continue;
        const QStringList cols = line.split(u'\t');
        bool ok = false;
        const int projects = cols.size() == 4 ? cols[1].toInt(&ok) : 0;
        if (!ok)
            Fail(QStringLiteral("bad candidate line: ") + line);
        Candidate c;
        for (const QString &source : cols[3].split(u',')) {
            const qsizetype bit = kSources.indexOf(source);
            if (bit < 0)
                Fail(QStringLiteral("unknown source: ") + source);
            c.sources |= 1u << bit;
        }
        // The harvest has reduced the names to their cores; whatever the program's own text
        // rules would cut further is no row.
        const QString &core = cols[0];
        if (ExtractNameCore(core) != core || !IsAllowedRow(core)
            || (core.contains(u'.') && !IsCapitalisedDottedName(core))
            || !std::any_of(core.cbegin(), core.cend(),
                            [](QChar ch) { return IsUpperLetter(ch.unicode()); }))
            continue;
        const QString key = UpperCase(core);
        if (kUnknownNames.contains(key) || indexOf.contains(key))
            continue;
        c.spelling = core;
        c.score = projects;
        indexOf.insert(key, out.size());
        out.push_back(std::move(c));
    }

    QSet<QString> seeds;
    for (const QString &row : ReadLines(seedPath)) {
        if (ExtractNameCore(row) != row || !IsAllowedRow(row))
            Fail(QStringLiteral("seed row is not a valid row: ") + row);
        const QString key = UpperCase(row);
        if (seeds.contains(key))
            Fail(QStringLiteral("seed row twice: ") + row);
        seeds.insert(key);
        if (!indexOf.contains(key)) {
            indexOf.insert(key, out.size());
            out.push_back(Candidate {});
        }
        Candidate &c = out[indexOf.value(key)];
        c.spelling = row;
        c.seed = true;
    }
    for (Candidate &c : out) {
        c.features = FeaturesOf(c.spelling);
        c.length = static_cast<int>(CharCount(c.spelling));
    }
    return out;
}

// Picks kRowCount candidates: the seed rows, then the best-scored candidates that keep every
// figure within its target, then swaps that bring the figures to their targets.
class Selection
{
public:
    explicit Selection(const std::vector<Candidate> &candidates) : c_(candidates)
    {
        chosen_.assign(c_.size(), false);
        for (std::size_t i = 0; i < c_.size(); ++i)
            if (c_[i].seed)
                Take(i);
        std::vector<std::size_t> order;
        for (std::size_t i = 0; i < c_.size(); ++i)
            if (!c_[i].seed)
                order.push_back(i);
        for (const std::size_t i : order)
            if (rows_ < kRowCount && Fits(c_[i].features))
                Take(i);
        Repair();
    }

    const Counts &counts() const { return counts_; }
    int rows() const { return rows_; }
    long lengthSum() const { return lengthSum_; }
    const std::vector<bool> &chosen() const { return chosen_; }

private:
    bool Fits(std::uint32_t features) const
    {
        for (int f = 0; f < kFeatureCount; ++f)
            if ((features >> f & 1u) && counts_[f] >= kFigures[f].target)
                return false;
        return true;
    }

    void Count(std::size_t i, int sign)
    {
        for (int f = 0; f < kFeatureCount; ++f)
            counts_[f] += sign * static_cast<int>(c_[i].features >> f & 1u);
        rows_ += sign;
        lengthSum_ += sign * c_[i].length;
    }

    void Take(std::size_t i)
    {
        chosen_[i] = true;
        Count(i, +1);
    }

    void Drop(std::size_t i)
    {
        chosen_[i] = false;
        Count(i, -1);
    }

    // How far the selection is from its targets. A figure weighs far more than the length sum,
    // so a swap never trades a figure for the average.
    static long Distance(const Counts &counts, int rows, long lengthSum)
    {
        long d = 1000L * std::abs(rows - kRowCount);
        for (int f = 0; f < kFeatureCount; ++f)
            d += 1000L * std::abs(counts[f] - kFigures[f].target);
        if (lengthSum < kMinLengthSum)
            d += kMinLengthSum - lengthSum;
        if (lengthSum > kMaxLengthSum)
            d += lengthSum - kMaxLengthSum;
        return d;
    }

    // Candidates that look alike to the figures: same features and same length. Within a group,
    // the chosen ones are kept worst first and the others best first.
    struct Group {
        std::vector<std::size_t> chosen;
        std::vector<std::size_t> free;
        std::uint32_t features = 0;
        int length = 0;
    };

    void Repair()
    {
        std::map<std::uint64_t, Group> groups;
        for (std::size_t i = 0; i < c_.size(); ++i) {
            Group &g = groups[std::uint64_t {c_[i].features} << 8 | std::uint64_t(c_[i].length)];
            g.features = c_[i].features;
            g.length = c_[i].length;
            if (!chosen_[i])
                g.free.push_back(i);
            else if (!c_[i].seed)
                g.chosen.push_back(i);
        }
        const auto worstFirst = [this](std::size_t a, std::size_t b) {
            return c_[a].score != c_[b].score ? c_[a].score < c_[b].score : a > b;
        };
        const auto bestFirst = [&](std::size_t a, std::size_t b) { return worstFirst(b, a); };
        std::vector<Group *> list;
        for (auto &[signature, g] : groups) {
            std::sort(g.chosen.begin(), g.chosen.end(), worstFirst);
            std::sort(g.free.begin(), g.free.end(), bestFirst);
            list.push_back(&g);
        }

        for (;;) {
            const long now = Distance(counts_, rows_, lengthSum_);
            long bestGain = 0;
            int bestLoss = 0;
            Group *from = nullptr;
            Group *to = nullptr;
            for (Group *a : list) {
                if (a->chosen.empty())
                    continue;
                for (Group *b : list) {
                    if (b == a || b->free.empty())
                        continue;
                    Counts next = counts_;
                    bool overshoots = false;
                    for (int f = 0; f < kFeatureCount; ++f) {
                        next[f] += static_cast<int>(b->features >> f & 1u)
                                   - static_cast<int>(a->features >> f & 1u);
                        // A swap never takes a figure past its target: the rows that carry the
                        // rare marks are few, and one too many could not be swapped out again.
                        overshoots
                            = overshoots || (next[f] > kFigures[f].target && next[f] > counts_[f]);
                    }
                    if (overshoots)
                        continue;
                    const long gain
                        = now - Distance(next, rows_, lengthSum_ - a->length + b->length);
                    const int loss = c_[a->chosen.front()].score - c_[b->free.front()].score;
                    if (gain > bestGain || (gain == bestGain && gain > 0 && loss < bestLoss)) {
                        bestGain = gain;
                        bestLoss = loss;
                        from = a;
                        to = b;
                    }
                }
            }
            if (from == nullptr)
                break;
            const std::size_t out = from->chosen.front();
            const std::size_t in = to->free.front();
            Drop(out);
            Take(in);
            from->chosen.erase(from->chosen.begin());
            from->free.insert(
                std::lower_bound(from->free.begin(), from->free.end(), out, bestFirst), out);
            to->free.erase(to->free.begin());
            to->chosen.insert(
                std::lower_bound(to->chosen.begin(), to->chosen.end(), in, worstFirst), in);
        }
    }

    const std::vector<Candidate> &c_;
    std::vector<bool> chosen_;
    Counts counts_ {};
    int rows_ = 0;
    long lengthSum_ = 0;
};

void Report(const std::vector<Candidate> &candidates, const Selection &selection)
{
    std::array<int, 16> bySource {};
    int seedOnly = 0;
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        if (!selection.chosen()[i])
            continue;
        for (qsizetype s = 0; s < kSources.size(); ++s)
            bySource[s] += static_cast<int>(candidates[i].sources >> s & 1u);
        seedOnly += candidates[i].sources == 0;
    }
    std::fprintf(stderr, "%zu keys qualified\nrows found in each source:\n", candidates.size());
    for (qsizetype s = 0; s < kSources.size(); ++s)
        std::fprintf(stderr, "  %-9s %5d\n", qUtf8Printable(kSources[s]), bySource[s]);
    std::fprintf(stderr, "  %-9s %5d\n", "seed only", seedOnly);
    std::fprintf(stderr, "highest-ranked keys left out:\n");
    int shown = 0;
    for (std::size_t i = 0; i < candidates.size() && shown < 30; ++i)
        if (!selection.chosen()[i]) {
            std::fprintf(stderr, "  %5zu %s (%d)\n", i + 1, qUtf8Printable(candidates[i].spelling),
                         candidates[i].score);
            ++shown;
        }
    std::fprintf(stderr, "rows %d (target %d), average length %.3f (%ld)\n", selection.rows(),
                 kRowCount, double(selection.lengthSum()) / selection.rows(),
                 selection.lengthSum());
    for (int f = 0; f < kFeatureCount; ++f) {
        const int got = selection.counts()[f];
        std::fprintf(stderr, "  %-34s %5d (target %5d)%s\n", kFigures[f].name, got,
                     kFigures[f].target, got == kFigures[f].target ? "" : "  SHORT");
    }
}

int Run(const QString &seedPath, const QString &candidatesPath, const QString &outputPath)
{
    const std::vector<Candidate> candidates = ReadCandidates(seedPath, candidatesPath);
    const Selection selection(candidates);
    Report(candidates, selection);

    QStringList rows;
    for (std::size_t i = 0; i < candidates.size(); ++i)
        if (selection.chosen()[i])
            rows.append(candidates[i].spelling);
    std::sort(rows.begin(), rows.end(), NameLess());
    QFile out(outputPath);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        Fail(QStringLiteral("cannot write ") + outputPath);
    out.write((rows.join(u'\n') + u'\n').toUtf8());
    return 0;
}

} // namespace

} // namespace vl::names

int main(int argc, char *argv[])
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: vorlant-build-names SEED CANDIDATES OUTPUT\n");
        return 2;
    }
    return vl::names::Run(QString::fromLocal8Bit(argv[1]), QString::fromLocal8Bit(argv[2]),
                          QString::fromLocal8Bit(argv[3]));
}
