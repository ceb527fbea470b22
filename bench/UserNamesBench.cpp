// Loading a large user name file: 1,000,000 distinct names in random order, read from the file
// into both lists of the name dictionary beside the built-in rows, as start-up does. A second
// figure loads the same names sorted, and a third only reads the file's lines (the floor).

#include "VLMain/core/Dictionary.h"
#include "VLMain/core/UserNames.h"
#include "data/BuiltinData.h"
#include "platform/core/IniFile.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>

namespace {

constexpr int kNames = 1'000'000 - 10'000; // what fits beside the built-in rows

// A name of letters only, distinct for each number.
QString NameFor(int n)
{
    QString name = QStringLiteral("Nm");
    for (int i = 0; i < 5; ++i, n /= 26)
        name += QChar(u'a' + n % 26);
    return name + QStringLiteral("Tool");
}

// The user name file with the names in random order (shuffled) or sorted.
QString MakeFile(const QTemporaryDir &dir, bool shuffled)
{
    std::vector<int> order(kNames);
    for (int i = 0; i < kNames; ++i)
        order[static_cast<std::size_t>(i)] = i;
    if (shuffled)
        std::shuffle(order.begin(), order.end(), *QRandomGenerator::global());
    QByteArray text = "[NAMES]\n";
    for (int i = 0; i < kNames; ++i)
        text += QByteArray::number(i) + '=' + NameFor(order[static_cast<std::size_t>(i)]).toUtf8()
                + '\n';
    const QString path
        = dir.filePath(shuffled ? QStringLiteral("random.ini") : QStringLiteral("sorted.ini"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
        std::abort();
    return path;
}

void Load(benchmark::State &state, bool shuffled)
{
    QTemporaryDir dir;
    const QString path = MakeFile(dir, shuffled);
    const QStringList builtin = vl::data::BuiltinNames();
    for (auto _ : state) {
        vl::TDictionaries d;
        d.names.SetBuiltinRows(builtin);
        vl::LoadUserNames(d, path);
        if (d.names.UserList().size() != kNames)
            state.SkipWithError("names lost");
        benchmark::DoNotOptimize(d.names.Count());
    }
}

void BM_LoadUserNamesRandom(benchmark::State &state)
{
    Load(state, true);
}
void BM_LoadUserNamesSorted(benchmark::State &state)
{
    Load(state, false);
}

void BM_ReadUserNameFileLines(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString path = MakeFile(dir, true);
    for (auto _ : state) {
        const vl::IniFile ini(path);
        benchmark::DoNotOptimize(ini.SectionLines(u"NAMES").size());
    }
}

BENCHMARK(BM_LoadUserNamesRandom)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_LoadUserNamesSorted)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ReadUserNameFileLines)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

BENCHMARK_MAIN();
