#include "VLMain/core/RenamePass.h"

#include "VLMain/core/FolderScan.h"
#include "VLMain/core/JournalRecovery.h"
#include "VLMain/core/RenameSteps.h"
#include "VLUtils/core/TextRules.h"

#include "support/TestSupport.h"

#include <QFile>
#include <QMap>

#include <gtest/gtest.h>

#include <cerrno>
#include <functional>

namespace vl {
namespace {

using test::TempFolder;
using test::U;

using test::BuiltinDictionaries;

struct TitleHooks : RenamePassHooks {
    void BeforeItem(int, int, const QString &title) override { titles << title; }
    QStringList titles;
};

// The real file system, with every rename recorded and chosen renames made to fail.
class RecordingFileSystem : public test::ForwardingFileSystem
{
public:
    int RenameNoReplace(const QByteArray &folder, const QByteArray &from,
                        const QByteArray &to) override
    {
        calls << QString::fromUtf8(from + " -> " + to);
        if (fail && fail(from, to))
            return failWith;
        if (keepOldSpelling && from.endsWith(".tmp")) {
            // Reports success for the case-only step but puts the old spelling back.
            const QByteArray old = from.chopped(4);
            return ForwardingFileSystem::RenameNoReplace(folder, from,
                                                         old.endsWith("..") ? old.chopped(1) : old);
        }
        return ForwardingFileSystem::RenameNoReplace(folder, from, to);
    }
    int ListNames(const QByteArray &folder, QList<QByteArray> &names) override
    {
        listingsBeforeRenames += calls.isEmpty() ? 1 : 0;
        return ForwardingFileSystem::ListNames(folder, names);
    }
    QStringList calls;
    int listingsBeforeRenames = 0;
    std::function<bool(const QByteArray &from, const QByteArray &to)> fail;
    int failWith = EIO;
    bool keepOldSpelling = false;
};

// Lists the given disk names into a model in exactly that order.
void Fill(FileListModel &model, const QList<QByteArray> &names)
{
    for (const QByteArray &n : names)
        model.Append(MakeFileItem(n));
}

PassReport Pass(const TempFolder &dir, FileListModel &model, FileSystem &fs)
{
    TitleHooks hooks;
    return RenameFiles(dir.path(), model, BuiltinDictionaries(), fs, hooks);
}

TEST(RenamePass, WorkedExamples)
{
    struct Row {
        const char *file;
        const char *newFile;
        const char *caption;
        const char *extension;
        ItemState state;
        bool checked;
    };
    const Row rows[] = {
        {"READ.ME", "Read.Me", "Read.Me", "", ItemState::Recognised, false},
        {"setup.EXE", "Setup.exe", "Setup", "exe", ItemState::Recognised, false},
        {"01-readme-2.TXT", "01-ReadMe-2.txt", "01-ReadMe-2", "txt", ItemState::Recognised, false},
        {"INDEX.SHTML.RU", "Index.shtml.ru", "Index.shtml", "ru", ItemState::Recognised, false},
        {"ReadMe.txt", "ReadMe.txt", "ReadMe", "txt", ItemState::Recognised, false},
        {"README", "ReadMe", "ReadMe", "", ItemState::Recognised, false},
        {"Kvartal.DOC", "Kvartal.doc", "Kvartal", "doc", ItemState::Unrecognised, true},
        {"kvartal-2.doc", "kvartal-2.doc", "kvartal-2", "doc", ItemState::Unrecognised, false},
        {"1.JPG", "1.jpg", "1", "jpg", ItemState::Recognised, false},
    };
    TempFolder dir;
    FileListModel model;
    QList<QByteArray> before, after;
    for (const Row &r : rows) {
        dir.AddFile(QByteArray(r.file), QByteArray("contents of ") + r.file);
        before << r.file;
        after << r.newFile;
    }
    Fill(model, before);
    const PassReport report = Pass(dir, model, SystemFileSystem());
    EXPECT_EQ(report.failed, 0);
    std::sort(after.begin(), after.end());
    EXPECT_EQ(dir.Names(), after);
    for (int i = 0; i < model.size(); ++i) {
        const FileItem &item = model.at(i);
        const Row &r = rows[i];
        EXPECT_EQ(item.caption, U(r.caption)) << r.file;
        EXPECT_EQ(item.extension, U(r.extension)) << r.file;
        EXPECT_EQ(item.state, r.state) << r.file;
        EXPECT_EQ(item.checked, r.checked) << r.file;
        EXPECT_EQ(item.diskName, QByteArray(r.newFile)) << r.file;
        EXPECT_EQ(dir.Contents(r.newFile), QByteArray("contents of ") + r.file);
    }
}

// Renames in a held folder go through the open folder and still never replace a file; renames
// elsewhere go by path as before, and so do all after the folder is released.
TEST(FileSystem, HeldFolderRenames)
{
    TempFolder held, other;
    held.AddFile(QByteArray("a.TXT"), "a");
    held.AddFile(QByteArray("taken.txt"), "t");
    other.AddFile(QByteArray("b.TXT"), "b");
    FileSystem &fs = SystemFileSystem();
    {
        const FolderHold hold(fs, held.nativePath());
        EXPECT_EQ(fs.RenameNoReplace(held.nativePath(), "a.TXT", "a.txt"), 0);
        EXPECT_EQ(fs.RenameNoReplace(held.nativePath(), "a.txt", "taken.txt"), EEXIST);
        EXPECT_EQ(fs.RenameNoReplace(held.nativePath(), "gone", "x"), ENOENT);
        EXPECT_EQ(fs.RenameNoReplace(other.nativePath(), "b.TXT", "b.txt"), 0);
    }
    EXPECT_EQ(fs.RenameNoReplace(held.nativePath(), "a.txt", "A.txt"), 0);
    EXPECT_EQ(held.Names(), (QList<QByteArray> {"A.txt", "taken.txt"}));
    EXPECT_EQ(held.Contents("taken.txt"), "t");
    EXPECT_EQ(other.Names(), QList<QByteArray> {"b.txt"});
}

TEST(RenamePass, RenamesThroughTheTemporaryNameOnlyWhenNeeded)
{
    TempFolder dir;
    for (const char *f : {"ReadMe.TXT", "README", "ReadMe.doc", "Read.Me", "trailing."})
        dir.AddFile(QByteArray(f));
    FileListModel model;
    Fill(model, {"ReadMe.TXT", "README", "ReadMe.doc", "Read.Me", "trailing."});
    RecordingFileSystem fs;
    fs.foldCase = true; // as on a file system that folds case: two steps
    Pass(dir, model, fs);
    EXPECT_EQ(fs.calls,
              (QStringList {u"ReadMe.TXT -> ReadMe.TXT.tmp"_qs, u"ReadMe.TXT.tmp -> ReadMe.txt"_qs,
                            u"README -> README..tmp"_qs, u"README..tmp -> ReadMe"_qs}));
    // Rule 1 shows the row's spelling and empties the extension even without a rename.
    EXPECT_EQ(model.at(3).caption, u"Read.Me");
    EXPECT_EQ(model.at(3).extension, u"");
    // An unknown name that ends in a dot keeps it.
    EXPECT_EQ(model.at(4).diskName, "trailing.");
    EXPECT_FALSE(dir.Names().contains("ReadMe.doc.tmp"));

    // A second pass over the same list renames nothing.
    fs.calls.clear();
    const PassReport again = Pass(dir, model, fs);
    EXPECT_TRUE(fs.calls.isEmpty()) << fs.calls.join(u", ").toStdString();
    EXPECT_EQ(again.failed, 0);
    EXPECT_EQ(model.at(3).state, ItemState::Unrecognised); // «READ.ME.» is no whole name
}

TEST(RenamePass, MarksOnlyTheFirstItemOfAnUnknownCore)
{
    TempFolder dir;
    FileListModel model;
    Fill(model, {"Zork.txt", "zork-1.txt", "ZORK_2.txt", "Blarg.txt"});
    FileItem userMarked = model.at(2);
    userMarked.checked = true;
    model.SetItem(2, userMarked);
    for (const char *f : {"Zork.txt", "zork-1.txt", "ZORK_2.txt", "Blarg.txt"})
        dir.AddFile(QByteArray(f));
    Pass(dir, model, SystemFileSystem());
    EXPECT_TRUE(model.at(0).checked);
    EXPECT_FALSE(model.at(1).checked);
    EXPECT_TRUE(model.at(2).checked); // the user's mark stays
    EXPECT_TRUE(model.at(3).checked);
}

TEST(RenamePass, EditedCaptions)
{
    TempFolder dir;
    dir.AddFile(QByteArray("mytool.txt"));
    dir.AddFile(QByteArray("readme.TXT"));
    FileListModel model;
    Fill(model, {"mytool.txt", "readme.TXT"});
    FileItem a = model.at(0), b = model.at(1);
    a.caption = u"MyTool"_qs; // an unknown name in another case: the file keeps its spelling
    b.caption = u"rEaDmE"_qs; // a known one goes to the dictionary's spelling whatever the edit
    model.SetItem(0, a);
    model.SetItem(1, b);
    Pass(dir, model, SystemFileSystem());
    EXPECT_EQ(dir.Names(), (QList<QByteArray> {"ReadMe.txt", "mytool.txt"}));
}

TEST(RenamePass, ShtmlAndDotFiles)
{
    TempFolder dir;
    for (const char *f : {".HTACCESS", "FOO.SHTML.RU", "x.TXT", "INDEX.SHTML"})
        dir.AddFile(QByteArray(f));
    FileListModel model;
    Fill(model, {".HTACCESS", "FOO.SHTML.RU", "x.TXT", "INDEX.SHTML"});
    Pass(dir, model, SystemFileSystem());
    EXPECT_EQ(dir.Names(),
              (QList<QByteArray> {".htaccess", "FOO.shtml.ru", "Index.shtml", "x.txt"}));
    EXPECT_EQ(model.at(0).state, ItemState::Recognised);
    EXPECT_EQ(model.at(0).caption, u"");
    EXPECT_EQ(model.at(2).caption, u"x"); // a one-letter core: the caption shows the disk's letters
}

TEST(RenamePass, ProgressTitles)
{
    const auto percents = [](int count) {
        QStringList t;
        for (int i = 0; i < count; ++i)
            t << ProgressTitle(u"/f/"_qs, i, count);
        return t;
    };
    EXPECT_EQ(percents(8),
              (QStringList {u"Переименование /f/ (0%)"_qs, u"Переименование /f/ (12%)"_qs,
                            u"Переименование /f/ (25%)"_qs, u"Переименование /f/ (38%)"_qs,
                            u"Переименование /f/ (50%)"_qs, u"Переименование /f/ (62%)"_qs,
                            u"Переименование /f/ (75%)"_qs, u"Переименование /f/ (88%)"_qs}));
    EXPECT_EQ(percents(3),
              (QStringList {u"Переименование /f/ (0%)"_qs, u"Переименование /f/ (33%)"_qs,
                            u"Переименование /f/ (67%)"_qs}));
    EXPECT_EQ(percents(1), QStringList {u"Переименование /f/ (0%)"_qs});
}

// Each fault leaves every file with its contents, and shows the failure on the item.
TEST(RenamePass, FaultsLoseNothingAndAreShown)
{
    struct Case {
        const char *title;
        QList<QByteArray> files; // on disk before
        QList<QByteArray> listed; // the items
        std::function<void(RecordingFileSystem &, const TempFolder &)> arrange;
        QList<QByteArray> expected; // on disk after
    };
    const Case cases[] = {
        {"target taken by another file",
         {"readme.TXT", "ReadMe.txt"},
         {"readme.TXT"},
         nullptr,
         {"ReadMe.txt", "readme.TXT"}},
        {"temporary name taken after the plan",
         {"readme.TXT"},
         {"readme.TXT"},
         [](RecordingFileSystem &fs, const TempFolder &) {
             fs.fail = [](const QByteArray &, const QByteArray &to) { return to.endsWith(".tmp"); };
             fs.failWith = EEXIST;
         },
         {"readme.TXT"}},
        {"file gone since the scan", {}, {"readme.TXT"}, nullptr, {}},
        {"second step fails: back under the old name",
         {"readme.TXT"},
         {"readme.TXT"},
         [](RecordingFileSystem &fs, const TempFolder &) {
             fs.fail = [](const QByteArray &from, const QByteArray &to) {
                 return from.endsWith(".tmp") && !to.endsWith("TXT");
             };
         },
         {"readme.TXT"}},
        {"no write permission",
         {"readme.TXT"},
         {"readme.TXT"},
         [](RecordingFileSystem &fs, const TempFolder &) {
             fs.fail = [](const QByteArray &, const QByteArray &) { return true; };
             fs.failWith = EACCES;
         },
         {"readme.TXT"}},
        {"success reported, old spelling kept",
         {"readme.TXT"},
         {"readme.TXT"},
         [](RecordingFileSystem &fs, const TempFolder &) { fs.keepOldSpelling = true; },
         {"readme.TXT"}},
    };
    for (const Case &c : cases) {
        TempFolder dir;
        for (const QByteArray &f : c.files)
            dir.AddFile(f, "data:" + f);
        FileListModel model;
        Fill(model, c.listed);
        RecordingFileSystem fs;
        fs.foldCase = true; // the two steps' faults
        if (c.arrange)
            c.arrange(fs, dir);
        const PassReport report = Pass(dir, model, fs);
        EXPECT_EQ(dir.Names(), c.expected) << c.title;
        for (const QByteArray &f : c.files)
            EXPECT_EQ(dir.Contents(f), "data:" + f) << c.title;
        EXPECT_EQ(report.failed, 1) << c.title;
        EXPECT_EQ(model.at(0).state, ItemState::NotRenamed) << c.title;
        EXPECT_FALSE(model.at(0).failure.isEmpty()) << c.title;
        EXPECT_EQ(model.at(0).caption + u'.' + model.at(0).extension,
                  QString::fromUtf8(model.at(0).diskName))
            << c.title << ": the item shows its name on disk";
        EXPECT_TRUE(FailureMessage(report).startsWith(U("Не удалось переименовать файлов: 1.")));
    }
}

// In two steps, a file whose own temporary name is taken, or does not fit, goes through a spare
// one, and the file under the taken name keeps its contents.
TEST(RenamePass, TakenOrOverlongTemporaryNamesDoNotStopARename)
{
    const QByteArray longName = QByteArray(251, 'a') + ".TXT"; // 255 bytes: ".tmp" is too long
    struct Case {
        const char *title;
        QList<QByteArray> files;
        QList<QByteArray> expected;
        QByteArray temp;
    };
    const Case cases[] = {
        {"temporary name taken",
         {"readme.TXT", "readme.TXT.tmp"},
         {"ReadMe.txt", "readme.TXT.tmp"},
         "readme.TXT~1.tmp"},
        {"name too long for its temporary name",
         {longName},
         {QByteArray(251, 'a') + ".txt"},
         SpareTemporaryName(longName, 1)},
    };
    for (const Case &c : cases) {
        TempFolder dir;
        for (const QByteArray &f : c.files)
            dir.AddFile(f, "data:" + f);
        FileListModel model;
        Fill(model, {c.files.first()});
        RecordingFileSystem fs;
        fs.foldCase = true;
        const PassReport report = Pass(dir, model, fs);
        EXPECT_EQ(report.failed, 0) << c.title;
        EXPECT_EQ(dir.Names(), c.expected) << c.title;
        EXPECT_EQ(dir.Contents(c.expected.first()), "data:" + c.files.first()) << c.title;
        if (c.files.size() > 1) {
            EXPECT_EQ(dir.Contents(c.files.at(1)), "data:" + c.files.at(1)) << c.title;
        }
        EXPECT_TRUE(fs.calls.contains(QString::fromUtf8(c.files.first() + " -> " + c.temp)))
            << c.title << ": " << fs.calls.join(u", ").toStdString();
    }
}

// Where the file system tells case apart, each rename is one no-replace step, and what needs a
// temporary name in two steps needs none.
TEST(RenamePass, RenamesInOneStepWhereTheFolderTellsCaseApart)
{
    const QByteArray longName = QByteArray(251, 'a') + ".TXT"; // no room for ".tmp"
    struct Case {
        const char *title;
        QList<QByteArray> files;
        QList<QByteArray> listed;
        QList<QByteArray> expected;
        int failed;
        int listings = 0; // before the first rename: temporary names need none
    };
    const Case cases[] = {
        {"plain renames",
         {"ReadMe.TXT", "README"},
         {"ReadMe.TXT", "README"},
         {"ReadMe", "ReadMe.txt"},
         0},
        {"new name taken by another file",
         {"readme.TXT", "ReadMe.txt"},
         {"readme.TXT"},
         {"ReadMe.txt", "readme.TXT"},
         1,
         1}, // the listing tells the clash from a file system that numbers spellings apart
        {"temporary name taken",
         {"readme.TXT", "readme.TXT.tmp"},
         {"readme.TXT"},
         {"ReadMe.txt", "readme.TXT.tmp"},
         0},
        {"a 255-byte name", {longName}, {longName}, {QByteArray(251, 'a') + ".txt"}, 0},
        {"file gone since the scan", {}, {"readme.TXT"}, {}, 1},
    };
    for (const Case &c : cases) {
        TempFolder dir;
        for (const QByteArray &f : c.files)
            dir.AddFile(f, "data:" + f);
        FileListModel model;
        Fill(model, c.listed);
        RecordingFileSystem fs;
        const PassReport report = Pass(dir, model, fs);
        EXPECT_EQ(dir.Names(), c.expected) << c.title;
        EXPECT_EQ(report.failed, c.failed) << c.title;
        if (!c.files
                 .isEmpty()) { // with no file to look at, the pass cannot tell and takes two steps
            EXPECT_EQ(fs.calls.filter(u".tmp"_qs).size(), 0)
                << c.title << ": " << fs.calls.join(u", ").toStdString();
        }
        EXPECT_LE(fs.calls.size(), c.listed.size()) << c.title << ": one call per file";
        if (!c.files.isEmpty()) {
            EXPECT_EQ(fs.listingsBeforeRenames, c.listings) << c.title;
        }
    }
}

// Rows go in the order the folder listed them, except that rows whose names differ only in case
// keep the list's order among themselves, at the place of the first of them.
TEST(RenamePass, RenameOrder)
{
    struct Case {
        const char *title;
        QList<std::pair<const char *, int>> rows; // name, listed at
        QList<int> expected;
    };
    const Case cases[] = {
        {"not listed: the list's order", {{"b.TXT", -1}, {"a.TXT", -1}}, {0, 1}},
        {"partly listed: the list's order", {{"b.TXT", 1}, {"a.TXT", -1}}, {0, 1}},
        {"a listing from another folder", {{"b.TXT", 0}, {"a.TXT", 7}}, {0, 1}},
        {"the listing's order", {{"a.TXT", 2}, {"b.TXT", 0}, {"c.TXT", 1}}, {1, 2, 0}},
        {"case twins keep the list's order",
         {{"readme.TXT", 2}, {"README.TXT", 0}, {"b.TXT", 1}},
         {2, 0, 1}},
        {"twins apart in the list",
         {{"x.TXT", 3}, {"Readme.txt", 1}, {"y.TXT", 0}, {"readme.TXT", 2}},
         {2, 1, 3, 0}},
        {"twins beyond ASCII", {{"ärger.TXT", 1}, {"b.TXT", 2}, {"ÄRGER.TXT", 0}}, {0, 2, 1}},
        // «ſ» (long s) has «S» for its upper case: a twin of an ASCII name.
        {"a twin of an ASCII name beyond ASCII",
         {{"ſetup.TXT", 1}, {"b.TXT", 2}, {"SETUP.txt", 0}},
         {0, 2, 1}},
    };
    for (const Case &c : cases) {
        FileListModel model;
        for (const auto &[name, at] : c.rows) {
            FileItem item = MakeFileItem(QByteArray(name));
            item.listedAt = at;
            model.Append({item});
        }
        EXPECT_EQ(RenameOrder(model), c.expected) << c.title;
    }
}

// A scanned list is renamed in the folder's listing order, with the outcome of the list's order:
// of two files whose names differ only in case, the one first in the list takes the new name,
// and the failures are told in the list's order.
TEST(RenamePass, RenamesInTheListingsOrderWithTheListsOutcome)
{
    TempFolder dir;
    const QList<QByteArray> files = {"readme.TXT",   "README.TXT",   "setup.EXE", "Zqwx.DOC",
                                     "IMG_0001.JPG", "dsc_0002.JPG", "notes.TXT"};
    for (const QByteArray &f : files)
        dir.AddFile(f, "data:" + f);
    FileListModel model;
    SortFlags flags;
    flags.SetAll();
    ScanHooks scanHooks;
    RecordingFileSystem fs;
    FolderScanner(model, flags, scanHooks, fs).ScanFolder(dir.path());
    ASSERT_EQ(model.size(), files.size());
    QList<QByteArray> listed;
    ASSERT_EQ(fs.ListNames(QFile::encodeName(dir.path()), listed), 0);
    listed.removeAll(".");
    listed.removeAll("..");

    int firstTwin = -1;
    for (int row = 0; row < model.size() && firstTwin < 0; ++row)
        if (model.at(row).diskName.toUpper() == "README.TXT")
            firstTwin = row;
    const QByteArray winner = model.at(firstTwin).diskName;
    const QByteArray loser = winner == "readme.TXT" ? "README.TXT" : "readme.TXT";

    const PassReport report = Pass(dir, model, fs);
    QList<QByteArray> renamedFrom;
    for (const QString &call : fs.calls)
        renamedFrom << call.section(u" -> "_qs, 0, 0).toUtf8();
    // The second twin comes right after the first, wherever the folder listed it.
    EXPECT_EQ(renamedFrom.indexOf(loser), renamedFrom.indexOf(winner) + 1)
        << fs.calls.join(u", ").toStdString();
    renamedFrom.removeAll(loser);
    listed.removeAll(loser);
    EXPECT_EQ(renamedFrom, listed) << fs.calls.join(u", ").toStdString();
    EXPECT_EQ(report.failed, 1);
    ASSERT_EQ(report.failures.size(), 1);
    EXPECT_TRUE(report.failures.at(0).contains(QString::fromUtf8(loser)))
        << report.failures.at(0).toStdString();
    QFile renamed(dir.path() + u"/ReadMe.txt"_qs);
    ASSERT_TRUE(renamed.open(QIODevice::ReadOnly));
    EXPECT_EQ(renamed.readAll(), "data:" + winner);
    EXPECT_TRUE(dir.Names().contains(loser));
}

// The views hear of the pass once, at its end, for every row it changed: not at every file,
// which would have the list drawn again at each message break of the pass.
TEST(RenamePass, TellsTheViewsOnceAtTheEnd)
{
    TempFolder dir;
    for (const QByteArray f : {"readme.TXT", "setup.EXE", "Zqwx.DOC"})
        dir.AddFile(f, "data");
    FileListModel model;
    Fill(model, {"readme.TXT", "setup.EXE", "Zqwx.DOC"});
    QList<QPair<int, int>> signalled; // first and last row of each signal
    int signalsDuringPass = 0;
    QObject::connect(&model, &FileListModel::dataChanged, &model,
                     [&](const QModelIndex &from, const QModelIndex &to) {
                         signalled.append({from.row(), to.row()});
                     });
    struct CountingHooks : RenamePassHooks {
        void BeforeItem(int, int, const QString &) override { seen = signalled->size(); }
        const QList<QPair<int, int>> *signalled;
        int seen = 0;
    } hooks;
    hooks.signalled = &signalled;
    const PassReport report
        = RenameFiles(dir.path(), model, BuiltinDictionaries(), SystemFileSystem(), hooks);
    signalsDuringPass = hooks.seen;
    EXPECT_EQ(report.renamed, 3);
    EXPECT_EQ(signalsDuringPass, 0);
    EXPECT_EQ(signalled, (QList<QPair<int, int>> {{0, 2}}));
    EXPECT_EQ(model.at(0).caption, u"ReadMe"_qs);

    // Outside a pass, each change is told at once.
    FileItem item = model.at(1);
    item.caption = u"Other"_qs;
    model.SetItem(1, std::move(item));
    EXPECT_EQ(signalled.size(), 2);
    EXPECT_EQ(signalled.last(), (QPair<int, int> {1, 1}));
}

// A folder that tells case apart for its first files and folds it for the others, as when a
// file system cannot be judged from its first names: the pass goes on in two steps through each
// file's own temporary name, and a file whose own is taken stays as it was.
TEST(RenamePass, SwitchesToTwoStepsWhereAFileProvesToFoldCase)
{
    struct FoldsLaterFiles : RecordingFileSystem {
        static bool Folds(const QByteArray &a, const QByteArray &b)
        {
            return a.startsWith("zq") && a != b && a.toUpper() == b.toUpper();
        }
        int RenameNoReplace(const QByteArray &folder, const QByteArray &from,
                            const QByteArray &to) override
        {
            if (Folds(from, to))
                return EEXIST;
            return RecordingFileSystem::RenameNoReplace(folder, from, to);
        }
        int SameFile(const QByteArray &folder, const QByteArray &a, const QByteArray &b,
                     bool &same) override
        {
            if (Folds(a, b))
                return RecordingFileSystem::SameFile(folder, a, a, same);
            return RecordingFileSystem::SameFile(folder, a, b, same);
        }
    };
    TempFolder dir;
    for (const QByteArray f : {"readme.TXT", "zqx1.TXT", "zqx2.TXT", "zqx2.TXT.tmp"})
        dir.AddFile(f, "data:" + f);
    FileListModel model;
    Fill(model, {"readme.TXT", "zqx1.TXT", "zqx2.TXT"});
    FoldsLaterFiles fs;
    const PassReport report = Pass(dir, model, fs);
    EXPECT_EQ(dir.Names(),
              (QList<QByteArray> {"ReadMe.txt", "zqx1.txt", "zqx2.TXT", "zqx2.TXT.tmp"}));
    EXPECT_EQ(report.renamed, 2);
    EXPECT_EQ(report.failed, 1);
    EXPECT_EQ(dir.Contents("zqx1.txt"), "data:zqx1.TXT");
    EXPECT_EQ(dir.Contents("zqx2.TXT"), "data:zqx2.TXT");
    EXPECT_EQ(dir.Contents("zqx2.TXT.tmp"), "data:zqx2.TXT.tmp");
    EXPECT_TRUE(fs.calls.contains(u"zqx1.TXT -> zqx1.TXT.tmp"_qs))
        << fs.calls.join(u", ").toStdString();
    EXPECT_EQ(model.at(2).state, ItemState::NotRenamed);
    EXPECT_TRUE(model.at(2).failure.contains(u"«zqx2.TXT.tmp»"))
        << model.at(2).failure.toStdString();
}

// A folder whose names compare without regard to case, like a case-insensitive file system.
class CaseInsensitiveFileSystem : public test::ForwardingFileSystem
{
public:
    QMap<QString, QByteArray> files; // upper-case name -> name as stored
    std::unique_ptr<DirectoryListing> NewListing() override { return nullptr; }
    int RenameNoReplace(const QByteArray &, const QByteArray &from, const QByteArray &to) override
    {
        const QString f = UpperCase(QString::fromUtf8(from)), t = UpperCase(QString::fromUtf8(to));
        if (!files.contains(f))
            return ENOENT;
        if (files.contains(t))
            return EEXIST; // also for a case-only rename: the name is "taken" by the file itself
        files.remove(f);
        files.insert(t, to);
        return 0;
    }
    int ListNames(const QByteArray &, QList<QByteArray> &names) override
    {
        names = files.values();
        return 0;
    }
    int IdentifyFile(const QByteArray &, const QByteArray &name, FileIdentity &identity) override
    {
        const QString key = UpperCase(QString::fromUtf8(name));
        if (!files.contains(key))
            return ENOENT;
        identity = {1, static_cast<quint64>(qHash(key)) | 1};
        return 0;
    }
};

TEST(RenamePass, CaseOnlyRenameWorksOnACaseInsensitiveFileSystem)
{
    CaseInsensitiveFileSystem fs;
    fs.files.insert(u"README.TXT"_qs, "readme.TXT");
    fs.files.insert(u"SETUP.EXE"_qs, "SETUP.EXE");
    FileListModel model;
    Fill(model, {"readme.TXT"});
    TitleHooks hooks;
    const PassReport report = RenameFiles(u"/x/"_qs, model, BuiltinDictionaries(), fs, hooks);
    EXPECT_EQ(report.failed, 0);
    EXPECT_EQ(fs.files.value(u"README.TXT"_qs), "ReadMe.txt");
    EXPECT_EQ(fs.files.value(u"SETUP.EXE"_qs), "SETUP.EXE");
    EXPECT_EQ(fs.files.size(), 2);
}

TEST(RenameSteps, ChoosesFreeTemporaryNames)
{
    const QByteArray longName = QByteArray(251, 'a') + ".TXT";
    const QByteArray longTemp = SpareTemporaryName(longName, 1);
    struct Case {
        const char *title;
        QList<QByteArray> folder; // every name in the folder
        QList<QByteArray> renamed; // the plan's old names, in order
        QList<QByteArray> temps; // the temporary names chosen
    };
    const Case cases[] = {
        {"own names free", {"a.TXT", "README"}, {"a.TXT", "README"}, {"a.TXT.tmp", "README..tmp"}},
        {"own name taken in another case",
         {"readme.TXT", "README.TXT.TMP"},
         {"readme.TXT"},
         {"readme.TXT~1.tmp"}},
        {"own name and the first spare taken",
         {"x.DOC", "x.doc.tmp", "X.DOC~1.TMP"},
         {"x.DOC"},
         {"x.DOC~2.tmp"}},
        {"a folder under the name counts too", {"b.TXT", "b.TXT.tmp"}, {"b.TXT"}, {"b.TXT~1.tmp"}},
        {"too long for its own", {longName}, {longName}, {longTemp}},
        {"one file's spare is another's own",
         {"readme.TXT", "readme.TXT.tmp", "readme.TXT~1"},
         {"readme.TXT", "readme.TXT~1"},
         {"readme.TXT~1.tmp", "readme.TXT~1~1.tmp"}},
        {"two files one name apart in case",
         {"readme.TXT", "README.txt"},
         {"readme.TXT", "README.txt"},
         {"readme.TXT.tmp", "README.txt~1.tmp"}},
        // "ı" and "ſ" have "I" and "S" for their upper case: a name of other letters than ASCII
        // takes the temporary name of an ASCII one.
        {"a name beyond ASCII takes an ASCII one's",
         {"file.TXT", "\xC4\xB1ndex.TXT", "F\xC4\xB1LE.TXT.TMP"},
         {"file.TXT", "index.TXT"},
         {"file.TXT~1.tmp", "index.TXT.tmp"}},
        {"an ASCII name takes the spare of one beyond ASCII",
         {"\xC5\xBF"
          "etup.EXE",
          "setup.EXE"},
         {"\xC5\xBF"
          "etup.EXE",
          "SETUP.exe", "setup.EXE~1"},
         {"\xC5\xBF"
          "etup.EXE.tmp",
          "SETUP.exe~1.tmp", "setup.EXE~1~1.tmp"}},
    };
    for (const Case &c : cases) {
        QList<JournalEntry> plan;
        for (const QByteArray &name : c.renamed)
            plan.append({name, "stale.tmp", name.toLower()});
        ChooseTemporaryNames(plan, c.folder);
        QList<QByteArray> temps;
        for (const JournalEntry &e : plan) {
            temps.append(e.tempName);
            EXPECT_TRUE(IsTemporaryNameOf(e.tempName, e.oldName)) << c.title;
            EXPECT_LE(e.tempName.size(), kMaxNameBytes) << c.title;
        }
        EXPECT_EQ(temps, c.temps) << c.title;
    }
}

// On a folder that folds case, a file whose own temporary name is taken, ignoring case, or too
// long goes through a spare one, which the journal holds before the first step; the user's file
// under the temporary name is not touched, and the pass's undo finds free names the same way.
TEST(RenamePass, SpareTemporaryNamesOnAFolderThatFoldsCase)
{
    const QByteArray longName = QByteArray(251, 'a') + ".TXT";
    const QByteArray longStyled = QByteArray(251, 'a') + ".txt";
    CaseInsensitiveFileSystem fs;
    for (const QByteArray &name : {QByteArray("readme.TXT"), QByteArray("README.TXT.TMP"),
                                   QByteArray("SETUP.EXE"), longName})
        fs.files.insert(UpperCase(QString::fromUtf8(name)), name);
    FileListModel model;
    Fill(model, {"readme.TXT", "SETUP.EXE", longName});
    TempFolder journals;
    TitleHooks hooks;
    RenameOptions options;
    options.journalFolder = journals.path();
    const PassReport report
        = RenameFiles(u"/x/"_qs, model, BuiltinDictionaries(), fs, hooks, options);
    EXPECT_EQ(report.failed, 0) << report.failures.join(u"; ").toStdString();
    EXPECT_EQ(report.renamed, 3);
    QList<QByteArray> names = fs.files.values();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (QList<QByteArray> {"README.TXT.TMP", "ReadMe.txt", "Setup.exe", longStyled}));

    const std::optional<JournalContents> journal = ReadLastJournal(u"/x/"_qs, journals.path());
    ASSERT_TRUE(journal.has_value());
    ASSERT_EQ(journal->entries.size(), 3);
    EXPECT_FALSE(journal->oneStep);
    EXPECT_EQ(journal->entries.at(0).tempName, "readme.TXT~1.tmp");
    EXPECT_EQ(journal->entries.at(1).tempName, "SETUP.EXE.tmp");
    EXPECT_EQ(journal->entries.at(2).tempName, SpareTemporaryName(longName, 1));
    // Two steps: recovery must be able to tell each file under its temporary name from others.
    for (const JournalEntry &e : journal->entries)
        EXPECT_TRUE(e.identified()) << e.oldName.toStdString();

    const UndoReport undo = UndoPass(*journal, fs, journals.path());
    EXPECT_EQ(undo.reversed, 3) << undo.notReversed.join(u"; ").toStdString();
    names = fs.files.values();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (QList<QByteArray> {"README.TXT.TMP", "SETUP.EXE", longName, "readme.TXT"}));
}

// Where the inodes differ for every spelling of one file, as on some FUSE file systems, the names
// tell a folder that folds case from a real clash.
TEST(RenamePass, FoldedCaseIsFoundWhereInodesCannotTell)
{
    struct UnnumberedFileSystem : CaseInsensitiveFileSystem {
        int SameFile(const QByteArray &, const QByteArray &a, const QByteArray &b,
                     bool &same) override
        {
            same = false;
            const bool there = files.contains(UpperCase(QString::fromUtf8(a)))
                               && files.contains(UpperCase(QString::fromUtf8(b)));
            return there ? 0 : ENOENT;
        }
        int RenameNoReplace(const QByteArray &folder, const QByteArray &from,
                            const QByteArray &to) override
        {
            calls << QString::fromUtf8(from + " -> " + to);
            return CaseInsensitiveFileSystem::RenameNoReplace(folder, from, to);
        }
        QStringList calls;
    } folding;
    folding.files.insert(u"README.TXT"_qs, "readme.TXT");
    folding.files.insert(u"README.TXT.TMP"_qs, "README.TXT.TMP"); // takes readme.TXT's own
    folding.files.insert(u"SETUP.EXE"_qs, "SETUP.EXE");
    FileListModel model;
    Fill(model, {"readme.TXT", "SETUP.EXE"});
    TitleHooks hooks;
    PassReport report = RenameFiles(u"/x/"_qs, model, BuiltinDictionaries(), folding, hooks);
    EXPECT_EQ(report.failed, 0) << report.failures.join(u"; ").toStdString();
    EXPECT_EQ(folding.files.value(u"README.TXT"_qs), "ReadMe.txt");
    EXPECT_EQ(folding.files.value(u"SETUP.EXE"_qs), "Setup.exe");
    EXPECT_EQ(folding.files.value(u"README.TXT.TMP"_qs), "README.TXT.TMP");
    // Judged to fold case before the first rename: two steps from the start, through a spare
    // temporary name where the file's own is taken.
    EXPECT_EQ(
        folding.calls,
        (QStringList {u"readme.TXT -> readme.TXT~1.tmp"_qs, u"readme.TXT~1.tmp -> ReadMe.txt"_qs,
                      u"SETUP.EXE -> SETUP.EXE.tmp"_qs, u"SETUP.EXE.tmp -> Setup.exe"_qs}));

    // Told case apart, another file under the new name is a clash all the same.
    TempFolder dir;
    dir.AddFile(QByteArray("readme.TXT"), "mine");
    dir.AddFile(QByteArray("ReadMe.txt"), "other");
    struct Unnumbered : test::ForwardingFileSystem {
        int SameFile(const QByteArray &, const QByteArray &, const QByteArray &,
                     bool &same) override
        {
            same = false;
            return 0;
        }
    } apart;
    FileListModel clash;
    Fill(clash, {"readme.TXT"});
    report = Pass(dir, clash, apart);
    EXPECT_EQ(report.failed, 1);
    EXPECT_EQ(dir.Contents("readme.TXT"), "mine");
    EXPECT_EQ(dir.Contents("ReadMe.txt"), "other");
}

TEST(RenamePass, RefusesRenamesThatChangeMoreThanCase)
{
    FileItem item = MakeFileItem("readme.txt");
    EXPECT_TRUE(RefusalReason(item, u"ReadMe.txt"_qs).isEmpty());
    for (const QString &bad :
         {u"Read_Me.txt"_qs, u"../readme.txt"_qs, u"readme.txt/"_qs, u"."_qs, u""_qs})
        EXPECT_FALSE(RefusalReason(item, bad).isEmpty()) << bad.toStdString();
    const FileItem notText = MakeFileItem(QByteArray("caf\xE9.TXT"));
    EXPECT_FALSE(RefusalReason(notText, u"caf\uFFFD.txt"_qs).isEmpty());

    // ASCII names are compared letter by letter, the others by their case forms: both ways agree.
    struct Case {
        QString oldName, newName;
        bool allowed;
    };
    const Case cases[] = {
        {u"setup.EXE"_qs, u"Setup.exe"_qs, true},
        {u"setup.EXE"_qs, u"setup.EXE"_qs, true},
        {u"setup.EXE"_qs, u"Setup.ex"_qs, false},
        {u"setup.EXE"_qs, u"Setup_exe"_qs, false},
        {u"a[b].TXT"_qs, u"A{B}.txt"_qs, false}, // "[" and "{" are 0x20 apart, but not letters
        {u"a@.TXT"_qs, u"A`.txt"_qs, false},
        {u"straße.TXT"_qs, u"Straße.txt"_qs, true},
        {u"index.TXT"_qs, u"\u0131ndex.txt"_qs, false}, // "ı" is not the lower case of "I"
        {u"\u0440\u0435\u0434.TXT"_qs, u"\u0420\u0435\u0434.txt"_qs, true},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(CaseOnlyRefusal(c.oldName, c.newName).isEmpty(), c.allowed)
            << c.oldName.toStdString() << " -> " << c.newName.toStdString();
        EXPECT_EQ(RefusalReason(MakeFileItem(c.oldName.toUtf8()), c.newName).isEmpty(), c.allowed)
            << c.oldName.toStdString() << " -> " << c.newName.toStdString();
    }
}

TEST(RenameSteps, SpareTemporaryNamesFitAndAreKnownForTheirFile)
{
    EXPECT_EQ(SpareTemporaryName("README.TXT", 2), "README.TXT~2.tmp");
    // A 255-byte name: cut so that the spare name fits, never inside a character.
    const QByteArray longName = QByteArray(250, 'a') + "\xD0\x96.txt"; // 257 bytes with "Ж"
    const QByteArray spare = SpareTemporaryName(longName, 12);
    EXPECT_LE(spare.size(), kMaxNameBytes);
    EXPECT_TRUE(spare.endsWith("~12.tmp"));
    EXPECT_TRUE(QString::fromUtf8(spare).toUtf8() == spare) << "cut inside a character";
    const QByteArray cyrillic = QByteArray(248, 'a') + "\xD0\x96\xD0\x96";
    EXPECT_EQ(SpareTemporaryName(cyrillic, 1), QByteArray(248, 'a') + "~1.tmp");

    struct Case {
        QByteArray temp;
        QByteArray name;
        bool known;
    };
    const Case cases[] = {
        {"ReadMe.txt.tmp", "ReadMe.txt", true},
        {"README..tmp", "README", true},
        {"ReadMe.txt~1.tmp", "ReadMe.txt", true},
        {"ReadMe.txt~725.tmp", "ReadMe.txt", true},
        {spare, longName, true},
        {"ReadMe.txt~0.tmp", "ReadMe.txt", false},
        {"ReadMe.txt~01.tmp", "ReadMe.txt", false},
        {"ReadMe.txt~+1.tmp", "ReadMe.txt", false},
        {"ReadMe.txt~-1.tmp", "ReadMe.txt", false},
        {"ReadMe~1.tmp", "ReadMe.txt", false}, // cut although the whole name fits
        {"secret.txt", "evil.txt", false},
        {"../evil.txt.tmp", "evil.txt", false},
        {"evil.txt~1.tmp", "other.txt", false},
        {"~1.tmp", "", false},
        {"ReadMe.txt.TMP", "ReadMe.txt", false},
    };
    for (const Case &c : cases)
        EXPECT_EQ(IsTemporaryNameOf(c.temp, c.name), c.known) << c.temp.constData();
}

} // namespace
} // namespace vl
