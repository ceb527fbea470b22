// What suggested spellings cost a pass over 100,000 names that no dictionary holds: the pass's
// decisions for every item (ClassifyItem, its work apart from the disk) alone; the same with a
// suggestion made for every item at once; and the same with the suggestions the window makes,
// lazily, for the tooltips of one screen of rows (40) after the pass.
//   vorlant-bench-suggest [--benchmark_repetitions=N]

#include "VLMain/core/Dictionary.h"
#include "VLMain/core/RenamePass.h"
#include "VLMain/core/SpellingSuggestion.h"

#include <benchmark/benchmark.h>

#include <cstdio>

namespace {

class NoPrompt final : public vl::SelfCheckPrompt
{
public:
    bool Continue(const QString &) override { return true; }
};

const vl::TDictionaries &Dictionaries()
{
    static const vl::TDictionaries dictionaries = [] {
        vl::TDictionaries d;
        NoPrompt prompt;
        vl::PrepareDictionaries(d, prompt);
        return d;
    }();
    return dictionaries;
}

// 100,000 unknown names: half made of known words («printpreview_000123.TXT»), half of none
// («qzxw000124.TXT»), each core its own.
const QList<vl::FileItem> &UnknownItems()
{
    static const QList<vl::FileItem> items = [] {
        static const char *const kWords[] = {"printpreview", "setupwizard", "readmefirst",
                                             "installlog",   "mainwindow",  "configfile"};
        static const char *const kNone[] = {"qzxw", "vlkt", "zzqp", "wqxj"};
        QList<vl::FileItem> list;
        char name[64];
        for (int i = 0; i < 100'000; ++i) {
            if (i % 2 == 0)
                std::snprintf(name, sizeof name, "%s%s_%06d.TXT", kWords[i % 6],
                              kWords[(i / 6) % 6], i);
            else
                std::snprintf(name, sizeof name, "%s%06d.TXT", kNone[i % 4], i);
            list.append(vl::MakeFileItem(QByteArray(name)));
        }
        return list;
    }();
    return items;
}

void BM_PassUnknownNames(benchmark::State &state)
{
    const QList<vl::FileItem> &items = UnknownItems();
    for (auto _ : state) {
        vl::SeenCores seen;
        for (const vl::FileItem &item : items)
            benchmark::DoNotOptimize(vl::ClassifyItem(item, Dictionaries(), seen));
    }
}
BENCHMARK(BM_PassUnknownNames)->Unit(benchmark::kMillisecond);

void BM_PassWithEverySuggestion(benchmark::State &state)
{
    const QList<vl::FileItem> &items = UnknownItems();
    int offered = 0;
    for (auto _ : state) {
        vl::SpellingSuggester suggester(Dictionaries());
        vl::SeenCores seen;
        offered = 0;
        for (const vl::FileItem &item : items) {
            benchmark::DoNotOptimize(vl::ClassifyItem(item, Dictionaries(), seen));
            offered += suggester.CaptionFor(item).isEmpty() ? 0 : 1;
        }
    }
    state.counters["offered"] = offered;
}
BENCHMARK(BM_PassWithEverySuggestion)->Unit(benchmark::kMillisecond);

void BM_PassWithScreenOfTooltips(benchmark::State &state)
{
    const QList<vl::FileItem> &items = UnknownItems();
    for (auto _ : state) {
        vl::SpellingSuggester suggester(Dictionaries());
        vl::SeenCores seen;
        for (const vl::FileItem &item : items)
            benchmark::DoNotOptimize(vl::ClassifyItem(item, Dictionaries(), seen));
        for (int row = 0; row < 40; ++row)
            benchmark::DoNotOptimize(suggester.CaptionFor(items.at(row)));
    }
}
BENCHMARK(BM_PassWithScreenOfTooltips)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
