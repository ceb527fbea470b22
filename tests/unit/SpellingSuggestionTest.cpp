#include "VLMain/core/SpellingSuggestion.h"

#include "VLUtils/core/TextRules.h"
#include "data/BuiltinData.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

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
        {"print-setup 2.wizard", "Print-Setup 2.Wizard"},
        // Whole runs as the candidate table spells them, and its words inside compounds.
        {"multicast", "Multicast"},
        {"httpstream", "HttpStream"},
        {"servicedescription", "ServiceDescription"},
        {"counter_8h_source", "Counter_8h_source"},
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
        "print-preview", // the names disagree on the case of «preview» as a run of its own
        "pending", // «Pen» + «Ding»: short words that compounds do not show
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
         {u"Abcde"_qs, u"Fghijk"_qs, u"Abcdef"_qs, u"Ghijk"_qs},
         {1, 1000, 10, 10},
         "abcdefghijk",
         "AbcdefGhijk"},
        {"the same split with the ranks turned",
         {u"Abcde"_qs, u"Fghijk"_qs, u"Abcdef"_qs, u"Ghijk"_qs},
         {1, 10, 100, 100},
         "abcdefghijk",
         "AbcdeFghijk"},
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

TEST(SuggestSpelling, SplitsWithoutGroundInTheNamesOfferNothing)
{
    struct DoubtCase {
        const char *what;
        int snapInCompounds; // projects whose longer names hold «Snap»
        const char *core;
        const char *expected;
    };
    const DoubtCase cases[] = {
        {"a short word that no compound shows", 0, "snapshotter", ""},
        {"... in too few compounds", 49, "snapshotter", ""},
        {"... in enough of them", 50, "snapshotter", "SnapShotter"},
        {"a short word as a whole run needs no compounds", 0, "snap_shotter", "Snap_Shotter"},
        {"two words of a run shorter than nine letters", 50, "snapshot", ""},
        {"three words may be short", 50, "snapsnapshot", "SnapSnapShot"},
        {"capitals inside a compound", 50, "httpshotter", ""},
        {"capitals as a run of their own", 50, "http_shotter", "HTTP_Shotter"},
    };
    for (const DoubtCase &c : cases) {
        SuggestionWords words({u"Snap"_qs, u"Shotter"_qs, u"Shot"_qs, u"HTTP"_qs}, {1, 1, 1, 1});
        words.AddCompoundWord(u"Shot"_qs, 0, 50);
        words.AddCompoundWord(u"Snap"_qs, 0, c.snapInCompounds);
        EXPECT_EQ(SuggestSpelling(U(c.core), words), U(c.expected)) << c.what;
    }
}

TEST(SuggestSpelling, RunsTakeTheSpellingOfTheirNames)
{
    SuggestionWords words({u"Back"_qs, u"Trace"_qs, u"Print"_qs, u"Preview"_qs}, {1, 1, 1, 1});
    words.AddCompoundWord(u"Tracer"_qs, 20'000, 0); // a word of the table's names, not a row
    words.AddCompoundWord(u"Back"_qs, 0, 100);
    words.SetRunSpellings(RunSpellings(QByteArrayLiteral("=Backtrace\n?Preview\n=ОтчётЫ\n")));
    const Case cases[] = {
        {"backtrace", "Backtrace"}, // the run as its names write it, not «BackTrace»
        {"BACKTRACE_print", "Backtrace_Print"},
        {"print-preview", ""}, // names disagree on its case
        {"printpreview", "PrintPreview"}, // a longer run is split as before
        {"backtracer", "BackTracer"}, // the table's word takes part
        {"отчёты", "ОтчётЫ"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(SuggestSpelling(U(c.core), words), U(c.expected)) << c.core;
    // The user's own rows come before what other names show, for a whole run and as a word.
    words.AddUserRows({u"BackTrace"_qs, u"TRACER"_qs});
    EXPECT_EQ(SuggestSpelling(u"backtrace", words), U("BackTrace"));
    EXPECT_EQ(SuggestSpelling(u"tracer", words), U("TRACER"));
}

TEST(RunSpellings, FindsEveryLineAndNothingBetween)
{
    const RunSpellings runs(QByteArrayLiteral("=Abc\n?aBD\n=Lm\n=Xyz\n=Ёж\n=Отчёт"));
    const struct {
        const char *key;
        const char *spelling; // null: not found
        bool doubtful;
    } cases[] = {
        {"ABC", "Abc", false},   {"ABD", "aBD", true},     {"LM", "Lm", false},
        {"XYZ", "Xyz", false},   {"ЁЖ", "Ёж", false},      {"ОТЧЁТ", "Отчёт", false},
        {"AAA", nullptr, false}, {"ABCD", nullptr, false}, {"AB", nullptr, false},
        {"N", nullptr, false},   {"ZZZ", nullptr, false},  {"ЯЯ", nullptr, false},
    };
    for (const auto &c : cases) {
        const auto found = runs.Find(U(c.key));
        ASSERT_EQ(found.has_value(), c.spelling != nullptr) << c.key;
        if (found) {
            EXPECT_EQ(found->spelling, U(c.spelling)) << c.key;
            EXPECT_EQ(found->doubtful, c.doubtful) << c.key;
        }
    }
    EXPECT_FALSE(RunSpellings().Find(u"ABC"));
}

TEST(RunSpellings, ComparesCharactersWhoseUpperCaseIsAnotherLength)
{
    // «ı» (2 bytes) is «I» (1 byte) in upper case, «ſ» is «S», and «𐐨» (4 bytes) is «𐐀»: the
    // search must order lines by their upper-case forms, not by the bytes they are written in. The
    // line «\xff» is not UTF-8 at all and reads as a replacement character (U+FFFD).
    const RunSpellings runs(QByteArrayLiteral("=Abc\n=ıx\n=Maſt\n=Xyz\n=Ёж\n=\xff\n=𐐨a\n=𐐀b"));
    const struct {
        const char *key;
        const char *spelling; // null: not found
    } cases[] = {
        {"ABC", "Abc"},   {"IX", "ıx"},
        {"MAST", "Maſt"}, {"XYZ", "Xyz"},
        {"ЁЖ", "Ёж"},     {"𐐀A", "𐐨a"},
        {"𐐀B", "𐐀b"},     {"\xef\xbf\xbd", "\xef\xbf\xbd"},
        {"ıX", nullptr},  {"MAſT", nullptr},
        {"IY", nullptr},  {"𐐀", nullptr},
        {"𐐀AB", nullptr}, {"\xef\xbf\xbe", nullptr},
    };
    for (const auto &c : cases) {
        const auto found = runs.Find(U(c.key));
        ASSERT_EQ(found.has_value(), c.spelling != nullptr) << c.key;
        if (found) {
            EXPECT_EQ(found->spelling, U(c.spelling)) << c.key;
        }
    }
}

TEST(BuiltinRunSpellings, AreInTheOrderTheSearchNeeds)
{
    // The binary search finds only what stands in order: every line after the one before it.
    const QByteArrayView lines = data::BuiltinRunSpellings();
    const QList<QByteArray> rows = QByteArray(lines.data(), lines.size()).split('\n');
    ASSERT_GT(rows.size(), 1000);
    QByteArray previous;
    for (const QByteArray &row : rows) {
        if (row.isEmpty())
            continue;
        ASSERT_TRUE(row.startsWith('=') || row.startsWith('?')) << row.toStdString();
        const QByteArray key = UpperCase(QString::fromUtf8(row.mid(1))).toUtf8();
        ASSERT_LT(previous, key) << row.toStdString();
        previous = key;
    }
    // The rows' own words come with how often compounds hold them.
    const QList<data::CompoundWord> words = data::BuiltinCompoundWords();
    ASSERT_FALSE(words.isEmpty());
    EXPECT_TRUE(std::any_of(words.cbegin(), words.cend(), [](const data::CompoundWord &w) {
        return w.spelling == u"Log"_qs && w.rank == 0 && w.inCompounds >= 50;
    }));
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
    // The built-in words that suggesters share take none of one suggester's user rows.
    const TDictionaries plain = MakeDictionaries({});
    SpellingSuggester other(plain);
    EXPECT_EQ(other.Suggest(u"setupkvorzel"), QString());
    EXPECT_EQ(SuggestSpelling(u"setupkvorzel", SuggestionWords::Builtin()), QString());
}

TEST(SpellingSuggester, RunsSpelledOnceAreReusedInsideOtherNames)
{
    // The suggester keeps the spelling of each run it has worked out; whatever it has kept, and in
    // whatever order it is asked, each answer is the one worked out afresh.
    const TDictionaries d = MakeDictionaries({});
    SpellingSuggester suggester(d);
    const Case cases[] = {
        {"printpreview", "PrintPreview"},
        {"setup_printpreview", "Setup_PrintPreview"}, // the kept run inside a longer core
        {"printpreview-setup 2", "PrintPreview-Setup 2"},
        {"PRINTPREVIEW", "PrintPreview"}, // another spelling of the run is a run of its own
        {"qzxvkwj", ""}, // no words fill it ...
        {"setup_qzxvkwj", ""}, // ... nor inside another core, where it was kept as none
        {"printpreview_qzxvkwj", ""},
        {"MyTOOL_printpreview", "MyTOOL_PrintPreview"},
        {"print-preview", ""}, // a run in doubt, then the same words in one run
        {"printpreview", "PrintPreview"},
    };
    for (int round = 0; round < 2; ++round) {
        for (const Case &c : cases) {
            EXPECT_EQ(suggester.Suggest(U(c.core)), U(c.expected)) << c.core << " round " << round;
            EXPECT_EQ(suggester.Suggest(U(c.core)), SuggestSpelling(U(c.core), Builtin()))
                << c.core;
        }
    }
}

TEST(SpellingSuggester, AUserRowChangesRunsSpelledBeforeIt)
{
    // «Kvorzeller» is a word of the candidate table's names only: the suggester spells the run by
    // it and keeps that; the user's row «KVORZELLER», added later, must win the next question,
    // alone and inside a longer core, and so must a row for a run that no words filled before.
    TDictionaries d = MakeDictionaries({});
    SuggestionWords words({u"Back"_qs, u"Trace"_qs}, {1, 1});
    words.AddCompoundWord(u"Kvorzeller"_qs, 20'000, 0);
    SpellingSuggester suggester(d, words);
    EXPECT_EQ(suggester.Suggest(u"kvorzeller"), U("Kvorzeller"));
    EXPECT_EQ(suggester.Suggest(u"kvorzeller_back"), U("Kvorzeller_Back"));
    EXPECT_EQ(suggester.Suggest(u"zumvatch_back"), QString());
    d.names.AddName(u"KVORZELLER"_qs);
    d.names.AddName(u"ZumVatch"_qs);
    EXPECT_EQ(suggester.Suggest(u"kvorzeller"), U("KVORZELLER"));
    EXPECT_EQ(suggester.Suggest(u"kvorzeller_back"), U("KVORZELLER_Back"));
    EXPECT_EQ(suggester.Suggest(u"zumvatch_back"), U("ZumVatch_Back"));
}

TEST(SpelledRuns, StaysWithinItsBoundAndStartsAfresh)
{
    SpelledRuns runs;
    runs.Add(u"first", U("First"));
    runs.Add(u"none", std::nullopt);
    ASSERT_NE(runs.Find(u"first"), nullptr);
    EXPECT_EQ(*runs.Find(u"first"), std::optional<QString>(U("First")));
    ASSERT_NE(runs.Find(u"none"), nullptr);
    EXPECT_FALSE(runs.Find(u"none")->has_value());
    EXPECT_EQ(runs.Find(u"First"), nullptr); // runs are kept as written
    for (std::size_t i = runs.size(); i < SpelledRuns::kLimit; ++i)
        runs.Add(QString::number(i), std::nullopt);
    EXPECT_EQ(runs.size(), SpelledRuns::kLimit);
    EXPECT_NE(runs.Find(u"first"), nullptr);
    runs.Add(u"last", U("Last"));
    EXPECT_LE(runs.size(), SpelledRuns::kLimit);
    EXPECT_EQ(runs.Find(u"first"), nullptr);
    ASSERT_NE(runs.Find(u"last"), nullptr);
    EXPECT_EQ(*runs.Find(u"last"), std::optional<QString>(U("Last")));
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
