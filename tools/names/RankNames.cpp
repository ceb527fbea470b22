// Writes the rank of every row of the built-in name dictionary, for the spelling suggestions.
//
//   vorlant-rank-names NAMES CANDIDATES OUTPUT
//
// NAMES is data/names.txt, CANDIDATES the ranked table that harvest.py writes (one key a line, in
// rank order). OUTPUT gets one number a line, the rank of the row of NAMES on the same line: the
// line number of its key in the table, counting the table's first key as 1. A row that the table
// lacks (one taken from the seed alone) ranks after every key of the table. The build runs this
// tool, so the ranks always follow the committed table and need nothing else.

#include "VLUtils/core/TextRules.h"

#include <QFile>
#include <QHash>
#include <QSaveFile>
#include <QString>

#include <cstdio>

namespace {

bool ReadLines(const QString &path, QList<QByteArray> &lines)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "vorlant-rank-names: cannot read %s\n", qPrintable(path));
        return false;
    }
    lines = file.readAll().split('\n');
    return true;
}

int Run(const QString &namesPath, const QString &candidatesPath, const QString &outputPath)
{
    QList<QByteArray> names;
    QList<QByteArray> candidates;
    if (!ReadLines(namesPath, names) || !ReadLines(candidatesPath, candidates))
        return 1;

    QHash<QString, int> rankOf;
    int rank = 0;
    for (const QByteArray &line : candidates) {
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        const QByteArray spelling = line.left(line.indexOf('\t'));
        rankOf.insert(vl::UpperCase(QString::fromUtf8(spelling)), ++rank);
    }
    const int unranked = rank + 1;

    QByteArray out;
    for (QByteArray row : names) {
        if (row.endsWith('\r'))
            row.chop(1);
        if (row.isEmpty())
            continue;
        out += QByteArray::number(rankOf.value(vl::UpperCase(QString::fromUtf8(row)), unranked));
        out += '\n';
    }
    QSaveFile file(outputPath);
    if (!file.open(QIODevice::WriteOnly) || file.write(out) != out.size() || !file.commit()) {
        std::fprintf(stderr, "vorlant-rank-names: cannot write %s\n", qPrintable(outputPath));
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: vorlant-rank-names NAMES CANDIDATES OUTPUT\n");
        return 2;
    }
    return Run(QString::fromLocal8Bit(argv[1]), QString::fromLocal8Bit(argv[2]),
               QString::fromLocal8Bit(argv[3]));
}
