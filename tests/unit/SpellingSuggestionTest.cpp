#include "VLMain/core/SpellingSuggestion.h"

#include "data/BuiltinData.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace vl {
namespace {

using test::U;

const SuggestionWords &Builtin()
{
    static const SuggestionWords words = SuggestionWords::Builtin();
    return words;
}

struct Case {
    const char *core;
    const char *expected; // empty: no suggestion
};

TEST(SuggestSpelling, SplitsRealNamesIntoBuiltinWords)
{
    const Case cases[] = {
        {"splashscreen", "SplashScreen"},
        {"printpreview", "PrintPreview"},
        {"PRINTPREVIEW", "PrintPreview"},
        {"readmefirst", "ReadMeFirst"}, // «ReadMe» + «First»: fewer words than «Read» + «Me» ...
        {"setup_x64", "Setup_x64"}, // a lone letter keeps its case
        {"setupwizard_2", "SetupWizard_2"},
        {"print-preview 2.setup", "Print-Preview 2.Setup"},
        {"installlog", "InstallLog"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(SuggestSpelling(U(c.core), Builtin()), U(c.expected)) << c.core;
}

TEST(SuggestSpelling, OffersNothingWithoutAFullSplitOrACaseChange)
{
    const char *cores[] = {
        "qzxvkwj", // no word at all
        "printqzxv", // a run that words fill only in part
        "setup_qzxv", // one run of two without a split
        "SplashScreen", // already so spelled
        "MyTOOL", // mixed case stays, and nothing else is left to change
        "x",
        "",
        "_2_",
    };
    for (const char *core : cores)
        EXPECT_EQ(SuggestSpelling(U(core), Builtin()), QString()) << core;
}

TEST(SuggestSpelling, MixedCaseRunsKeepTheirOwnSpelling)
{
    EXPECT_EQ(SuggestSpelling(u"MyTOOL_printpreview", Builtin()), U("MyTOOL_PrintPreview"));
    EXPECT_EQ(SuggestSpelling(u"printPREVIEW-setup", Builtin()), U("printPREVIEW-Setup"));
}

TEST(SuggestSpelling, FewestWordsThenTheHigherRanksWin)
{
    struct TieCase {
        const char *what;
        QStringList rows;
        QList<int> ranks;
        const char *core;
        const char *expected;
    };
    const TieCase cases[] = {
        {"one word beats two",
         {u"NoteBook"_qs, u"Note"_qs, u"Book"_qs},
         {900, 1, 1},
         "notebook",
         "NoteBook"},
        {"equal counts: the better ranks",
         {u"ABC"_qs, u"Defgh"_qs, u"Abcde"_qs, u"FGH"_qs},
         {1, 1000, 10, 10},
         "abcdefgh",
         "AbcdeFGH"},
        {"the same split with the ranks turned",
         {u"ABC"_qs, u"Defgh"_qs, u"Abcde"_qs, u"FGH"_qs},
         {1, 10, 100, 100},
         "abcdefgh",
         "ABCDefgh"},
        {"two letters only as a whole run", {u"DB"_qs, u"Tool"_qs}, {1, 1}, "dbtool", ""},
        {"two letters as the whole run", {u"DB"_qs, u"Tool"_qs}, {1, 1}, "db_tool", "DB_Tool"},
        {"rows with other characters are no words",
         {u"Pre-View"_qs, u"Pre"_qs},
         {1, 1},
         "preview",
         ""},
    };
    for (const TieCase &c : cases) {
        const SuggestionWords words(c.rows, c.ranks);
        EXPECT_EQ(SuggestSpelling(U(c.core), words), U(c.expected)) << c.what;
    }
}

TEST(SuggestSpelling, CyrillicWordsSplitLikeLatinOnes)
{
    const SuggestionWords words({U("Отчёт"), U("Квартал")}, {1, 1});
    EXPECT_EQ(SuggestSpelling(U("отчётквартал_3"), words), U("ОтчётКвартал_3"));
}

TEST(BuiltinNameRanks, FollowTheCandidateTableRowForRow)
{
    const QStringList rows = data::BuiltinNames();
    const QList<int> ranks = data::BuiltinNameRanks();
    ASSERT_EQ(ranks.size(), rows.size());
    // «README» heads the table; the seed's «A1Exit» is not in it and ranks after every key.
    const int readMe = static_cast<int>(rows.indexOf(u"ReadMe"_qs));
    const int seedOnly = static_cast<int>(rows.indexOf(u"A1Exit"_qs));
    ASSERT_GE(readMe, 0);
    ASSERT_GE(seedOnly, 0);
    EXPECT_EQ(ranks.at(readMe), 1);
    EXPECT_EQ(ranks.at(seedOnly), *std::max_element(ranks.cbegin(), ranks.cend()));
    EXPECT_GT(ranks.at(seedOnly), 9093);
    EXPECT_LT(ranks.at(static_cast<int>(rows.indexOf(u"Setup"_qs))),
              ranks.at(static_cast<int>(rows.indexOf(u"Wizard"_qs))));
}

TDictionaries MakeDictionaries(const QStringList &userNames)
{
    TDictionaries d;
    d.full.SetBuiltinRows(data::BuiltinFullNames());
    d.names.SetBuiltinRows(data::BuiltinNames());
    d.names.LoadUserNames(userNames);
    d.full.BuildKeys();
    d.names.BuildKeys();
    return d;
}

FileItem Item(const char *caption, const char *extension)
{
    FileItem item;
    item.caption = U(caption);
    item.extension = U(extension);
    return item;
}

TEST(SpellingSuggester, UserWordsTakePartAndLaterAdditionsToo)
{
    TDictionaries d = MakeDictionaries({u"Kvorzel"_qs});
    SpellingSuggester suggester(d);
    EXPECT_EQ(suggester.Suggest(u"setupkvorzel"), U("SetupKvorzel"));
    EXPECT_EQ(suggester.Suggest(u"zumvatch_setup"), QString());
    // Added after the first question: the next one sees it.
    d.names.AddName(u"ZumVatch"_qs);
    EXPECT_EQ(suggester.Suggest(u"zumvatch_setup"), U("ZumVatch_Setup"));
}

TEST(SpellingSuggester, CaptionsOnlyForNamesThatTheDictionariesLack)
{
    const TDictionaries d = MakeDictionaries({});
    SpellingSuggester suggester(d);
    const struct {
        FileItem item;
        const char *expected;
    } cases[] = {
        {Item("__printpreview_.", "TXT"), "__PrintPreview_."}, // prefix and suffix stay
        {Item("setupwizard.shtml", ""), "SetupWizard.shtml"},
        {Item("readme", "txt"), ""}, // known: the pass spells it
        {Item("read.me", ""), ""}, // a known whole name
        {Item("x_", "txt"), ""}, // too short a core for the pass to look up
        {Item("qzxvkwj", "txt"), ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(suggester.CaptionFor(c.item), U(c.expected)) << c.item.caption.toStdString();
}

} // namespace
} // namespace vl
