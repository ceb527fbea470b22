// Writes what the spelling suggestions learn from the candidate table beyond the dictionary rows.
//
//   vorlant-compound-names NAMES CANDIDATES WORDS RUNS
//
// NAMES is data/names.txt, CANDIDATES the ranked table of harvest.py. Each spelling of the table
// is cut at its characters without letter case into runs of letters, and each run into its
// camel-case segments («XMLHttpRequest»: «XML», «Http», «Request»), each counted with the
// projects of its key.
//
// WORDS, one word a line, «spelling <TAB> rank <TAB> projects inside compounds»:
//   - the segments of three letters or more that two projects or more use and that no row is,
//     spelled as most compounds write them with a capital first, ranked after every key of the
//     table in the order of their use;
//   - every word of up to four letters (rows too, with rank 0: the row keeps its own), with the
//     projects that use it as a segment of a longer name. Short words fit into almost any run,
//     so the suggestions take them inside a compound only where the table shows them there.
// RUNS, one run a line in the byte order of their upper-case forms in UTF-8: the runs of
// two letters or more that two projects or more use, each as "=" and the spelling that most of
// them write, or "?" and that spelling where no spelling has three quarters of the projects (the
// case of the run is in doubt). A run that is one word spelled so is left out: the words give it.

#include "VLUtils/core/TextRules.h"

#include <QFile>
#include <QHash>
#include <QSaveFile>
#include <QString>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int kShortWord = 4; // letters; such words need the table's word inside compounds
constexpr int kMinProjects = 2;
constexpr double kClearMajority = 0.75;

bool IsUpper(QChar c)
{
    return c.isLetter() && vl::IsCasedChar(c.unicode()) && c == QChar(vl::UpperChar(c.unicode()));
}

bool IsCased(QChar c)
{
    return vl::IsCasedChar(c.unicode());
}

bool IsLetters(QStringView text)
{
    return !text.isEmpty() && std::all_of(text.begin(), text.end(), IsCased);
}

// The runs of cased characters of a spelling.
std::vector<QStringView> Runs(QStringView text)
{
    std::vector<QStringView> runs;
    qsizetype i = 0;
    while (i < text.size()) {
        while (i < text.size() && !IsCased(text.at(i)))
            ++i;
        qsizetype end = i;
        while (end < text.size() && IsCased(text.at(end)))
            ++end;
        if (end > i)
            runs.push_back(text.sliced(i, end - i));
        i = end;
    }
    return runs;
}

// Camel-case segments of a run: capitals before a capitalised word stand alone («XML» of
// «XMLHttp»), a capital takes the small letters after it, and the rest stay together.
std::vector<QStringView> Segments(QStringView run)
{
    std::vector<QStringView> segments;
    const qsizetype n = run.size();
    qsizetype i = 0;
    while (i < n) {
        qsizetype end = i;
        if (IsUpper(run.at(i))) {
            while (end < n && IsUpper(run.at(end)))
                ++end;
            if (end < n && end - i > 1) {
                --end; // the last capital begins the next word
            } else if (end < n) {
                while (end < n && !IsUpper(run.at(end)))
                    ++end;
            }
        } else {
            while (end < n && !IsUpper(run.at(end)))
                ++end;
        }
        segments.push_back(run.sliced(i, end - i));
        i = end;
    }
    return segments;
}

// Spellings of one key with their projects, in the order first seen.
struct Variants {
    std::vector<std::pair<QString, qint64>> spellings;
    qint64 total = 0;
    int firstSeen = 0;

    void Add(QStringView spelling, qint64 projects)
    {
        total += projects;
        for (auto &[known, count] : spellings)
            if (known == spelling) {
                count += projects;
                return;
            }
        spellings.emplace_back(spelling.toString(), projects);
    }
    // The spelling of the most projects (the first seen on a tie), optionally only among those
    // beginning with a capital; null when there is none.
    const std::pair<QString, qint64> *Best(bool capitalFirst) const
    {
        const std::pair<QString, qint64> *best = nullptr;
        for (const auto &entry : spellings)
            if ((!capitalFirst || IsUpper(entry.first.front()))
                && (!best || entry.second > best->second))
                best = &entry;
        return best;
    }
};

bool ReadLines(const QString &path, QList<QByteArray> &lines)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "vorlant-compound-names: cannot read %s\n", qPrintable(path));
        return false;
    }
    lines = file.readAll().split('\n');
    for (QByteArray &line : lines)
        if (line.endsWith('\r'))
            line.chop(1);
    return true;
}

bool Write(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        std::fprintf(stderr, "vorlant-compound-names: cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

int Run(const QString &namesPath, const QString &candidatesPath, const QString &wordsPath,
        const QString &runsPath)
{
    QList<QByteArray> names;
    QList<QByteArray> table;
    if (!ReadLines(namesPath, names) || !ReadLines(candidatesPath, table))
        return 1;

    QHash<QString, QString> rows; // letters-only rows by upper-case form
    for (const QByteArray &line : names) {
        const QString row = QString::fromUtf8(line);
        if (row.size() >= 2 && IsLetters(row))
            rows.insert(vl::UpperCase(row), row);
    }

    QHash<QString, qint64> segmentUse; // every use of a segment
    QHash<QString, Variants> inCompounds; // uses inside names of two segments or more
    QHash<QString, Variants> runs;
    int keys = 0;
    for (const QByteArray &line : table) {
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        const QList<QByteArray> columns = line.split('\t');
        if (columns.size() < 2)
            continue;
        ++keys;
        const QString spelling = QString::fromUtf8(columns.at(0));
        const qint64 projects = columns.at(1).toLongLong();
        std::vector<std::vector<QStringView>> segmented;
        std::size_t segmentCount = 0;
        for (const QStringView run : Runs(spelling)) {
            if (run.size() >= 2) {
                Variants &variants = runs[vl::UpperCase(run)];
                if (variants.spellings.empty())
                    variants.firstSeen = keys;
                variants.Add(run, projects);
            }
            segmented.push_back(Segments(run));
            segmentCount += segmented.back().size();
        }
        for (const auto &segments : segmented)
            for (const QStringView segment : segments) {
                const QString key = vl::UpperCase(segment);
                segmentUse[key] += projects;
                if (segmentCount >= 2) {
                    Variants &variants = inCompounds[key];
                    if (variants.spellings.empty())
                        variants.firstSeen = keys;
                    variants.Add(segment, projects);
                }
            }
    }

    // The words: segments by their use, most used first.
    struct Ranked {
        QString key;
        qint64 use;
        int firstSeen;
    };
    std::vector<Ranked> order;
    for (auto it = segmentUse.cbegin(); it != segmentUse.cend(); ++it)
        if (it.value() >= kMinProjects) {
            const auto found = inCompounds.constFind(it.key());
            order.push_back(
                {it.key(), it.value(), found == inCompounds.cend() ? keys + 1 : found->firstSeen});
        }
    std::sort(order.begin(), order.end(), [](const Ranked &a, const Ranked &b) {
        return a.use != b.use ? a.use > b.use : a.firstSeen < b.firstSeen;
    });
    QHash<QString, QString> wordSpelling = rows;
    QByteArray wordsOut;
    for (std::size_t i = 0; i < order.size(); ++i) {
        const QString &key = order[i].key;
        if (key.size() < 3 || rows.contains(key))
            continue;
        const auto found = inCompounds.constFind(key);
        if (found == inCompounds.cend())
            continue;
        const auto *best = found->Best(true);
        if (!best)
            continue;
        wordSpelling.insert(key, best->first);
        const qint64 compounds = key.size() <= kShortWord ? found->total : 0;
        wordsOut += best->first.toUtf8() + '\t' + QByteArray::number(keys + 1 + qint64(i)) + '\t'
                    + QByteArray::number(compounds) + '\n';
    }
    QList<QString> shortRows;
    for (auto it = rows.cbegin(); it != rows.cend(); ++it)
        if (it.key().size() <= kShortWord && inCompounds.contains(it.key()))
            shortRows.append(it.key());
    std::sort(shortRows.begin(), shortRows.end());
    for (const QString &key : shortRows)
        wordsOut += rows.value(key).toUtf8() + "\t0\t"
                    + QByteArray::number(inCompounds.value(key).total) + '\n';

    // The runs, in the order of their upper-case forms.
    std::vector<std::pair<QByteArray, QString>> runKeys; // UTF-8 form, key
    for (auto it = runs.cbegin(); it != runs.cend(); ++it)
        if (it->total >= kMinProjects)
            runKeys.emplace_back(it.key().toUtf8(), it.key());
    std::sort(runKeys.begin(), runKeys.end());
    QByteArray runsOut;
    for (const auto &[bytes, key] : runKeys) {
        const Variants &variants = runs[key];
        const auto *best = variants.Best(false);
        const bool clear = best->second >= kClearMajority * double(variants.total);
        if (clear && wordSpelling.value(key) == best->first)
            continue;
        runsOut += (clear ? "=" : "?") + best->first.toUtf8() + '\n';
    }
    return Write(wordsPath, wordsOut) && Write(runsPath, runsOut) ? 0 : 1;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 5) {
        std::fprintf(stderr, "usage: vorlant-compound-names NAMES CANDIDATES WORDS RUNS\n");
        return 2;
    }
    return Run(QString::fromLocal8Bit(argv[1]), QString::fromLocal8Bit(argv[2]),
               QString::fromLocal8Bit(argv[3]), QString::fromLocal8Bit(argv[4]));
}
