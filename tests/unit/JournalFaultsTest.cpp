// Journal writes that fail: the pass renames every file all the same, loses none, and says that
// its journal is missing or has gaps.

#include "VLMain/core/JournalRecovery.h"
#include "VLMain/core/RenameJournal.h"
#include "VLMain/core/RenamePass.h"

#include "support/TestSupport.h"

#include <QDir>

#include <gtest/gtest.h>

#include <cerrno>

namespace vl {
namespace {

using test::BuiltinDictionaries;
using test::TempFolder;

// The system's journal files, with chosen calls made to fail.
class FaultyJournalStore final : public JournalStore
{
public:
    int appendFailsAt = -1; // the n-th append (from 0) over all files fails
    int syncFailsAt = -1; // likewise for flushes of a file
    QString renameFailsTo; // a rename to a name with this suffix fails
    bool folderSyncFails = false;
    int appends = 0, syncs = 0;

    int MakeFolder(const QString &folder) override
    {
        return SystemJournalStore().MakeFolder(folder);
    }
    int Create(const QString &path, std::unique_ptr<JournalFile> &file) override
    {
        std::unique_ptr<JournalFile> real;
        const int error = SystemJournalStore().Create(path, real);
        if (error == 0)
            file = std::make_unique<File>(*this, std::move(real));
        return error;
    }
    int Open(const QString &path, std::unique_ptr<JournalFile> &file) override
    {
        std::unique_ptr<JournalFile> real;
        const int error = SystemJournalStore().Open(path, real);
        if (error == 0)
            file = std::make_unique<File>(*this, std::move(real));
        return error;
    }
    int Rename(const QString &from, const QString &to) override
    {
        if (!renameFailsTo.isEmpty() && to.endsWith(renameFailsTo))
            return EIO;
        return SystemJournalStore().Rename(from, to);
    }
    int Remove(const QString &path) override { return SystemJournalStore().Remove(path); }
    int SyncFolder(const QString &folder) override
    {
        return folderSyncFails ? EIO : SystemJournalStore().SyncFolder(folder);
    }
    int CheckOwner(const QString &path) override { return SystemJournalStore().CheckOwner(path); }

private:
    class File final : public JournalFile
    {
    public:
        File(FaultyJournalStore &store, std::unique_ptr<JournalFile> real) :
            store_(store),
            real_(std::move(real))
        { }
        int Append(const QByteArray &bytes) override
        {
            return store_.appends++ == store_.appendFailsAt ? ENOSPC : real_->Append(bytes);
        }
        int Sync() override { return store_.syncs++ == store_.syncFailsAt ? EIO : real_->Sync(); }
        QByteArray ReadAll() override { return real_->ReadAll(); }
        int Truncate(qint64 size) override { return real_->Truncate(size); }

    private:
        FaultyJournalStore &store_;
        std::unique_ptr<JournalFile> real_;
    };
};

class FaultyJournalFileSystem final : public test::ForwardingFileSystem
{
public:
    JournalStore &Journals() override { return store; }
    FaultyJournalStore store;
};

struct NoHooks : RenamePassHooks {
    void BeforeItem(int, int, const QString &) override { }
};

const QList<QByteArray> kNames {"readme.TXT", "setup.EXE", "INSTALL"};
const QList<QByteArray> kNewNames {"ReadMe.txt", "Setup.exe", "Install"};

// Every file is there once with its contents, under its old or its new name.
void ExpectEveryFile(const TempFolder &dir, const char *title)
{
    EXPECT_EQ(dir.Names().size(), kNames.size()) << title;
    for (qsizetype i = 0; i < kNames.size(); ++i) {
        const QByteArray where = dir.Names().contains(kNames[i]) ? kNames[i] : kNewNames[i];
        EXPECT_EQ(dir.Contents(where), "data:" + kNames[i]) << title;
    }
}

TEST(JournalFaults, APassWhoseJournalFailsRenamesEveryFileAndSaysSo)
{
    struct Case {
        const char *title;
        void (*arrange)(FaultyJournalStore &);
        bool begun; // the journal was written before the first rename
        QString ending; // the journal's suffix after the pass
        int reversed; // the files that an undo takes back
    };
    const Case cases[] = {
        {"the plan is not written",
         [](FaultyJournalStore &s) { s.appendFailsAt = 0; },
         false,
         {},
         0},
        {"the plan is not flushed", [](FaultyJournalStore &s) { s.syncFailsAt = 0; }, false, {}, 0},
        {"the plan keeps its first name",
         [](FaultyJournalStore &s) { s.renameFailsTo = u".open"_qs; },
         false,
         {},
         0},
        {"the journal folder is not flushed",
         [](FaultyJournalStore &s) { s.folderSyncFails = true; },
         false,
         {},
         0},
        // The later records and the end fit again: still the journal lacks a record, and only
        // recovery, which reads the folder, may finish it.
        {"a record is not written", [](FaultyJournalStore &s) { s.appendFailsAt = 2; }, true,
         u".open"_qs, 3},
        {"a record is not flushed", [](FaultyJournalStore &s) { s.syncFailsAt = 2; }, true,
         u".open"_qs, 3},
        {"the end is not flushed", [](FaultyJournalStore &s) { s.syncFailsAt = 4; }, true,
         u".open"_qs, 3},
        {"the finished journal keeps its name",
         [](FaultyJournalStore &s) { s.renameFailsTo = u".done"_qs; }, true, u".open"_qs, 3},
    };
    for (const Case &c : cases) {
        TempFolder dir, journals;
        FileListModel model;
        for (const QByteArray &n : kNames) {
            dir.AddFile(n, "data:" + n);
            model.Append(MakeFileItem(n));
        }
        FaultyJournalFileSystem fs;
        c.arrange(fs.store);
        NoHooks hooks;
        RenameOptions options;
        options.journalFolder = journals.path();
        options.journalSyncIntervalMs = 0; // every record is written and flushed at once
        const PassReport report
            = RenameFiles(dir.path(), model, BuiltinDictionaries(), fs, hooks, options);

        EXPECT_EQ(report.renamed, 3) << c.title;
        QList<QByteArray> renamed = kNewNames;
        std::sort(renamed.begin(), renamed.end());
        EXPECT_EQ(dir.Names(), renamed) << c.title;
        ExpectEveryFile(dir, c.title);
        EXPECT_FALSE(report.journalError.isEmpty()) << c.title;
        const QStringList left = QDir(journals.path()).entryList(QDir::Files);
        if (!c.begun) {
            EXPECT_TRUE(left.isEmpty()) << c.title << ": " << left.join(u' ').toStdString();
            EXPECT_TRUE(report.journalPath.isEmpty()) << c.title;
            continue;
        }
        ASSERT_EQ(left.size(), 1) << c.title;
        EXPECT_TRUE(left.at(0).endsWith(c.ending)) << c.title << ": " << left.at(0).toStdString();
        // A journal left unfinished is finished by the next start, which finds every file
        // settled; either way an undo takes back what the folder shows renamed.
        const RecoveryReport recovery
            = RecoverUnfinishedJournals(journals.path(), SystemFileSystem());
        EXPECT_EQ(recovery.toNewName + recovery.toOldName + recovery.leftAtTemp, 0) << c.title;
        const std::optional<JournalContents> last = ReadLastJournal(dir.path(), journals.path());
        ASSERT_TRUE(last) << c.title;
        const UndoReport undo = UndoPass(*last, SystemFileSystem(), journals.path());
        EXPECT_EQ(undo.reversed, c.reversed) << c.title;
        EXPECT_TRUE(undo.notReversed.isEmpty()) << c.title;
        ExpectEveryFile(dir, c.title);
    }
}

} // namespace
} // namespace vl
