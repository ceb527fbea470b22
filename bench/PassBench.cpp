// The rename pass without the window: the same RenameFiles over the same list, with hooks that do
// nothing. Beside the window's figure it shows what the window adds, with --no-journal what the
// journal costs, and with --sync-ms N (the time between its flushes to disk) what the flushes
// cost. Prints "pass_core_ms <ms>".
//   vorlant-bench-pass DIR CONFIG [--no-journal | --sync-ms N]

#include "VLMain/core/Dictionary.h"
#include "VLMain/core/FolderScan.h"
#include "VLMain/core/RenamePass.h"

#include <QString>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

class NoPrompt final : public vl::SelfCheckPrompt
{
public:
    bool Continue(const QString &) override { return true; }
};

class QuietHooks final : public vl::RenamePassHooks
{
public:
    void BeforeItem(int, int, const QString &) override { }
};

} // namespace

int main(int argc, char **argv)
{
    const bool noJournal = argc == 4 && std::strcmp(argv[3], "--no-journal") == 0;
    const bool syncMs = argc == 5 && std::strcmp(argv[3], "--sync-ms") == 0;
    if (argc != 3 && !noJournal && !syncMs) {
        std::fprintf(stderr, "usage: vorlant-bench-pass DIR CONFIG [--no-journal | --sync-ms N]\n");
        return 2;
    }
    const QString folder = vl::WithSeparator(QString::fromLocal8Bit(argv[1]));
    NoPrompt prompt;
    vl::TDictionaries dictionaries;
    vl::PrepareDictionaries(dictionaries, prompt);
    vl::FileListModel files;
    vl::SortFlags flags;
    vl::ScanHooks scanHooks;
    vl::FolderScanner scanner(files, flags, scanHooks, vl::SystemFileSystem());
    scanner.ScanFolder(folder);

    vl::RenameOptions options;
    if (!noJournal)
        options.journalFolder = QString::fromLocal8Bit(argv[2]) + u"/journal";
    if (syncMs)
        options.journalSyncIntervalMs = std::atoi(argv[4]);
    QuietHooks hooks;
    const auto start = std::chrono::steady_clock::now();
    const vl::PassReport report
        = vl::RenameFiles(folder, files, dictionaries, vl::SystemFileSystem(), hooks, options);
    const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
    std::printf("items %d\n", files.size());
    std::printf("pass_core_ms %.3f\n", took.count());
    std::printf("failed %d\n", report.failed);
    return report.failed > 0 || !report.journalError.isEmpty() ? 1 : 0;
}
