// Runs the rename pass as the window runs it, for the crash trials and the journal's timing.
//
//   vorlant-crash-driver pass FOLDER JOURNALS [SYNC_MS]
//       lists FOLDER and renames it with a journal in JOURNALS; prints "pass N" as the pass
//       reaches its first item and "renamed N failed M" at its end
//   vorlant-crash-driver recover JOURNALS
//       what the program does at start: recovers unfinished journals; prints the counts
//   vorlant-crash-driver time FOLDER JOURNALS SYNC_MS
//       one pass, timed; SYNC_MS "none" runs it without a journal; prints "ms N"

#include "VLMain/core/Dictionary.h"
#include "VLMain/core/FolderScan.h"
#include "VLMain/core/JournalRecovery.h"
#include "VLMain/core/RenamePass.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cstdio>
#include <cstring>

namespace {

class NoPrompt final : public vl::SelfCheckPrompt
{
public:
    bool Continue(const QString &) override { return true; }
};

// In pass mode, tells the trials when the renames begin: the first item comes after the
// journal is on disk.
class PassHooks final : public vl::RenamePassHooks
{
public:
    explicit PassHooks(bool announce) : announce_(announce) { }
    void BeforeItem(int done, int count, const QString &) override
    {
        if (announce_ && done == 0) {
            std::printf("pass %d\n", count);
            std::fflush(stdout);
        }
    }

private:
    bool announce_;
};

int Usage()
{
    std::fprintf(stderr, "usage: vorlant-crash-driver pass|recover|time ...\n");
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (args.isEmpty())
        return Usage();

    if (args[0] == u"recover" && args.size() == 2) {
        const vl::RecoveryReport r = vl::RecoverUnfinishedJournals(args[1], vl::SystemFileSystem());
        std::printf("journals %d new %d old %d left %d unreachable %d\n", r.journals, r.toNewName,
                    r.toOldName, r.leftAtTemp, r.unreachable);
        return 0;
    }
    if ((args[0] != u"pass" && args[0] != u"time") || args.size() < 3)
        return Usage();

    const QString folder = vl::WithSeparator(args[1]);
    vl::TDictionaries dictionaries;
    NoPrompt prompt;
    vl::PrepareDictionaries(dictionaries, prompt);
    vl::FileListModel files;
    vl::SortFlags flags;
    flags.SetAll();
    vl::ScanHooks scanHooks;
    vl::FolderScanner scanner(files, flags, scanHooks, vl::SystemFileSystem());
    // As the window does it: recovery before the scan of the folder.
    vl::RecoverUnfinishedJournals(args[2], vl::SystemFileSystem(), folder);
    scanner.ScanFolder(folder);

    vl::RenameOptions options;
    options.journalFolder = args[2];
    if (args.size() > 3 && args[3] == u"none")
        options.journalFolder.clear();
    else if (args.size() > 3)
        options.journalSyncIntervalMs = args[3].toInt();
    PassHooks hooks(args[0] == u"pass");
    QElapsedTimer timer;
    timer.start();
    const vl::PassReport report
        = vl::RenameFiles(folder, files, dictionaries, vl::SystemFileSystem(), hooks, options);
    const qint64 ms = timer.elapsed();
    if (!report.journalError.isEmpty())
        std::fprintf(stderr, "journal: %s\n", report.journalError.toUtf8().constData());
    if (args[0] == u"time")
        std::printf("ms %lld files %lld\n", static_cast<long long>(ms),
                    static_cast<long long>(files.size()));
    else
        std::printf("renamed %d failed %d\n", report.renamed, report.failed);
    if (qEnvironmentVariableIsSet("VORLANT_DRIVER_VERBOSE"))
        for (const QString &f : report.failures)
            std::fprintf(stderr, "%s\n", f.toUtf8().constData());
    return 0;
}
