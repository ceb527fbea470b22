#include "VLMain/core/RenameJournal.h"

#include "VLMain/core/JournalRecovery.h"
#include "VLMain/core/RenamePass.h"

#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QMap>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <functional>

namespace vl {
namespace {

using test::JournalledPass;
using test::TempFolder;

using test::BuiltinDictionaries;

QStringList JournalNames(const QString &journals)
{
    return QDir(journals).entryList(QDir::Files, QDir::Name);
}

// A name of every kind that a folder on Linux can hold.
const QByteArray kHostileNames[] = {
    "readme\n.TXT", // a line break
    "caf\xE9 menu.TXT", // not UTF-8, with a space
    QByteArray(251, 'a') + ".TXT", // 255 bytes
    "100%.TXT", // the escape character itself
    "\x01\x7F\xFF.tmp", // control bytes
};

// Names that are not UTF-8 are beyond QTemporaryDir's clean-up.
void RemoveFiles(const TempFolder &dir)
{
    for (const QByteArray &n : dir.Names())
        ::unlink(QByteArray(dir.nativePath() + n).constData());
}

TEST(RenameJournal, TextRoundTripKeepsEveryByte)
{
    QList<JournalEntry> plan;
    for (const QByteArray &n : kHostileNames)
        plan.append({n, n + ".tmp", n.toUpper()});
    const QByteArray folder = "/home/u/odd folder\n\xC3/";
    QByteArray text = JournalHeaderText(folder, plan);
    EXPECT_EQ(text.count('\n'), plan.size() + 3) << "one line per planned rename";
    text += JournalRecordText(0, StepState::AtTemp) + JournalRecordText(0, StepState::Renamed)
            + JournalRecordText(3, StepState::AtOld) + JournalRecordText(4, StepState::LeftAtTemp);

    const std::optional<JournalContents> read = ParseJournal(text);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->folder, folder);
    EXPECT_EQ(read->entries, plan);
    EXPECT_TRUE(read->begun);
    EXPECT_FALSE(read->finished);
    EXPECT_EQ(read->states,
              (QList<StepState> {StepState::Renamed, StepState::Planned, StepState::Planned,
                                 StepState::AtOld, StepState::LeftAtTemp}));
    EXPECT_TRUE(ParseJournal(text + "F\n")->finished);
}

TEST(RenameJournal, LargePlanIsWrittenInPiecesOfTheSameText)
{
    QList<JournalEntry> plan;
    for (int i = 0; i < 5000; ++i) {
        const QByteArray name = "file " + QByteArray::number(i) + ".TXT";
        plan.append({name, name + ".tmp", name.toLower(), 2049, quint64(i) + 1});
    }
    const QByteArray whole = JournalHeaderText("/f/", plan, true);
    QByteArray joined;
    int pieces = 0;
    EXPECT_EQ(WriteJournalHeader("/f/", plan, true, false,
                                 [&](const QByteArray &piece) {
                                     EXPECT_LE(piece.size(), 65 * 1024);
                                     joined += piece;
                                     ++pieces;
                                     return 0;
                                 }),
              0);
    EXPECT_EQ(joined, whole);
    EXPECT_GT(pieces, 2);
    const std::optional<JournalContents> read = ParseJournal(whole);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->entries, plan);
    EXPECT_TRUE(read->begun);
    EXPECT_TRUE(read->oneStep);

    // The first piece that cannot be written ends the writing with its error.
    int written = 0;
    EXPECT_EQ(WriteJournalHeader("/f/", plan, true, false,
                                 [&](const QByteArray &) { return ++written == 2 ? ENOSPC : 0; }),
              ENOSPC);
    EXPECT_EQ(written, 2);
}

TEST(RenameJournal, DamagedTextReadsAsMuchAsIsSound)
{
    const QList<JournalEntry> plan {{"a.TXT", "a.TXT.tmp", "A.txt"},
                                    {"b.TXT", "b.TXT.tmp", "B.txt"}};
    const QByteArray header = JournalHeaderText("/f/", plan);
    struct Case {
        const char *title;
        QByteArray text;
        bool parses;
        bool begun;
        QList<StepState> states;
    };
    const Case cases[] = {
        {"torn last record",
         header + "N 0\nN 1",
         true,
         true,
         {StepState::Renamed, StepState::Planned}},
        {"torn plan", header.left(header.indexOf("P b")), true, false, {StepState::Planned}},
        {"torn plan line",
         header.left(header.indexOf("P b") + 5),
         true,
         false,
         {StepState::Planned}},
        {"records out of range or malformed",
         header + "N 2\nN -1\nT 01x\nZ 0\nN\nN 1\n",
         true,
         true,
         {StepState::Planned, StepState::Renamed}},
        {"bad escape in a plan line",
         QByteArray(header).replace("a.TXT.tmp", "a%G1"),
         true,
         true,
         {StepState::Planned}},
        {"not a journal", "[NAMES]\n0=ReadMe\n", false, false, {}},
        {"relative folder", "VORLANT-JOURNAL 1\nfolder f/\nB\n", false, false, {}},
        {"empty", "", false, false, {}},
    };
    for (const Case &c : cases) {
        const std::optional<JournalContents> read = ParseJournal(c.text);
        ASSERT_EQ(read.has_value(), c.parses) << c.title;
        if (!read)
            continue;
        EXPECT_EQ(read->begun, c.begun) << c.title;
        EXPECT_EQ(read->states, c.states) << c.title;
    }
}

TEST(RenameJournal, PassWritesAndFinishesItsJournal)
{
    TempFolder dir, journals;
    QList<QByteArray> listed;
    for (const QByteArray &n : kHostileNames) {
        dir.AddFile(n, "data:" + n);
        listed << n;
    }
    dir.AddFile(QByteArray("ReadMe\n.txt"), "taken"); // the new name of the first: it goes back
    const PassReport report = JournalledPass(dir, listed, journals.path(), SystemFileSystem());
    EXPECT_TRUE(report.journalError.isEmpty()) << report.journalError.toStdString();
    EXPECT_TRUE(report.journalPath.endsWith(u".done"));

    const std::optional<JournalContents> journal = ReadLastJournal(dir.path(), journals.path());
    ASSERT_TRUE(journal);
    EXPECT_TRUE(journal->finished);
    EXPECT_EQ(journal->folder, dir.nativePath());
    // Not UTF-8: never planned. The rest are; the 255-byte name, which has no room for ".tmp",
    // is renamed in one step on a file system that tells case apart.
    QMap<QByteArray, StepState> states;
    for (int i = 0; i < journal->entries.size(); ++i)
        states.insert(journal->entries[i].oldName, journal->states[i]);
    EXPECT_FALSE(states.contains(kHostileNames[1]));
    EXPECT_EQ(states.value(kHostileNames[0]), StepState::AtOld);
    EXPECT_EQ(states.value(kHostileNames[2]), StepState::Renamed);
    EXPECT_EQ(states.value(kHostileNames[3]), StepState::Renamed);
    EXPECT_EQ(journal->entries.size(), 3);

    // A pass with nothing to rename writes no journal.
    const PassReport again = JournalledPass(dir, {"100%.txt"}, journals.path(), SystemFileSystem());
    EXPECT_TRUE(again.journalPath.isEmpty());
    EXPECT_EQ(JournalNames(journals.path()).size(), 1);
    RemoveFiles(dir);
}

// The real file system, cut short at one rename call: before the call is made, or after it is
// made but before the pass hears of it, as a kill at that moment would.
class CrashingFileSystem : public test::ForwardingFileSystem
{
public:
    struct Crash {
    };
    int RenameNoReplace(const QByteArray &folder, const QByteArray &from,
                        const QByteArray &to) override
    {
        if (calls++ == crashAt && !afterCall)
            throw Crash {};
        const int result = ForwardingFileSystem::RenameNoReplace(folder, from, to);
        if (calls - 1 == crashAt)
            throw Crash {};
        return result;
    }
    int calls = 0;
    int crashAt = -1;
    bool afterCall = false;
};

// A small pass with every kind of outcome: plain renames, one whose new name is taken, one whose
// temporary name is taken by a file of the user's, one already in its styled form.
const QList<QByteArray> kFiles {"readme.TXT", "README.txt",  "setup.EXE", "x.DOC",
                                "x.DOC.tmp",  "AutoRun.inf", "INSTALL"};

void FillFolder(const TempFolder &dir)
{
    for (const QByteArray &n : kFiles)
        dir.AddFile(n, "data:" + n);
}

// Every file is there once, with its contents, under its old or its new name, and no name but
// the user's own ends in ".tmp".
void ExpectSettled(const TempFolder &dir, const std::string &title)
{
    const QMap<QByteArray, QByteArray> newNames {
        {"readme.TXT", "ReadMe.txt"}, {"README.txt", "ReadMe.txt"}, {"setup.EXE", "Setup.exe"},
        {"x.DOC", "x.doc"},           {"x.DOC.tmp", "x.DOC.tmp"},   {"AutoRun.inf", "AutoRun.inf"},
        {"INSTALL", "Install"}};
    QMap<QByteArray, QByteArray> byContents;
    for (const QByteArray &n : dir.Names())
        byContents.insert(dir.Contents(n), n);
    EXPECT_EQ(byContents.size(), kFiles.size()) << title;
    for (const QByteArray &old : kFiles) {
        const QByteArray where = byContents.value("data:" + old);
        EXPECT_TRUE(where == old || where == newNames.value(old))
            << title << ": " << old.toStdString() << " is under «" << where.toStdString() << "»";
    }
}

TEST(RenameJournal, RecoveryFromEveryCrashPointAndEveryPrefix)
{
    int crashPoints = 0, prefixes = 0;
    for (const bool foldCase : {false, true})
        for (int crashAt = 0;; ++crashAt) {
            bool passEnded = false;
            for (const bool afterCall : {false, true}) {
                TempFolder dir, journals;
                FillFolder(dir);
                CrashingFileSystem fs;
                fs.foldCase = foldCase;
                fs.crashAt = crashAt;
                fs.afterCall = afterCall;
                try {
                    JournalledPass(dir, kFiles, journals.path(), fs);
                    passEnded = true;
                    break;
                } catch (const CrashingFileSystem::Crash &) { }
                ++crashPoints;
                const QStringList open = JournalNames(journals.path());
                ASSERT_EQ(open.size(), 1);
                ASSERT_TRUE(open[0].endsWith(u".open"));
                QFile file(QDir(journals.path()).filePath(open[0]));
                ASSERT_TRUE(file.open(QIODevice::ReadOnly));
                const QByteArray full = file.readAll();
                file.close();
                const qsizetype planEnd = full.indexOf("\nB\n") + 3;

                // The folder as the crash left it, with every prefix of the journal that a power
                // failure could leave behind (the plan is always whole: it is flushed first).
                for (qsizetype length = planEnd; length <= full.size(); ++length) {
                    // Hard links: the same files, so the plan's identities still hold.
                    TempFolder copy, copyJournals;
                    for (const QByteArray &n : dir.Names())
                        ASSERT_EQ(::link(QByteArray(dir.nativePath() + n).constData(),
                                         QByteArray(copy.nativePath() + n).constData()),
                                  0);
                    QByteArray text = full.left(length);
                    text.replace(dir.nativePath(), copy.nativePath());
                    QFile j(QDir(copyJournals.path()).filePath(open[0]));
                    ASSERT_TRUE(j.open(QIODevice::WriteOnly));
                    j.write(text);
                    j.close();
                    const RecoveryReport report
                        = RecoverUnfinishedJournals(copyJournals.path(), SystemFileSystem());
                    const std::string title = std::string(foldCase ? "two steps, " : "one step, ")
                                              + "crash at call " + std::to_string(crashAt)
                                              + (afterCall ? " after" : " before") + ", journal of "
                                              + std::to_string(length) + " bytes";
                    ExpectSettled(copy, title);
                    EXPECT_EQ(report.leftAtTemp, 0) << title;
                    EXPECT_EQ(JournalNames(copyJournals.path()).value(0).endsWith(u".done"), true)
                        << title;
                    ++prefixes;
                }
            }
            if (passEnded)
                break;
        }
    EXPECT_GT(crashPoints, 14);
    EXPECT_GT(prefixes, 200);
}

// A pass cut short after a file's second step and before its record: the folder shows the file
// under its new name, recovery records it so, and an undo then takes it back too.
TEST(RenameJournal, RecoveryRecordsRenamesTheJournalMissedForUndo)
{
    TempFolder dir, journals;
    dir.AddFile(QByteArray("ReadMe.txt"), "a"); // renamed, record lost
    dir.AddFile(QByteArray("setup.EXE"), "b"); // never reached
    const QList<JournalEntry> plan {{"readme.TXT", "readme.TXT.tmp", "ReadMe.txt"},
                                    {"setup.EXE", "setup.EXE.tmp", "Setup.exe"}};
    QFile j(QDir(journals.path()).filePath(u"pass-0000000000001-0000001-0.open"_qs));
    ASSERT_TRUE(j.open(QIODevice::WriteOnly));
    j.write(JournalHeaderText(dir.nativePath(), plan));
    j.close();

    const RecoveryReport report = RecoverUnfinishedJournals(journals.path(), SystemFileSystem());
    EXPECT_EQ(report.toNewName + report.toOldName + report.leftAtTemp, 0);
    const std::optional<JournalContents> last = ReadLastJournal(dir.path(), journals.path());
    ASSERT_TRUE(last.has_value());
    EXPECT_EQ(last->states, (QList<StepState> {StepState::Renamed, StepState::Planned}));
    const UndoReport undo = UndoPass(*last, SystemFileSystem(), journals.path());
    EXPECT_EQ(undo.reversed, 1);
    EXPECT_EQ(dir.Names(), (QList<QByteArray> {"readme.TXT", "setup.EXE"}));
}

TEST(RenameJournal, RecoveryGoesToTheNewNameOrBackAndReplacesNothing)
{
    TempFolder dir, journals;
    dir.AddFile(QByteArray("readme.TXT.tmp"), "a"); // in flight, new name free
    dir.AddFile(QByteArray("setup.EXE.tmp"), "b"); // in flight, new name taken
    dir.AddFile(QByteArray("Setup.exe"), "other");
    dir.AddFile(QByteArray("INSTALL..tmp"), "c"); // in flight, both names taken
    dir.AddFile(QByteArray("Install"), "d1");
    dir.AddFile(QByteArray("INSTALL"), "d2");
    const QList<JournalEntry> plan {{"readme.TXT", "readme.TXT.tmp", "ReadMe.txt"},
                                    {"setup.EXE", "setup.EXE.tmp", "Setup.exe"},
                                    {"INSTALL", "INSTALL..tmp", "Install"}};
    QFile j(QDir(journals.path()).filePath(u"pass-0000000000001-0000001-0.open"_qs));
    ASSERT_TRUE(j.open(QIODevice::WriteOnly));
    j.write(JournalHeaderText(dir.nativePath(), plan) + JournalRecordText(2, StepState::AtTemp));
    j.close();

    RecoveryReport report = RecoverUnfinishedJournals(journals.path(), SystemFileSystem());
    EXPECT_EQ(report.toNewName, 1);
    EXPECT_EQ(report.toOldName, 1);
    EXPECT_EQ(report.leftAtTemp, 1);
    EXPECT_FALSE(report.Summary().isEmpty());
    EXPECT_EQ(dir.Contents("ReadMe.txt"), "a");
    EXPECT_EQ(dir.Contents("setup.EXE"), "b");
    EXPECT_EQ(dir.Contents("Setup.exe"), "other");
    EXPECT_EQ(dir.Contents("INSTALL..tmp"), "c");
    // The journal stays unfinished while a file is left; once a name is free, the next start
    // settles it.
    ASSERT_TRUE(QFile::remove(dir.path() + u"Install"));
    report = RecoverUnfinishedJournals(journals.path(), SystemFileSystem());
    EXPECT_EQ(report.toNewName, 1);
    EXPECT_EQ(dir.Contents("Install"), "c");
    EXPECT_TRUE(JournalNames(journals.path()).value(0).endsWith(u".done"));
    EXPECT_TRUE(RecoverUnfinishedJournals(journals.path(), SystemFileSystem()).Summary().isEmpty());
}

// Records gathered between appends reach the file however the journal ends: at once when every
// record is flushed, else by Finish, or when an unfinished journal is closed.
TEST(RenameJournal, GatheredRecordsReachTheFile)
{
    const QList<JournalEntry> plan {{"a.TXT", "a.TXT.tmp", "a.txt"},
                                    {"b.TXT", "b.TXT.tmp", "b.txt"}};
    const auto states = [](const QString &journals) {
        const QString name = JournalNames(journals).value(0);
        QFile file(QDir(journals).filePath(name));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
        const std::optional<JournalContents> contents = ParseJournal(file.readAll());
        return contents ? contents->states : QList<StepState> {};
    };
    const QList<StepState> recorded {StepState::Renamed, StepState::AtOld};
    for (const bool finish : {false, true}) {
        for (const int interval : {0, kDefaultSyncIntervalMs}) {
            TempFolder dir, journals;
            std::unique_ptr<RenameJournal> journal
                = RenameJournal::Begin(SystemJournalStore(), journals.path(), dir.nativePath(),
                                       plan, false, nullptr, interval);
            ASSERT_TRUE(journal);
            journal->Record(0, StepState::AtTemp);
            journal->Record(0, StepState::Renamed);
            journal->Record(1, StepState::AtTemp);
            journal->Record(1, StepState::AtOld);
            if (interval == 0) {
                EXPECT_EQ(states(journals.path()), recorded) << "written at once";
            }
            if (finish) {
                EXPECT_TRUE(journal->Finish());
            }
            journal.reset();
            EXPECT_EQ(states(journals.path()), recorded)
                << "finish " << finish << ", interval " << interval;
            EXPECT_EQ(JournalNames(journals.path()).value(0).endsWith(u".done"), finish);
        }
    }
}

TEST(RenameJournal, RecoveryLeavesLiveAndUnreachableJournals)
{
    TempFolder dir, journals;
    dir.AddFile(QByteArray("readme.TXT.tmp"));
    const QList<JournalEntry> plan {{"readme.TXT", "readme.TXT.tmp", "ReadMe.txt"}};
    QString error;
    std::unique_ptr<RenameJournal> live = RenameJournal::Begin(
        SystemJournalStore(), journals.path(), dir.nativePath(), plan, false, &error);
    ASSERT_TRUE(live) << error.toStdString();
    RecoveryReport report = RecoverUnfinishedJournals(journals.path(), SystemFileSystem());
    EXPECT_EQ(report.inUse, 1);
    EXPECT_EQ(dir.Names(), QList<QByteArray> {"readme.TXT.tmp"}); // the running pass's own file
    live.reset(); // the pass dies

    // Before a scan of another folder nothing happens; before one of this folder it is settled.
    EXPECT_EQ(
        RecoverUnfinishedJournals(journals.path(), SystemFileSystem(), u"/elsewhere/"_qs).journals,
        0);
    EXPECT_EQ(RecoverUnfinishedJournals(journals.path(), SystemFileSystem(), dir.path()).toNewName,
              1);

    std::unique_ptr<RenameJournal> gone = RenameJournal::Begin(
        SystemJournalStore(), journals.path(), "/no/such/folder/", plan, false, &error);
    ASSERT_TRUE(gone);
    gone.reset();
    report = RecoverUnfinishedJournals(journals.path(), SystemFileSystem());
    EXPECT_EQ(report.unreachable, 1);
    EXPECT_EQ(JournalNames(journals.path()).filter(u".open"_qs).size(), 1);
}

TEST(RenameJournal, UndoReversesAFinishedPass)
{
    TempFolder dir, journals;
    FillFolder(dir);
    JournalledPass(dir, kFiles, journals.path(), SystemFileSystem());
    EXPECT_TRUE(dir.Names().contains("Setup.exe"));
    dir.AddFile(QByteArray("INSTALL"), "came later"); // the old name of one file is taken now

    const std::optional<JournalContents> journal = ReadLastJournal(dir.path(), journals.path());
    ASSERT_TRUE(journal);
    const UndoReport report = UndoPass(*journal, SystemFileSystem(), journals.path());
    EXPECT_TRUE(report.journalError.isEmpty());
    EXPECT_EQ(report.reversed,
              3); // readme.TXT, setup.EXE, x.DOC (one step: its taken temporary name is not needed)
    ASSERT_EQ(report.notReversed.size(), 1);
    EXPECT_TRUE(report.notReversed[0].startsWith(u"«Install»"));
    EXPECT_EQ(dir.Contents("readme.TXT"), "data:readme.TXT");
    EXPECT_EQ(dir.Contents("setup.EXE"), "data:setup.EXE");
    EXPECT_EQ(dir.Contents("x.DOC"), "data:x.DOC");
    EXPECT_EQ(dir.Contents("x.DOC.tmp"), "data:x.DOC.tmp");
    EXPECT_EQ(dir.Contents("Install"), "data:INSTALL");
    EXPECT_EQ(dir.Contents("INSTALL"), "came later");
    // The undo is a pass of its own, and the newest journal of the folder.
    EXPECT_EQ(ReadLastJournal(dir.path(), journals.path())->entries.size(), 4);
}

// Another program changes the folder while the pass runs: just before the chosen rename call.
class MeddlingFileSystem : public test::ForwardingFileSystem
{
public:
    int RenameNoReplace(const QByteArray &folder, const QByteArray &from,
                        const QByteArray &to) override
    {
        if (meddle && from == when)
            meddle(folder), meddle = nullptr;
        return ForwardingFileSystem::RenameNoReplace(folder, from, to);
    }
    QByteArray when;
    std::function<void(const QByteArray &folder)> meddle;
};

TEST(RenameJournal, FilesThatVanishOrAppearDuringThePass)
{
    const auto remove = [](const char *name) {
        return
            [name](const QByteArray &folder) { ::unlink(QByteArray(folder + name).constData()); };
    };
    const auto create = [](const char *name) {
        return [name](const QByteArray &folder) {
            QFile f(QFile::decodeName(folder + name));
            ASSERT_TRUE(f.open(QIODevice::NewOnly));
            f.write("theirs");
        };
    };
    struct Case {
        const char *title;
        QByteArray when; // the rename call before which the folder changes
        std::function<void(const QByteArray &)> meddle;
        QList<QByteArray> after;
        StepState state; // what the journal holds for setup.EXE
    };
    const Case cases[] = {
        {"gone before the first step",
         "setup.EXE",
         remove("setup.EXE"),
         {"ReadMe.txt"},
         StepState::AtOld},
        {"temporary name taken",
         "setup.EXE",
         create("setup.EXE.tmp"),
         {"ReadMe.txt", "setup.EXE", "setup.EXE.tmp"},
         StepState::AtOld},
        {"new name taken between the steps",
         "setup.EXE.tmp",
         create("Setup.exe"),
         {"ReadMe.txt", "Setup.exe", "setup.EXE"},
         StepState::AtOld},
        {"gone between the steps",
         "setup.EXE.tmp",
         remove("setup.EXE.tmp"),
         {"ReadMe.txt"},
         StepState::AtOld},
        {"an unlisted file appears",
         "setup.EXE",
         create("NEW.TXT"),
         {"NEW.TXT", "ReadMe.txt", "Setup.exe"},
         StepState::Renamed},
    };
    for (const Case &c : cases) {
        TempFolder dir, journals;
        dir.AddFile(QByteArray("readme.TXT"), "data:readme.TXT");
        dir.AddFile(QByteArray("setup.EXE"), "data:setup.EXE");
        MeddlingFileSystem fs;
        fs.foldCase = true; // the two steps give other programs their moment
        fs.when = c.when;
        fs.meddle = c.meddle;
        const PassReport report
            = JournalledPass(dir, {"readme.TXT", "setup.EXE"}, journals.path(), fs);
        EXPECT_EQ(dir.Names(), c.after) << c.title;
        EXPECT_EQ(dir.Contents("ReadMe.txt"), "data:readme.TXT") << c.title;
        EXPECT_EQ(report.failed, c.state == StepState::Renamed ? 0 : 1) << c.title;
        const std::optional<JournalContents> journal = ReadLastJournal(dir.path(), journals.path());
        ASSERT_TRUE(journal) << c.title;
        EXPECT_EQ(journal->states.value(1), c.state) << c.title;
        // A finished journal is never recovered: whatever is under a temporary name now is not
        // the pass's.
        EXPECT_EQ(RecoverUnfinishedJournals(journals.path(), SystemFileSystem()).journals, 0)
            << c.title;
        EXPECT_EQ(dir.Names(), c.after) << c.title;
    }
}

TEST(RenameJournal, KeepsTheNewestTenFinishedJournals)
{
    TempFolder dir, journals;
    for (int i = 0; i < 12; ++i) {
        const QByteArray name = "readme" + QByteArray::number(i) + ".TXT";
        dir.AddFile(name);
        JournalledPass(dir, {name}, journals.path(), SystemFileSystem());
    }
    const QStringList names = JournalNames(journals.path());
    EXPECT_EQ(names.size(), kKeptJournals);
    EXPECT_EQ(ReadLastJournal(dir.path(), journals.path())->entries.value(0).oldName,
              "readme11.TXT");
}

TEST(RenameJournal, APassWithoutAWritableJournalStillRenames)
{
    TempFolder dir, journals;
    dir.AddFile(QByteArray("readme.TXT"));
    dir.AddFile(QByteArray("blocker"));
    const PassReport report
        = JournalledPass(dir, {"readme.TXT"}, dir.path() + u"blocker/journals", SystemFileSystem());
    EXPECT_FALSE(report.journalError.isEmpty());
    EXPECT_EQ(report.renamed, 1);
    EXPECT_TRUE(dir.Names().contains("ReadMe.txt"));
}

TEST(RenameJournal, DefaultFolderFollowsXdgStateHome)
{
    const QByteArray saved = qgetenv("XDG_STATE_HOME");
    qputenv("XDG_STATE_HOME", "/state");
    EXPECT_EQ(JournalFolder(), u"/state/Vorlant");
    qputenv("XDG_STATE_HOME", "relative");
    EXPECT_EQ(JournalFolder(), QDir::homePath() + u"/.local/state/Vorlant");
    qputenv("XDG_STATE_HOME", saved);
}

} // namespace
} // namespace vl
