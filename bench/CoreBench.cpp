// The in-process figures of the logic libraries, with their baselines in the same run:
//   PrepareDictionaries and FindName on the built-in data;
//   a bare listing of the folder (readdir and fstatat per entry) beside ScanFolder into the model;
//   a byte-wise std::sort of the captions beside the list's sort by caption, both directions.
// The folder figures need --folder=DIR (a folder made by "vorlant-bench-tool make").

#include "VLMain/core/Dictionary.h"
#include "VLMain/core/FileListModel.h"
#include "VLMain/core/FolderScan.h"

#include <benchmark/benchmark.h>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

std::string &Folder()
{
    static std::string folder;
    return folder;
}

class NoPrompt final : public vl::SelfCheckPrompt
{
public:
    bool Continue(const QString &) override { return true; }
};

// Lets the list take its items in batches every 10 ms, as the window does, without a window.
class BatchHooks final : public vl::ScanHooks
{
public:
    bool MessagesDue() override
    {
        const auto now = std::chrono::steady_clock::now();
        if (now - last_ < std::chrono::milliseconds(10))
            return false;
        last_ = now;
        return true;
    }

private:
    std::chrono::steady_clock::time_point last_ = std::chrono::steady_clock::now();
};

// The items of the folder in the order in which the directory lists them.
const QList<vl::FileItem> &ListedItems()
{
    static const QList<vl::FileItem> items = [] {
        QList<vl::FileItem> listed;
        const std::unique_ptr<vl::DirectoryListing> listing = vl::SystemFileSystem().NewListing();
        vl::DirectoryEntry entry;
        for (int r = listing->Start(QByteArray::fromStdString(Folder() + "/*.*"), 63, entry);
             r == 0; r = listing->Next(entry))
            if (vl::IsPlainFile(entry.attributes))
                listed.append(vl::MakeFileItem(entry.name));
        return listed;
    }();
    return items;
}

bool NeedFolder(benchmark::State &state)
{
    if (!Folder().empty())
        return true;
    state.SkipWithError("no --folder=DIR given");
    return false;
}

void BM_PrepareDictionaries(benchmark::State &state)
{
    NoPrompt prompt;
    for (auto _ : state) {
        state.PauseTiming();
        auto dictionaries = std::make_unique<vl::TDictionaries>();
        state.ResumeTiming();
        benchmark::DoNotOptimize(vl::PrepareDictionaries(*dictionaries, prompt));
        state.PauseTiming();
        dictionaries.reset(); // not part of the figure
        state.ResumeTiming();
    }
}
BENCHMARK(BM_PrepareDictionaries)->Unit(benchmark::kMillisecond);

// One lookup per iteration, cycling through every row of the name dictionary in lower case
// (found) and as many texts that it does not hold.
void BM_FindName(benchmark::State &state)
{
    NoPrompt prompt;
    vl::TDictionaries dictionaries;
    vl::PrepareDictionaries(dictionaries, prompt);
    QStringList texts;
    for (const QString &row : dictionaries.names.Spellings()) {
        texts.append(row.toLower());
        texts.append(row.toLower() + u"xq");
    }
    qsizetype i = 0;
    int found = 0;
    for (auto _ : state) {
        found += dictionaries.names.FindName(texts.at(i)) >= 0 ? 1 : 0;
        if (++i == texts.size())
            i = 0;
    }
    benchmark::DoNotOptimize(found);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FindName)->Unit(benchmark::kNanosecond);

// Baseline: read every entry and its attributes, keep the names.
void BM_BareListing(benchmark::State &state)
{
    if (!NeedFolder(state))
        return;
    for (auto _ : state) {
        std::vector<std::string> names;
        DIR *d = ::opendir(Folder().c_str());
        while (const dirent *e = ::readdir(d)) {
            struct stat st;
            if (::fstatat(::dirfd(d), e->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0
                && S_ISREG(st.st_mode))
                names.emplace_back(e->d_name);
        }
        ::closedir(d);
        benchmark::DoNotOptimize(names.data());
    }
}
BENCHMARK(BM_BareListing)->Unit(benchmark::kMillisecond);

void BM_ScanFolderModel(benchmark::State &state)
{
    if (!NeedFolder(state))
        return;
    vl::FileListModel model;
    vl::SortFlags flags;
    BatchHooks hooks;
    vl::FolderScanner scanner(model, flags, hooks, vl::SystemFileSystem());
    const QString folder = QString::fromStdString(Folder());
    for (auto _ : state) {
        flags.SetAll();
        scanner.ScanFolder(folder);
    }
    if (model.size() != static_cast<int>(ListedItems().size()))
        state.SkipWithError("the scan listed another number of files");
}
BENCHMARK(BM_ScanFolderModel)->Unit(benchmark::kMillisecond);

// Baseline: the captions as UTF-8, sorted byte by byte, from the listing order.
void BM_ByteSort(benchmark::State &state)
{
    if (!NeedFolder(state))
        return;
    std::vector<std::string> listed;
    for (const vl::FileItem &item : ListedItems())
        listed.push_back(item.caption.toStdString());
    for (auto _ : state) {
        state.PauseTiming();
        std::vector<std::string> captions = listed;
        state.ResumeTiming();
        std::sort(captions.begin(), captions.end());
        benchmark::DoNotOptimize(captions.data());
    }
}
BENCHMARK(BM_ByteSort)->Unit(benchmark::kMillisecond);

// The list's sort by caption (mode 1) from the listing order; argument 1 ascending, 0 descending.
void BM_SortByCaption(benchmark::State &state)
{
    if (!NeedFolder(state))
        return;
    vl::FileListModel model;
    vl::SortFlags flags;
    flags.SortAscending[0] = state.range(0) != 0;
    for (auto _ : state) {
        state.PauseTiming();
        model.Clear();
        QList<vl::FileItem> fresh = ListedItems();
        fresh.detach(); // the list's own items, as after a scan
        model.Append(std::move(fresh));
        state.ResumeTiming();
        vl::SortItems(model, vl::SortMode::ByCaption, flags);
    }
}
BENCHMARK(BM_SortByCaption)->ArgName("ascending")->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--folder=", 9) == 0) {
            Folder() = argv[i] + 9;
        } else {
            std::fprintf(stderr, "vorlant-bench-core: unknown argument %s\n", argv[i]);
            return 2;
        }
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
