// Prints the suggested spelling of each name core read from standard input, one a line (an empty
// line where there is none), with the words of a given dictionary, its ranks and what
// vorlant-compound-names gathered from the same table. It serves the measurement of the
// suggestions on names the dictionary never saw (suggestions.py).
//
//   vorlant-suggest-names NAMES RANKS WORDS RUNS < cores > suggestions

#include "VLMain/core/SpellingSuggestion.h"

#include <QFile>
#include <QTextStream>

#include <cstdio>

namespace {

QStringList ReadRows(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList rows;
    for (const QByteArray &line : file.readAll().split('\n'))
        if (!line.isEmpty())
            rows.append(QString::fromUtf8(line));
    return rows;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 5) {
        std::fprintf(stderr, "usage: vorlant-suggest-names NAMES RANKS WORDS RUNS < cores\n");
        return 2;
    }
    const QStringList rows = ReadRows(QString::fromLocal8Bit(argv[1]));
    QList<int> ranks;
    for (const QString &rank : ReadRows(QString::fromLocal8Bit(argv[2])))
        ranks.append(rank.toInt());
    if (rows.isEmpty() || ranks.size() != rows.size()) {
        std::fprintf(stderr, "vorlant-suggest-names: the names and ranks do not match\n");
        return 1;
    }
    vl::SuggestionWords words(rows, ranks);
    for (const QString &line : ReadRows(QString::fromLocal8Bit(argv[3]))) {
        const QStringList columns = line.split(u'\t');
        if (columns.size() == 3)
            words.AddCompoundWord(columns.at(0), columns.at(1).toInt(), columns.at(2).toInt());
    }
    QFile runs(QString::fromLocal8Bit(argv[4]));
    if (!runs.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "vorlant-suggest-names: cannot read %s\n", argv[4]);
        return 1;
    }
    words.SetRunSpellings(vl::RunSpellings(runs.readAll()));
    QTextStream in(stdin);
    QTextStream out(stdout);
    QString core;
    while (in.readLineInto(&core))
        out << vl::SuggestSpelling(core, words) << '\n';
    return 0;
}
