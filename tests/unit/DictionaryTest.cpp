#include "VLMain/core/Dictionary.h"

#include "VLUtils/core/Collation.h"
#include "VLUtils/core/TextRules.h"
#include "data/BuiltinData.h"
#include "platform/core/PlatformError.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QRandomGenerator>

#include <algorithm>

namespace vl {
namespace {

using test::U;

// Answers every message with a fixed reply and records the messages.
class RecordingPrompt : public SelfCheckPrompt
{
public:
    explicit RecordingPrompt(QList<bool> answers = {}) : answers_(std::move(answers)) { }
    bool Continue(const QString &message) override
    {
        messages.append(message);
        return answers_.isEmpty() ? true : answers_.takeFirst();
    }
    QStringList messages;

private:
    QList<bool> answers_;
};

QString Message(const char *opening, const char *row)
{
    return U(opening) + U(row) + U(").\rПриложение не будет запущено. Продолжить проверку?");
}

TDictionary MakeDictionary(const QStringList &rows)
{
    TDictionary d;
    d.SetBuiltinRows(rows);
    d.BuildKeys();
    return d;
}

TEST(Dictionary, BuiltinRowsPassTheSelfCheckAndAreSorted)
{
    TDictionaries dictionaries;
    RecordingPrompt prompt;
    EXPECT_FALSE(PrepareDictionaries(dictionaries, prompt));
    EXPECT_TRUE(prompt.messages.isEmpty()) << prompt.messages.value(0).toStdString();
    EXPECT_EQ(dictionaries.full.Count(), 6);
    EXPECT_EQ(dictionaries.full.Spellings(), data::BuiltinFullNames());
    const QStringList names = data::BuiltinNames();
    EXPECT_EQ(dictionaries.names.Spellings(), names); // stored rows are already in order
    EXPECT_TRUE(std::is_sorted(names.cbegin(), names.cend(), NameLess()));
    for (const TDictionary *d : {&dictionaries.full, &dictionaries.names}) {
        ASSERT_EQ(d->Keys().size(), d->Spellings().size());
        for (qsizetype i = 0; i < d->Keys().size(); ++i)
            ASSERT_EQ(d->Keys()[i], UpperCase(d->Spellings()[i]));
    }
}

TEST(Dictionary, FindNameMatchesWholeTextsInAnyCase)
{
    TDictionaries dictionaries;
    RecordingPrompt prompt;
    PrepareDictionaries(dictionaries, prompt);
    const TDictionary &full = dictionaries.full;
    const TDictionary &names = dictionaries.names;

    const int expert = full.FindName(u"readme.expert");
    ASSERT_GE(expert, 0);
    EXPECT_EQ(full.SpellingAt(expert), u"ReadMe.Expert");
    EXPECT_EQ(full.FindName(u"ReadMe"), -1);
    for (const char16_t *spelling : {u"a1exit", u"A1EXIT", u"a1Exit"}) {
        const int i = names.FindName(spelling);
        ASSERT_GE(i, 0);
        EXPECT_EQ(names.SpellingAt(i), u"A1Exit");
    }
    // No prefix, substring or near match.
    EXPECT_EQ(names.FindName(u"A1Exi"), -1);
    EXPECT_EQ(names.FindName(u"A1Exits"), -1);
    EXPECT_EQ(names.FindName(u"A1-Exit"), -1);
    EXPECT_EQ(names.FindName(u"A1\u200BExit"), -1);
    EXPECT_EQ(names.FindName(u""), -1);
    EXPECT_GE(names.FindName(U("d-ПЕЙЗАЖ")), 0);
}

TEST(Dictionary, FindNameStaysRightWhileNamesAreAdded)
{
    // Each added name shifts the index of every row after it; lookups between adds, and after a
    // batch of them, must name the row that holds the spelling now.
    TDictionaries dictionaries;
    RecordingPrompt prompt;
    PrepareDictionaries(dictionaries, prompt);
    TDictionary &names = dictionaries.names;
    const QStringList added {u"Aqwizt"_qs, u"Zqwizt"_qs, u"Mqwizt"_qs, u"Aaqwizt"_qs};
    for (const QString &name : added) {
        ASSERT_EQ(names.FindName(name), -1) << name.toStdString();
        names.AddName(name);
        ASSERT_GE(names.FindName(name.toUpper()), 0) << name.toStdString();
    }
    for (const QString &spelling : added + QStringList {u"A1Exit"_qs}) {
        const int i = names.FindName(spelling.toLower());
        ASSERT_GE(i, 0) << spelling.toStdString();
        EXPECT_EQ(names.SpellingAt(i), spelling);
    }
    // A copy answers for itself.
    TDictionary copy = names;
    copy.AddName(u"Bqwizt"_qs);
    EXPECT_GE(copy.FindName(u"bqwizt"), 0);
    EXPECT_EQ(names.FindName(u"bqwizt"), -1);
}

TEST(Dictionary, AddNameOfAKnownNameChangesNothing)
{
    TDictionaries dictionaries;
    RecordingPrompt prompt;
    PrepareDictionaries(dictionaries, prompt);
    const QStringList before = dictionaries.names.Spellings();
    dictionaries.names.AddName(u"a1EXIT"_qs);
    EXPECT_EQ(dictionaries.names.Spellings(), before);
    EXPECT_TRUE(dictionaries.names.UserList().isEmpty());
    EXPECT_TRUE(dictionaries.names.ContainsName(u"A1EXIT"));
}

TEST(Dictionary, AddNameInsertsIntoAllThreeListsAtOnePlace)
{
    TDictionary d = MakeDictionary({u"Alpha"_qs, u"Beta"_qs, u"Delta"_qs});
    d.AddName(u"GammA"_qs);
    EXPECT_EQ(d.Spellings(), (QStringList {u"Alpha"_qs, u"Beta"_qs, u"Delta"_qs, u"GammA"_qs}));
    EXPECT_EQ(d.Keys(), (QStringList {u"ALPHA"_qs, u"BETA"_qs, u"DELTA"_qs, u"GAMMA"_qs}));
    EXPECT_EQ(d.UserList(), QStringList {u"GammA"_qs});
    d.AddName(u"Charlie"_qs);
    EXPECT_EQ(d.Spellings().indexOf(u"Charlie"_qs), 2);
    EXPECT_EQ(d.Keys().indexOf(u"CHARLIE"_qs), 2);
    EXPECT_EQ(d.Spellings()[3], u"Delta"); // the rows behind moved up by one in both lists
    EXPECT_EQ(d.Keys()[3], u"DELTA");
    for (const char16_t *text : {u"charlie", u"CHARLIE"})
        EXPECT_EQ(d.SpellingAt(d.FindName(text)), u"Charlie");
    EXPECT_EQ(d.UserList(), (QStringList {u"Charlie"_qs, u"GammA"_qs}));
}

TEST(Dictionary, FullListRaisesUnableToInsertALineAndChangesNothing)
{
    TDictionary d(3);
    d.SetBuiltinRows({u"Alpha"_qs, u"Beta"_qs});
    d.BuildKeys();
    d.AddName(u"Gamma"_qs);
    try {
        d.AddName(u"Delta"_qs);
        FAIL() << "no error";
    } catch (const PlatformError &e) {
        EXPECT_EQ(e.message(), u"Unable to insert a line");
    }
    EXPECT_EQ(d.Spellings(), (QStringList {u"Alpha"_qs, u"Beta"_qs, u"Gamma"_qs}));
    EXPECT_EQ(d.Keys().size(), 3);
    EXPECT_EQ(d.UserList(), QStringList {u"Gamma"_qs});
    d.AddName(u"BETA"_qs); // a known name needs no room
}

TEST(Dictionary, NameToAddFollowsTheCaptionsShape)
{
    struct Row {
        const char *caption;
        const char *extension;
        bool fullName;
        const char *text;
    };
    const Row rows[] = {
        {"MyTool", "txt", false, "MyTool"}, {"MyTool.TXT", "", true, "MyTool.TXT"},
        {"a.b", "doc", false, "a.b"},       {".Profile", "", true, "Profile"},
        {"__x__", "", false, "x"},
    };
    for (const Row &r : rows) {
        const NameToAdd add = NameToAddFor(U(r.caption), U(r.extension));
        EXPECT_EQ(add.fullName, r.fullName) << r.caption;
        EXPECT_EQ(add.text, U(r.text)) << r.caption;
    }
}

struct SelfCheckCase {
    const char *title;
    QStringList rows;
    QStringList messages;
};

TEST(Dictionary, SelfCheckReportsEachFault)
{
    const SelfCheckCase cases[] = {
        {"duplicate pair",
         {u"ReadMe"_qs, u"README"_qs},
         {Message("Найдены повторяющиеся имена файлов (", "README")}},
        {"three equal neighbours give one message naming the second",
         {u"Abc"_qs, u"ABC"_qs, u"abc"_qs},
         {Message("Найдены повторяющиеся имена файлов (", "ABC")}},
        {"equal cores of different rows",
         {u"Read"_qs, u"_Read_"_qs},
         {Message("Найдены повторяющиеся имена файлов (", "_Read_"),
          Message("Найдено избыточное имя файла (", "_Read_")}},
        {"row that begins with a digit",
         {u"1Abc"_qs, u"Bcd"_qs},
         {Message("Найдено избыточное имя файла (", "1Abc")}},
        {"row ending in .shtml",
         {u"Page.SHTML"_qs},
         {Message("Найдено избыточное имя файла (", "Page.SHTML")}},
        {"one letter passes test 2, fails test 3",
         {u"Q"_qs},
         {Message("Найдено лишнее имя файла (", "Q")}},
        {"list of one good row", {u"Ok"_qs}, {}},
    };
    for (const SelfCheckCase &c : cases) {
        RecordingPrompt prompt;
        SelfCheckState state;
        SelfCheckNames(c.rows, prompt, state);
        EXPECT_EQ(prompt.messages, c.messages) << c.title;
        EXPECT_EQ(state.faultFound, !c.messages.isEmpty()) << c.title;
    }
}

TEST(Dictionary, SelfCheckAnswerNoStopsBothLists)
{
    RecordingPrompt prompt({false});
    SelfCheckState state;
    SelfCheckNames({u"1Bad"_qs, u"2Cad"_qs}, prompt, state);
    SelfCheckNames({u"X"_qs}, prompt, state);
    EXPECT_EQ(prompt.messages.size(), 1);
    EXPECT_TRUE(state.faultFound);
    EXPECT_TRUE(state.silenced);

    RecordingPrompt yes;
    SelfCheckState goOn;
    SelfCheckNames({u"1Bad"_qs, u"2Cad"_qs}, yes, goOn);
    SelfCheckNames({u"X"_qs}, yes, goOn);
    EXPECT_EQ(yes.messages.size(), 3);
    EXPECT_TRUE(goOn.faultFound);
}

TEST(Dictionary, LoadedUserNamesAreCheckedAndKeyed)
{
    TDictionaries dictionaries;
    RecordingPrompt prompt;
    const bool end = PrepareDictionaries(dictionaries, prompt, [](TDictionaries &d) {
        d.names.LoadUserNames({u"README"_qs, u"MyTool"_qs});
    });
    EXPECT_TRUE(end);
    ASSERT_EQ(prompt.messages.size(), 1);
    EXPECT_TRUE(prompt.messages[0].startsWith(U("Найдены повторяющиеся имена файлов (")));
    EXPECT_EQ(dictionaries.names.UserList(), (QStringList {u"MyTool"_qs, u"README"_qs}));
    EXPECT_EQ(dictionaries.names.SpellingAt(dictionaries.names.FindName(u"mytool")), u"MyTool");
}

// Loading in one sort and one merge gives exactly the lists that inserting the names one by one
// in file order gives: the same rows, equal rows in the same order, the same names dropped.
TEST(Dictionary, LoadingInOneMergeEqualsInsertingOneByOne)
{
    QRandomGenerator random(19);
    const QStringList builtin = {u"Alpha"_qs, u"Beta"_qs, u"Gamma"_qs, u"Zeta"_qs};
    const QStringList pool = {
        u"alpha"_qs, u"ALPHA"_qs, u"Delta"_qs, u"delta"_qs, u"DeLtA"_qs, u"Epsilon"_qs, u"Omega"_qs,
        u"ab-c"_qs, u"abc"_qs, u"a-bc"_qs, U("Заря"), U("ЗАРЯ"), u"1x"_qs, u"x"_qs, u"Zeta"_qs,
        // Beyond the first characters that the sort keys hold.
        u"InstallationGuide1"_qs, u"INSTALLATIONGUIDE1"_qs, u"InstallationGuide2"_qs,
        u"Installation-Guide"_qs, u"InstallationGuid\u4E2D"_qs, u"InstallationGuid\u4E2E"_qs};
    for (int round = 0; round < 400; ++round) {
        QStringList names;
        const int count = random.bounded(12);
        for (int i = 0; i < count; ++i)
            names.append(pool[random.bounded(static_cast<int>(pool.size()))]);
        SortedTextList spellings(true), users(false);
        for (const QString &row : builtin)
            spellings.Insert(row);
        for (const QString &name : names) {
            users.Insert(name);
            spellings.Insert(name);
        }
        // The names as a list, as views of one text, and in two loads one after the other.
        TDictionary d, views, twice;
        d.SetBuiltinRows(builtin);
        d.LoadUserNames(names);
        const QString text = names.join(u'\n');
        QList<QStringView> viewed;
        for (const QStringView name : QStringView(text).split(u'\n'))
            viewed.append(name);
        views.SetBuiltinRows(builtin);
        views.LoadUserNameViews(count == 0 ? QList<QStringView>() : viewed);
        twice.SetBuiltinRows(builtin);
        twice.LoadUserNames(names.mid(0, count / 2));
        twice.LoadUserNames(names.mid(count / 2));
        for (const TDictionary *loaded : {&d, &views, &twice}) {
            ASSERT_EQ(loaded->Spellings(), spellings.rows()) << names.join(u' ').toStdString();
            ASSERT_EQ(loaded->UserList(), users.rows()) << names.join(u' ').toStdString();
        }
    }
}

TEST(Dictionary, NamesThatDoNotFitRaiseUnableToInsertALineAndLoadNothing)
{
    TDictionary d(4);
    d.SetBuiltinRows({u"Alpha"_qs, u"Beta"_qs});
    d.LoadUserNames({u"Gamma"_qs, u"Delta"_qs}); // exactly full
    EXPECT_EQ(d.Count(), 4);
    try {
        d.LoadUserNames({u"Omega"_qs});
        FAIL() << "no error";
    } catch (const PlatformError &e) {
        EXPECT_EQ(e.message(), u"Unable to insert a line");
    }
    EXPECT_EQ(d.Count(), 4);
    EXPECT_EQ(d.UserList(), (QStringList {u"Delta"_qs, u"Gamma"_qs}));
}

} // namespace
} // namespace vl
