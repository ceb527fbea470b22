// Journals that were not written by a pass of this user, or that a pass left in an odd state: no
// record does more than change letter case, no file is moved that is not the pass's, and the
// journal's own faults (torn lines, a clock set wrong, a missing folder) harm nothing.

#include "VLMain/core/JournalRecovery.h"
#include "VLMain/core/RenameJournal.h"
#include "VLMain/core/RenamePass.h"
#include "VLMain/core/RenameSteps.h"

#include "support/TestSupport.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace vl {
namespace {

using test::BuiltinDictionaries;
using test::JournalledPass;
using test::TempFolder;

struct NoHooks : RenamePassHooks {
    void BeforeItem(int, int, const QString &) override { }
};

QString WriteJournal(const QString &journals, const QString &name, const QByteArray &text)
{
    const QString path = QDir(journals).filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text);
    return path;
}

QByteArray ReadFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

JournalEntry Identified(const TempFolder &dir, JournalEntry e, const QByteArray &onDisk)
{
    FileIdentity identity;
    EXPECT_EQ(SystemFileSystem().IdentifyFile(dir.nativePath(), onDisk, identity), 0);
    e.device = identity.device;
    e.inode = identity.inode;
    return e;
}

TEST(JournalTrust, RecordsThatDoMoreThanChangeCaseAreRefused)
{
    struct Case {
        JournalEntry entry;
        bool refused;
    };
    const Case cases[] = {
        {{"readme.TXT", "readme.TXT.tmp", "ReadMe.txt"}, false},
        {{"INSTALL", "INSTALL..tmp", "Install"}, false},
        {{"readme.TXT", "readme.TXT~2.tmp", "ReadMe.txt"}, false}, // a spare temporary name
        {{"evil.txt", "evil.txt.tmp", "secret.txt"}, true},
        {{"moved.dat", "moved.dat.tmp", "../outside/victim.dat"}, true},
        {{"data", "data.tmp", "../outside/stolen"}, true},
        {{"a/b.TXT", "a/b.TXT.tmp", "A/B.txt"}, true},
        {{"..", "...tmp", ".."}, true},
        {{"readme.TXT", "../readme.TXT.tmp", "ReadMe.txt"}, true},
        {{"readme.TXT", "other.tmp", "ReadMe.txt"}, true},
        {{"readme.TXT", "readme.TXT~0.tmp", "ReadMe.txt"}, true},
        {{"caf\xE9.TXT", "caf\xE9.TXT.tmp", "Caf\xE9.txt"}, true}, // not UTF-8
        {{"\xC5\xBFomefile.TXT", "\xC5\xBFomefile.TXT.tmp", "SOMEFILE.txt"}, true}, // long s
    };
    for (const Case &c : cases)
        EXPECT_EQ(!JournalEntryRefusal(c.entry).isEmpty(), c.refused) << c.entry.newName.data();
}

// The journals of the report, carried out by recovery and by undo: the folder stays as it was
// and each refused record is said.
TEST(JournalTrust, CraftedJournalsMoveNothing)
{
    TempFolder root, journals;
    root.AddFolder(u"files"_qs);
    root.AddFolder(u"outside"_qs);
    const QString files = root.path() + u"files/";
    const QByteArray folder = QFile::encodeName(files);
    const auto add = [](const QString &path, const QByteArray &data) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(data);
    };
    add(files + u"secret.txt", "secret");
    add(files + u"data..tmp", "data");
    add(files + u"data.tmp", "data too");
    add(root.path() + u"outside/victim.dat", "victim");
    const QList<JournalEntry> done {{"evil.txt", "evil.txt.tmp", "secret.txt"},
                                    {"moved.dat", "moved.dat.tmp", "../outside/victim.dat"}};
    WriteJournal(journals.path(), u"pass-n0000000001-0000001-0.done"_qs,
                 JournalHeaderText(folder, done) + JournalRecordText(0, StepState::Renamed)
                     + JournalRecordText(1, StepState::Renamed) + "F\n");
    const QList<JournalEntry> open {{"data", "data..tmp", "../outside/stolen"},
                                    {"data", "data.tmp", "../outside/stolen"}};
    WriteJournal(journals.path(), u"pass-n0000000002-0000001-0.open"_qs,
                 JournalHeaderText(folder, open));
    const auto unchanged = [&] {
        EXPECT_EQ(QDir(files).entryList(QDir::Files),
                  (QStringList {u"data..tmp"_qs, u"data.tmp"_qs, u"secret.txt"_qs}));
        EXPECT_EQ(QDir(root.path() + u"outside").entryList(QDir::Files),
                  QStringList {u"victim.dat"_qs});
    };

    const RecoveryReport recovery = RecoverUnfinishedJournals(journals.path(), SystemFileSystem());
    unchanged();
    ASSERT_EQ(recovery.refused.size(), 2);
    EXPECT_TRUE(
        recovery.refused[0].contains(u"запись журнала отклонена: «data» → «../outside/stolen»"))
        << recovery.refused[0].toStdString();
    EXPECT_TRUE(recovery.NeedsWarning());
    EXPECT_TRUE(recovery.Summary().contains(u"запись журнала отклонена"));

    const std::optional<JournalContents> last = ReadLastJournal(files, journals.path());
    ASSERT_TRUE(last);
    const UndoReport undo = UndoPass(*last, SystemFileSystem(), journals.path());
    unchanged();
    EXPECT_EQ(undo.reversed, 0);
    ASSERT_EQ(undo.refused.size(), 2);
    EXPECT_TRUE(undo.refused[0].startsWith(u"запись журнала отклонена: «moved.dat»"));
}

// The two cases a journal without identities got wrong.
TEST(JournalTrust, RecoveryMovesOnlyThePassesOwnFile)
{
    const JournalEntry plan {"name.TXT", "name.TXT.tmp", "name.txt"};
    {
        // The user's own «name.TXT.tmp» beside «name.TXT»; the pass is killed, and the user
        // moves «name.TXT» away.
        TempFolder dir, journals;
        dir.AddFile(QByteArray("name.TXT"), "planned");
        dir.AddFile(QByteArray("name.TXT.tmp"), "the user's");
        WriteJournal(journals.path(), u"pass-n0000000001-0000001-0.open"_qs,
                     JournalHeaderText(dir.nativePath(), {Identified(dir, plan, "name.TXT")}));
        ASSERT_EQ(::unlink(QByteArray(dir.nativePath() + "name.TXT").constData()), 0);
        const RecoveryReport report
            = RecoverUnfinishedJournals(journals.path(), SystemFileSystem());
        EXPECT_EQ(report.toNewName + report.toOldName, 0);
        EXPECT_EQ(dir.Names(), QList<QByteArray> {"name.TXT.tmp"});
        EXPECT_EQ(dir.Contents("name.TXT.tmp"), "the user's");
    }
    {
        // The pass's file under its temporary name, and another program re-creates the old name.
        TempFolder dir, journals;
        dir.AddFile(QByteArray("name.TXT"), "planned");
        const JournalEntry identified = Identified(dir, plan, "name.TXT");
        ASSERT_EQ(SystemFileSystem().RenameNoReplace(dir.nativePath(), "name.TXT", "name.TXT.tmp"),
                  0);
        dir.AddFile(QByteArray("name.TXT"), "re-created");
        WriteJournal(journals.path(), u"pass-n0000000001-0000001-0.open"_qs,
                     JournalHeaderText(dir.nativePath(), {identified}));
        const RecoveryReport report
            = RecoverUnfinishedJournals(journals.path(), SystemFileSystem());
        EXPECT_EQ(report.toNewName, 1);
        EXPECT_EQ(dir.Contents("name.txt"), "planned");
        EXPECT_EQ(dir.Contents("name.TXT"), "re-created");
        EXPECT_TRUE(JournalFiles(journals.path(), kJournalDoneSuffix).size() == 1);
    }
}

TEST(JournalTrust, IdentitiesRoundTripAndOldJournalsStayReadable)
{
    QList<JournalEntry> plan {{"a.TXT", "a.TXT.tmp", "a.txt", 2049, 123456789012ULL},
                              {"b.TXT", "b.TXT.tmp", "b.txt"}};
    const QByteArray text = JournalHeaderText("/f/", plan, false, true);
    const std::optional<JournalContents> read = ParseJournal(text);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->entries, plan);
    EXPECT_TRUE(read->undo);
    // A stray identity line belongs to no plan line, and an older journal has none.
    QByteArray stray = text;
    stray.replace("P b.TXT", "I 1 2\nI 3 4\nP b.TXT");
    EXPECT_EQ(ParseJournal(stray)->entries, plan);
    EXPECT_FALSE(ParseJournal("VORLANT-JOURNAL 1\nfolder /f/\nP a.TXT a.TXT.tmp a.txt\nB\n")
                     ->entries.value(0)
                     .identified());

    // A pass in one step uses no temporary name, so its plan needs no identities (and saves a
    // look at every file); one in two steps has them (RenamePass tests).
    TempFolder dir, journals;
    dir.AddFile(QByteArray("readme.TXT"), "data");
    JournalledPass(dir, {"readme.TXT"}, journals.path());
    const std::optional<JournalContents> last = ReadLastJournal(dir.path(), journals.path());
    ASSERT_TRUE(last);
    ASSERT_TRUE(last->oneStep);
    EXPECT_FALSE(last->entries.value(0).identified());
}

TEST(JournalTrust, ATornLastLineIsCutBeforeAppending)
{
    QList<JournalEntry> plan;
    for (int i = 0; i < 60; ++i) {
        const QByteArray n = "f" + QByteArray::number(i);
        plan.append({n + ".TXT", n + ".TXT.tmp", n + ".txt"});
    }
    {
        // «N 57» torn to «N 5»; recovery finds file 57 under its new name and records it.
        TempFolder dir, journals;
        for (int i = 0; i < 60; ++i)
            dir.AddFile(i == 57 ? plan[i].newName : plan[i].oldName);
        const QString path = WriteJournal(journals.path(), u"pass-n0000000001-0000001-0.open"_qs,
                                          JournalHeaderText(dir.nativePath(), plan) + "N 5");
        RecoverUnfinishedJournals(journals.path(), SystemFileSystem());
        const QString done = JournalFiles(journals.path(), kJournalDoneSuffix).value(0);
        const std::optional<JournalContents> read = ParseJournal(ReadFile(done));
        ASSERT_TRUE(read);
        EXPECT_TRUE(read->finished);
        EXPECT_EQ(read->states[57], StepState::Renamed);
        EXPECT_EQ(read->states[5], StepState::Planned);
        EXPECT_FALSE(ReadFile(done).contains("N 5N"));
    }
    {
        // A torn «F»: recovery ends the journal with one «F», not «FF».
        TempFolder dir, journals;
        dir.AddFile(plan[0].newName);
        WriteJournal(journals.path(), u"pass-n0000000001-0000001-0.open"_qs,
                     JournalHeaderText(dir.nativePath(), {plan[0]})
                         + JournalRecordText(0, StepState::Renamed) + "F");
        RecoverUnfinishedJournals(journals.path(), SystemFileSystem());
        const QString done = JournalFiles(journals.path(), kJournalDoneSuffix).value(0);
        EXPECT_TRUE(ReadFile(done).endsWith("N 0\nF\n")) << done.toStdString();
        EXPECT_TRUE(ReadLastJournal(dir.path(), journals.path()).has_value());
    }
}

TEST(JournalTrust, JournalsAreOrderedBySequenceNotByClock)
{
    TempFolder dir, journals;
    // Ten journals of older versions, named by a clock once set years ahead.
    for (int i = 0; i < kKeptJournals; ++i)
        WriteJournal(
            journals.path(),
            QStringLiteral("pass-9999999999%1-0000001-0.done").arg(i, 3, 10, QLatin1Char('0')),
            JournalHeaderText("/elsewhere/", {{"a.TXT", "a.TXT.tmp", "a.txt"}}) + "N 0\nF\n");
    dir.AddFile(QByteArray("readme.TXT"));
    const PassReport first = JournalledPass(dir, {"readme.TXT"}, journals.path());
    ASSERT_TRUE(QFile::exists(first.journalPath)) << first.journalPath.toStdString();
    dir.AddFile(QByteArray("setup.EXE"));
    const PassReport second = JournalledPass(dir, {"setup.EXE"}, journals.path());
    ASSERT_TRUE(QFile::exists(second.journalPath));
    EXPECT_FALSE(
        QFile::exists(JournalFiles(journals.path(), kJournalDoneSuffix).value(0) + u"-gone"));
    const QStringList done = JournalFiles(journals.path(), kJournalDoneSuffix);
    EXPECT_EQ(done.size(), kKeptJournals);
    EXPECT_EQ(done.value(done.size() - 2), first.journalPath);
    EXPECT_EQ(done.last(), second.journalPath);
    EXPECT_EQ(ReadLastJournal(dir.path(), journals.path())->entries.value(0).oldName, "setup.EXE");
}

TEST(JournalTrust, UndoTakesBackTheNewestPassThatRenamedSomething)
{
    TempFolder dir, journals;
    dir.AddFile(QByteArray("readme.TXT"), "a");
    JournalledPass(dir, {"readme.TXT"}, journals.path());
    // A pass whose only rename fails keeps no journal; an older one that renamed nothing, kept,
    // is passed over too.
    dir.AddFile(QByteArray("setup.EXE"), "b");
    dir.AddFile(QByteArray("Setup.exe"), "taken");
    const PassReport failed = JournalledPass(dir, {"setup.EXE"}, journals.path());
    EXPECT_EQ(failed.failed, 1);
    EXPECT_TRUE(failed.journalPath.isEmpty());
    WriteJournal(journals.path(), u"pass-n0000000099-0000001-0.done"_qs,
                 JournalHeaderText(dir.nativePath(), {{"setup.EXE", "setup.EXE.tmp", "Setup.exe"}})
                     + "O 0\nF\n");
    const std::optional<JournalContents> last = ReadLastJournal(dir.path(), journals.path());
    ASSERT_TRUE(last);
    EXPECT_EQ(last->entries.value(0).oldName, "readme.TXT");
    EXPECT_EQ(UndoPass(*last, SystemFileSystem(), journals.path()).reversed, 1);
    EXPECT_EQ(dir.Contents("readme.TXT"), "a");

    TempFolder untouched;
    EXPECT_FALSE(ReadLastJournal(untouched.path(), journals.path()).has_value());
}

TEST(JournalTrust, ASecondPassOnAFolderWithALivePassRefuses)
{
    TempFolder dir, journals;
    dir.AddFile(QByteArray("ReadMe.725.tmp"), "the first pass's");
    dir.AddFile(QByteArray("setup.EXE"));
    QString error;
    std::unique_ptr<RenameJournal> live
        = RenameJournal::Begin(SystemJournalStore(), journals.path(), dir.nativePath(),
                               {{"readme.TXT", "readme.TXT~725.tmp", "ReadMe.txt"}}, false, &error);
    ASSERT_TRUE(live) << error.toStdString();
    const PassReport report = JournalledPass(dir, {"ReadMe.725.tmp", "setup.EXE"}, journals.path());
    EXPECT_FALSE(report.refusal.isEmpty());
    EXPECT_EQ(report.renamed, 0);
    EXPECT_EQ(dir.Names(), (QList<QByteArray> {"ReadMe.725.tmp", "setup.EXE"}));
    EXPECT_EQ(JournalFiles(journals.path(), kJournalOpenSuffix).size(), 1); // only the live one
    live.reset();
    TempFolder other;
    other.AddFile(QByteArray("setup.EXE"));
    std::unique_ptr<RenameJournal> elsewhere
        = RenameJournal::Begin(SystemJournalStore(), journals.path(), other.nativePath(),
                               {{"setup.EXE", "setup.EXE.tmp", "Setup.exe"}}, false, &error);
    EXPECT_EQ(JournalledPass(dir, {"setup.EXE"}, journals.path()).renamed,
              1); // another folder's pass
}

// The system's file system, killed after a number of renames.
class KilledFileSystem : public test::ForwardingFileSystem
{
public:
    struct Killed {
    };
    int RenameNoReplace(const QByteArray &folder, const QByteArray &from,
                        const QByteArray &to) override
    {
        if (renamesLeft-- == 0)
            throw Killed {};
        return ForwardingFileSystem::RenameNoReplace(folder, from, to);
    }
    int renamesLeft = -1;
};

TEST(JournalTrust, AnInterruptedUndoIsFinishedByRecovery)
{
    for (const bool foldCase : {false, true}) {
        TempFolder dir, journals;
        const QList<QByteArray> names {"readme.TXT", "setup.EXE", "INSTALL", "x.DOC"};
        for (const QByteArray &n : names)
            dir.AddFile(n, "data:" + n);
        JournalledPass(dir, names, journals.path());
        const std::optional<JournalContents> last = ReadLastJournal(dir.path(), journals.path());
        ASSERT_TRUE(last);
        KilledFileSystem fs;
        fs.foldCase = foldCase;
        fs.renamesLeft = foldCase ? 3 : 2; // in the middle of the second file's steps
        EXPECT_THROW(UndoPass(*last, fs, journals.path()), KilledFileSystem::Killed);

        const RecoveryReport report = RecoverUnfinishedJournals(journals.path(), fs);
        EXPECT_EQ(report.undosFinished, 1) << foldCase;
        QList<QByteArray> sorted = names;
        std::sort(sorted.begin(), sorted.end());
        EXPECT_EQ(dir.Names(), sorted) << foldCase;
        for (const QByteArray &n : names)
            EXPECT_EQ(dir.Contents(n), "data:" + n) << foldCase;
        EXPECT_TRUE(JournalFiles(journals.path(), kJournalOpenSuffix).isEmpty());
    }
}

TEST(JournalTrust, WithoutAJournalTwoStepsAreNotTaken)
{
    for (const bool foldCase : {false, true}) {
        TempFolder dir;
        dir.AddFile(QByteArray("readme.TXT"));
        dir.AddFile(QByteArray("blocker"));
        test::ForwardingFileSystem fs;
        fs.foldCase = foldCase;
        const PassReport report
            = JournalledPass(dir, {"readme.TXT"}, dir.path() + u"blocker/journals", fs);
        if (foldCase) {
            EXPECT_EQ(report.renamed, 0);
            EXPECT_TRUE(report.refusal.startsWith(u"Журнал переименования не записан"));
            EXPECT_TRUE(dir.Names().contains("readme.TXT"));
        } else {
            EXPECT_EQ(report.renamed, 1);
            EXPECT_TRUE(report.journalError.contains(u"отменить это переименование будет нельзя"));
            EXPECT_TRUE(dir.Names().contains("ReadMe.txt"));
        }
    }
}

TEST(JournalTrust, JournalsOthersCouldWriteAreNotCarriedOut)
{
    TempFolder dir, state;
    const QString journals = state.path() + u"Vorlant";
    ASSERT_TRUE(QDir().mkpath(journals));
    dir.AddFile(QByteArray("readme.TXT.tmp"), "a");
    const QString path = WriteJournal(
        journals, u"pass-n0000000001-0000001-0.open"_qs,
        JournalHeaderText(dir.nativePath(), {{"readme.TXT", "readme.TXT.tmp", "ReadMe.txt"}}));
    const QByteArray folder = QFile::encodeName(journals);

    ASSERT_EQ(::chmod(folder.constData(), 0777), 0);
    RecoveryReport report = RecoverUnfinishedJournals(journals, SystemFileSystem());
    EXPECT_FALSE(report.distrust.isEmpty());
    EXPECT_TRUE(report.Summary().contains(u"открыта для записи другим"));
    EXPECT_EQ(dir.Names(), QList<QByteArray> {"readme.TXT.tmp"});
    QString why;
    EXPECT_FALSE(ReadLastJournal(dir.path(), journals, &why).has_value());
    EXPECT_FALSE(why.isEmpty());

    ASSERT_EQ(::chmod(folder.constData(), 0700), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0666), 0);
    report = RecoverUnfinishedJournals(journals, SystemFileSystem());
    ASSERT_EQ(report.refused.size(), 1);
    EXPECT_EQ(dir.Names(), QList<QByteArray> {"readme.TXT.tmp"});
    EXPECT_TRUE(QFile::exists(path + u".refused")); // set aside: said once
    EXPECT_TRUE(RecoverUnfinishedJournals(journals, SystemFileSystem()).refused.isEmpty());

    // Another user's journal, where the test may hand one over.
    if (::geteuid() == 0) {
        const QString theirs = WriteJournal(
            journals, u"pass-n0000000002-0000001-0.open"_qs,
            JournalHeaderText(dir.nativePath(), {{"readme.TXT", "readme.TXT.tmp", "ReadMe.txt"}}));
        ASSERT_EQ(::chmod(QFile::encodeName(theirs).constData(), 0600), 0);
        ASSERT_EQ(::chown(QFile::encodeName(theirs).constData(), 65534, 65534), 0);
        EXPECT_EQ(RecoverUnfinishedJournals(journals, SystemFileSystem()).refused.size(), 1);
        EXPECT_EQ(dir.Names(), QList<QByteArray> {"readme.TXT.tmp"});
    }
}

TEST(JournalTrust, AMissingFolderIsToldOnceAndCanBeForgotten)
{
    TempFolder journals;
    const QList<JournalEntry> plan {{"readme.TXT", "readme.TXT.tmp", "ReadMe.txt"}};
    WriteJournal(journals.path(), u"pass-n0000000001-0000001-0.open"_qs,
                 JournalHeaderText("/no/such/stick/", plan));
    RecoveryReport report = RecoverUnfinishedJournals(journals.path(), SystemFileSystem());
    ASSERT_EQ(report.missingFolders.size(), 1);
    EXPECT_TRUE(report.Summary().contains(u"--forget"));
    EXPECT_TRUE(report.missingFolders[0].contains(u"папка не найдена"));
    report = RecoverUnfinishedJournals(journals.path(), SystemFileSystem());
    EXPECT_EQ(report.unreachable, 1);
    EXPECT_TRUE(report.Summary().isEmpty()) << report.Summary().toStdString();
    EXPECT_EQ(JournalFiles(journals.path(), kJournalOpenSuffix).size(), 1);

    EXPECT_EQ(ForgetJournals(journals.path(), SystemJournalStore(), "/other/").forgotten, 0);
    EXPECT_EQ(ForgetJournals(journals.path(), SystemJournalStore(), "/no/such/stick").forgotten, 1);
    EXPECT_TRUE(JournalFiles(journals.path(), kJournalOpenSuffix).isEmpty());
}

// The system's file system with another program that takes each renamed file away at once.
class TakingFileSystem : public test::ForwardingFileSystem
{
public:
    int RenameNoReplace(const QByteArray &folder, const QByteArray &from,
                        const QByteArray &to) override
    {
        const int result = ForwardingFileSystem::RenameNoReplace(folder, from, to);
        if (result == 0 && to == taken)
            ::unlink(QByteArray(folder + to).constData());
        return result;
    }
    QByteArray taken;
};

TEST(JournalTrust, ErrorTextsSayWhatFailed)
{
    EXPECT_NE(DescribeError(EACCES, ErrorContext::ReadFolder), DescribeError(EACCES));
    EXPECT_NE(DescribeError(EACCES, ErrorContext::JournalFolder), DescribeError(EACCES));
    EXPECT_NE(DescribeError(EACCES, ErrorContext::JournalFolder),
              DescribeError(EACCES, ErrorContext::ReadFolder));
    EXPECT_EQ(DescribeError(ENOENT, ErrorContext::ReadFolder), u"папка не найдена");

    TempFolder dir;
    dir.AddFile(QByteArray("readme.TXT"));
    TakingFileSystem fs;
    fs.taken = "ReadMe.txt";
    FileListModel model;
    model.Append(MakeFileItem("readme.TXT"));
    NoHooks hooks;
    const PassReport report = RenameFiles(dir.path(), model, BuiltinDictionaries(), fs, hooks);
    EXPECT_EQ(report.failed, 1);
    EXPECT_EQ(model.at(0).failure, DescribeError(ENOENT));
}

} // namespace
} // namespace vl
