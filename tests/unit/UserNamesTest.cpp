#include "VLMain/core/UserNames.h"

#include "platform/core/PlatformError.h"
#include "platform/core/ProcessInfo.h"

#include "support/TestSupport.h"

#include <QFileInfo>
#include <QStringEncoder>

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <csignal>

namespace vl {
namespace {

using test::TempFolder;
using test::U;

// Answers Yes to every self-check message and records them.
class RecordingPrompt : public SelfCheckPrompt
{
public:
    bool Continue(const QString &message) override
    {
        messages.append(message);
        return true;
    }
    QStringList messages;
};

// One start of the program against a user name file in a temporary folder.
struct Start {
    explicit Start(const QString &filePath)
    {
        mustEnd = PrepareDictionaries(dictionaries, prompt,
                                      [&](TDictionaries &d) { LoadUserNames(d, filePath); });
    }
    TDictionaries dictionaries;
    RecordingPrompt prompt;
    bool mustEnd = false;
};

TEST(UserNames, SaveAndLoadFollowTheFileRules)
{
    struct Case {
        const char *title;
        bool fileExists;
        QByteArray before;
        QStringList addFull;
        QStringList addNames;
        QStringList loadedFull; // the user lists after loading
        QStringList loadedNames;
        QByteArray after; // the file after the save; empty: no file
    };
    const Case cases[] = {
        {"no file and nothing added: no file", false, {}, {}, {}, {}, {}, {}},
        {"one name added: only NAMES",
         false,
         {},
         {},
         {u"Quuxit"_qs},
         {},
         {},
         "[NAMES]\n0=Quuxit\n"},
        {"keys out of sequence and a word are renumbered in collation order",
         true,
         "[NAMES]\n7=Zorblax\nword=Quuxit\n",
         {},
         {},
         {},
         {u"Quuxit"_qs, u"Zorblax"_qs},
         "[NAMES]\n0=Quuxit\n1=Zorblax\n"},
        {"a name holding = survives",
         true,
         "[NAMES]\n0=Ab=Cd\n",
         {},
         {},
         {},
         {u"Ab=Cd"_qs},
         "[NAMES]\n0=Ab=Cd\n"},
        {"a file with only NAME.EXT gets NAMES",
         true,
         "[NAME.EXT]\n0=My.Quux\n",
         {},
         {u"Zorblax"_qs},
         {u"My.Quux"_qs},
         {},
         "[NAME.EXT]\n0=My.Quux\n[NAMES]\n0=Zorblax\n"},
        {"other sections, comments and blank lines come through",
         true,
         "; mine\n\n[Other]\n a = b \n;c\n\n[NAMES]\n0=Quuxit\n\n[More]\nx=1",
         {u"Ab.Cd"_qs},
         {},
         {},
         {u"Quuxit"_qs},
         "; mine\n\n[Other]\n a = b \n;c\n\n[NAMES]\n0=Quuxit\n\n[More]\nx=1\n"
         "[NAME.EXT]\n0=Ab.Cd\n"},
        {"the same name in both sections loads into both",
         true,
         "[NAME.EXT]\n0=Quuxit\n[NAMES]\n0=Quuxit\n",
         {},
         {},
         {u"Quuxit"_qs},
         {u"Quuxit"_qs},
         "[NAME.EXT]\n0=Quuxit\n[NAMES]\n0=Quuxit\n"},
        {"the section of an empty list is removed, its blank line stays",
         true,
         "[NAME.EXT]\n\n[NAMES]\n0=Quuxit\n",
         {},
         {},
         {},
         {u"Quuxit"_qs},
         "\n[NAMES]\n0=Quuxit\n"},
        {"nothing to save leaves the file as it is",
         true,
         "[Other]\nx=1",
         {},
         {},
         {},
         {},
         "[Other]\nx=1"},
        {"section names in any case",
         true,
         "[names]\n0=Quuxit\n",
         {},
         {u"Zorblax"_qs},
         {},
         {u"Quuxit"_qs},
         "[names]\n0=Quuxit\n1=Zorblax\n"},
    };
    for (const Case &c : cases) {
        TempFolder folder;
        if (c.fileExists)
            folder.AddFile(QByteArray("Vorlant.ini"), c.before);
        const QString path = folder.path() + u"Vorlant.ini";
        Start start(path);
        EXPECT_FALSE(start.mustEnd) << c.title;
        EXPECT_TRUE(start.prompt.messages.isEmpty()) << c.title;
        EXPECT_EQ(start.dictionaries.full.UserList(), c.loadedFull) << c.title;
        EXPECT_EQ(start.dictionaries.names.UserList(), c.loadedNames) << c.title;
        for (const QString &name : c.addFull)
            start.dictionaries.full.AddName(name);
        for (const QString &name : c.addNames)
            start.dictionaries.names.AddName(name);
        SaveUserNames(start.dictionaries, path);
        if (c.after.isEmpty()) {
            EXPECT_TRUE(folder.Names().isEmpty()) << c.title;
        } else {
            EXPECT_EQ(folder.Contents("Vorlant.ini"), c.after) << c.title;
            EXPECT_EQ(folder.Names(), QList<QByteArray> {"Vorlant.ini"}) << c.title;
        }
    }
}

TEST(UserNames, NameEqualToABuiltinRowFailsTheSelfCheckAndTheFileStays)
{
    TempFolder folder;
    const QByteArray before = "[NAMES]\n0=README\n";
    folder.AddFile(QByteArray("Vorlant.ini"), before);
    Start start(folder.path() + u"Vorlant.ini");
    EXPECT_TRUE(start.mustEnd);
    ASSERT_EQ(start.prompt.messages.size(), 1);
    EXPECT_TRUE(start.prompt.messages[0].startsWith(U("Найдены повторяющиеся имена файлов (")));
    EXPECT_EQ(folder.Contents("Vorlant.ini"), before);
}

TEST(UserNames, FolderOfThatNameLoadsNothingAndCannotBeWritten)
{
    TempFolder folder;
    folder.AddFolder(u"Vorlant.ini"_qs);
    const QString path = folder.path() + u"Vorlant.ini";
    Start start(path);
    EXPECT_FALSE(start.mustEnd);
    EXPECT_TRUE(start.dictionaries.names.UserList().isEmpty());
    start.dictionaries.names.AddName(u"Quuxit"_qs);
    EXPECT_THROW(SaveUserNames(start.dictionaries, path), PlatformError);
}

TEST(UserNames, Windows1251FileWithCrLfLoads)
{
    const QString text = U("[NAME.EXT]\r\n0=Отчёт.Квартал\r\n1=Read.Me.Twice\r\n"
                           "[NAMES]\r\n0=Привет\r\n1=Ёжик\r\n2=Мир\r\n");
    QStringEncoder cp1251("windows-1251");
    ASSERT_TRUE(cp1251.isValid());
    const QByteArray bytes = cp1251.encode(text);
    ASSERT_FALSE(bytes.contains("\xD0")); // really not UTF-8 Cyrillic
    TempFolder folder;
    folder.AddFile(QByteArray("Vorlant.ini"), bytes);
    const QString path = folder.path() + u"Vorlant.ini";
    Start start(path);
    EXPECT_FALSE(start.mustEnd) << start.prompt.messages.value(0).toStdString();
    EXPECT_EQ(start.dictionaries.full.UserList(),
              (QStringList {u"Read.Me.Twice"_qs, U("Отчёт.Квартал")}));
    EXPECT_EQ(start.dictionaries.names.UserList(),
              (QStringList {U("Ёжик"), U("Мир"), U("Привет")}));
    EXPECT_GE(start.dictionaries.names.FindName(U("ПРИВЕТ")), 0);

    // Saved as UTF-8 with the file's own line ends, and the same names come back.
    SaveUserNames(start.dictionaries, path);
    EXPECT_EQ(folder.Contents("Vorlant.ini"),
              U("[NAME.EXT]\r\n0=Read.Me.Twice\r\n1=Отчёт.Квартал\r\n"
                "[NAMES]\r\n0=Ёжик\r\n1=Мир\r\n2=Привет\r\n")
                  .toUtf8());
    Start again(path);
    EXPECT_EQ(again.dictionaries.names.UserList(), start.dictionaries.names.UserList());
}

TEST(UserNames, SaveThatCannotWriteReportsTheFullPath)
{
    // Root may write anywhere, so the folder is made impossible: its parent is a regular file.
    TempFolder folder;
    folder.AddFile(QByteArray("plain"), "x");
    const QString path = folder.path() + u"plain/Vorlant/Vorlant.ini";
    TDictionaries d;
    d.names.AddName(u"Quuxit"_qs);
    try {
        SaveUserNames(d, path);
        ADD_FAILURE() << "no error";
    } catch (const PlatformError &e) {
        EXPECT_EQ(e.message(), u"Unable to write to " + path);
    }
    EXPECT_EQ(folder.Contents("plain"), QByteArray("x"));
}

// Limits the size of files that this process may write, so that a save fails halfway even for
// root, to whom permission bits mean nothing.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &old_);
        rlimit limit = old_;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldHandler_);
    }

private:
    rlimit old_ {};
    void (*oldHandler_)(int) = nullptr;
};

TEST(UserNames, FailedSaveLeavesTheOldFileWholeAndCanBeRetried)
{
    TempFolder folder;
    const QByteArray old = "[Other]\nkeep=1\n[NAMES]\n0=Quuxit\n";
    folder.AddFile(QByteArray("Vorlant.ini"), old);
    const QString path = folder.path() + u"Vorlant.ini";
    Start start(path);
    for (int i = 0; i < 100; ++i)
        start.dictionaries.names.AddName(u"SomeLongerName" + QString::number(i) + u'x');
    {
        const FileSizeLimit limit(256);
        try {
            SaveUserNames(start.dictionaries, path);
            ADD_FAILURE() << "no error";
        } catch (const PlatformError &e) {
            EXPECT_EQ(e.message(), u"Unable to write to " + path);
        }
    }
    EXPECT_EQ(folder.Contents("Vorlant.ini"), old);
    EXPECT_EQ(folder.Names(), QList<QByteArray> {"Vorlant.ini"}); // no temporary file left behind
    SaveUserNames(start.dictionaries, path); // closing again runs the whole save again
    Start again(path);
    EXPECT_EQ(again.dictionaries.names.UserList().size(), 101);
    EXPECT_TRUE(folder.Contents("Vorlant.ini").startsWith("[Other]\nkeep=1\n[NAMES]\n0="));
}

TEST(UserNames, SaveCreatesTheConfigFolder)
{
    TempFolder folder;
    const QString path = folder.path() + u"config/Vorlant/Vorlant.ini";
    TDictionaries d;
    d.full.AddName(u"Ab.Cd"_qs);
    SaveUserNames(d, path);
    Start start(path);
    EXPECT_EQ(start.dictionaries.full.UserList(), QStringList {u"Ab.Cd"_qs});
}

TEST(UserNames, NamesWithLineBreaksAreLeftOutAndTheRestNumberedWithoutGaps)
{
    TempFolder folder;
    const QString path = folder.path() + u"Vorlant.ini";
    TDictionaries d;
    for (const QString &name : {u"Alpha"_qs, u"Be\nta"_qs, u"Gamma"_qs, u"De\rlta"_qs})
        d.names.AddName(name);
    SaveUserNames(d, path);
    EXPECT_EQ(folder.Contents("Vorlant.ini"), QByteArray("[NAMES]\n0=Alpha\n1=Gamma\n"));
}

TEST(UserNames, NoLimitOnTheNumberOfNames)
{
    // More keys than the 16,384-byte listing of the original platform could hold.
    TempFolder folder;
    const QString path = folder.path() + u"Vorlant.ini";
    TDictionaries d;
    for (int i = 0; i < 5000; ++i)
        d.names.AddName(u"Name" + QString::number(i) + u"x");
    const QString longName = u"L" + QString(3000, u'o') + u"ng";
    d.names.AddName(longName);
    SaveUserNames(d, path);
    TDictionaries back;
    LoadUserNames(back, path);
    EXPECT_EQ(back.names.UserList(), d.names.UserList());
    EXPECT_TRUE(back.names.UserList().contains(longName));
}

TEST(UserNames, PathBesideTheProgramOrInTheConfigFolder)
{
    TempFolder program;
    TempFolder config;
    EXPECT_EQ(UserNamesPathIn(program.path(), config.path()), program.path() + u"Vorlant.ini");
    const QString missing = program.path() + u"no such folder";
    EXPECT_EQ(UserNamesPathIn(missing, config.path()), config.path() + u"Vorlant/Vorlant.ini");
    // This test program lives in the build folder, which is writable.
    const QFileInfo self(ProgramPath());
    EXPECT_TRUE(self.isExecutable());
    EXPECT_EQ(self.fileName(), u"unit_tests");
    EXPECT_EQ(UserNamesPath(), self.absolutePath() + u"/Vorlant.ini");
}

TEST(UserNames, CommentsInTheNamesSectionAndEveryOtherSectionSurviveASave)
{
    TempFolder folder;
    const QByteArray other = "[Other]\r\n; caf\xE9\r\nk = v \r\n";
    folder.AddFile(QByteArray("Vorlant.ini"),
                   "[NAMES]\r\n; names I use at work\r\n0=Zork\r\n\r\n" + other);
    const QString path = folder.path() + u"Vorlant.ini";
    Start start(path);
    EXPECT_EQ(start.dictionaries.names.UserList(), QStringList {u"Zork"_qs});
    start.dictionaries.names.AddName(u"Aqwizt"_qs);
    SaveUserNames(start.dictionaries, path);
    EXPECT_EQ(folder.Contents("Vorlant.ini"),
              "[NAMES]\r\n; names I use at work\r\n0=Aqwizt\r\n1=Zork\r\n\r\n" + other);
}

TEST(UserNames, ASaveKeepsTheNamesAnotherCopySavedMeanwhile)
{
    TempFolder folder;
    const QString path = folder.path() + u"Vorlant.ini";
    folder.AddFile(QByteArray("Vorlant.ini"), "[NAMES]\n0=Zork\n");
    Start first(path);
    Start second(path);
    first.dictionaries.names.AddName(u"Aqwizt"_qs);
    first.dictionaries.full.AddName(u"Read.Me.First"_qs);
    second.dictionaries.names.AddName(u"Quuxly"_qs);
    second.dictionaries.names.AddName(u"AQWIZT"_qs); // the same name, letter case aside
    SaveUserNames(first.dictionaries, path);
    SaveUserNames(second.dictionaries, path);
    EXPECT_EQ(folder.Contents("Vorlant.ini"),
              "[NAMES]\n0=AQWIZT\n1=Quuxly\n2=Zork\n[NAME.EXT]\n0=Read.Me.First\n");
    EXPECT_EQ(folder.Names(), QList<QByteArray> {"Vorlant.ini"}); // no lock file left behind
}

} // namespace
} // namespace vl
