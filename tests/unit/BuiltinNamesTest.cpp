// The figures of the built-in name dictionary, computed from the compiled-in rows.

#include "VLUtils/core/Collation.h"
#include "VLUtils/core/TextRules.h"
#include "data/BuiltinData.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QSet>

#include <algorithm>
#include <string_view>

namespace vl {
namespace {

using test::U;

bool IsCyrillic(char32_t c)
{
    return (c >= 0x0400 && c <= 0x045F) || c == 0x0490 || c == 0x0491;
}

bool IsLatinOrDigit(char32_t c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

bool HasChar(const QString &row, char16_t c)
{
    return row.contains(QChar(c));
}

bool HasLower(const QString &row)
{
    const QList<uint> chars = row.toUcs4();
    return std::any_of(chars.cbegin(), chars.cend(),
                       [](uint c) { return IsCasedChar(c) && LowerChar(c) == c; });
}

bool HasUpper(const QString &row)
{
    const QList<uint> chars = row.toUcs4();
    return std::any_of(chars.cbegin(), chars.cend(),
                       [](uint c) { return IsCasedChar(c) && UpperChar(c) == c; });
}

class BuiltinNames : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { rows_ = new QStringList(data::BuiltinNames()); }
    static void TearDownTestSuite() { delete rows_; }

    static const QStringList &rows() { return *rows_; }

    template <typename Pred> static int Count(Pred pred)
    {
        return static_cast<int>(std::count_if(rows().cbegin(), rows().cend(), pred));
    }

private:
    static QStringList *rows_;
};

QStringList *BuiltinNames::rows_ = nullptr;

TEST_F(BuiltinNames, AreSortedAndDistinctIgnoringCase)
{
    ASSERT_EQ(rows().size(), 9093);
    for (qsizetype i = 1; i < rows().size(); ++i)
        ASSERT_LT(CompareNames(rows()[i - 1], rows()[i]), 0)
            << rows()[i - 1].toStdString() << " / " << rows()[i].toStdString();
    QSet<QString> keys;
    for (const QString &row : rows())
        keys.insert(UpperCase(row));
    EXPECT_EQ(keys.size(), rows().size());
}

TEST_F(BuiltinNames, EveryRowIsItsOwnNameCoreOfAllowedCharacters)
{
    constexpr std::u32string_view kMarks = U"_- .(&%')";
    for (const QString &row : rows()) {
        EXPECT_EQ(ExtractNameCore(row), row);
        EXPECT_FALSE(row.endsWith(u".shtml", Qt::CaseInsensitive)) << row.toStdString();
        const qsizetype length = CharCount(row);
        EXPECT_TRUE(length >= 2 && length <= 63) << row.toStdString();
        for (const uint c : row.toUcs4())
            EXPECT_TRUE(IsLatinOrDigit(c) || IsCyrillic(c) || kMarks.find(c) != kMarks.npos)
                << row.toStdString() << " holds U+" << std::hex << c;
    }
}

TEST_F(BuiltinNames, Lengths)
{
    qsizetype sum = 0;
    for (const QString &row : rows())
        sum += CharCount(row);
    // 7.7 on average, rounded to one decimal: 7.65 <= sum / count < 7.75.
    EXPECT_GE(sum * 100, 765 * rows().size()) << sum;
    EXPECT_LT(sum * 100, 775 * rows().size()) << sum;
    EXPECT_EQ(Count([](const QString &r) { return CharCount(r) <= 8; }), 6960);
    EXPECT_EQ(Count([](const QString &r) { return CharCount(r) == 2; }), 146);
}

struct FigureCase {
    const char *what;
    int target;
    bool (*has)(const QString &row);
};

TEST_F(BuiltinNames, CharacterFigures)
{
    const FigureCase figures[] = {
        {"a digit", 720,
         [](const QString &r) {
             return std::any_of(r.cbegin(), r.cend(), [](QChar c) { return c.isDigit(); });
         }},
        {"\"_\"", 1454, [](const QString &r) { return HasChar(r, u'_'); }},
        {"\"-\"", 188, [](const QString &r) { return HasChar(r, u'-'); }},
        {"a space", 117, [](const QString &r) { return HasChar(r, u' '); }},
        {"\".\"", 64, [](const QString &r) { return HasChar(r, u'.'); }},
        {"\"(\"", 17, [](const QString &r) { return HasChar(r, u'('); }},
        {"\"&\"", 10, [](const QString &r) { return HasChar(r, u'&'); }},
        {"\"%\"", 2, [](const QString &r) { return HasChar(r, u'%'); }},
        {"\"'\"", 2, [](const QString &r) { return HasChar(r, u'\''); }},
        {"\")\"", 1, [](const QString &r) { return HasChar(r, u')'); }},
        {"Cyrillic letters", 5,
         [](const QString &r) {
             const QList<uint> chars = r.toUcs4();
             return std::any_of(chars.cbegin(), chars.cend(), [](uint c) { return IsCyrillic(c); });
         }},
        {"a Cyrillic first letter", 3,
         [](const QString &r) { return IsCyrillic(r.toUcs4().front()); }},
        {"no lower-case letter", 823, [](const QString &r) { return !HasLower(r); }},
    };
    for (const FigureCase &f : figures)
        EXPECT_EQ(Count(f.has), f.target) << "rows with " << f.what;
}

TEST_F(BuiltinNames, OnlyWizbutttopHasNoUpperCaseLetter)
{
    QStringList noUpper;
    for (const QString &row : rows())
        if (!HasUpper(row))
            noUpper.append(row);
    EXPECT_EQ(noUpper, QStringList {QStringLiteral("wizbutttop")});
}

TEST_F(BuiltinNames, CyrillicInitialsComeLast)
{
    // Three rows begin with a Cyrillic letter, and they are the last three.
    const auto first = std::find_if(rows().cbegin(), rows().cend(), [](const QString &r) {
        return IsCyrillic(r.toUcs4().front());
    });
    EXPECT_EQ(rows().cend() - first, 3);
    EXPECT_TRUE(std::all_of(first, rows().cend(),
                            [](const QString &r) { return IsCyrillic(r.toUcs4().front()); }));
}

TEST_F(BuiltinNames, HoldTheNamedRowsAndNoneOfTheUnknownOnes)
{
    const char *named[] = {
        "A1Exit",      "A920_M",
        "Ab-On",       "AboutUnit",
        "ACADSplash",  "Bryce5.01Update",
        "File_Id.diz", "Demand Forecast (Access",
        "Q&AView",     "I'am",
        "D-пейзаж",    "AbCpy",
        "Abort",       "About",
        "B_Pack",      "B1I",
        "Baby",        "AG_News",
        "AG12Full",    "wizbutttop",
        "ReadMe",      "Read",
        "WhatsNew",    "ChangeLog",
        "Changes",     "History",
        "License",     "Help",
        "Manual",      "Info",
        "Setup",       "Install",
        "Uninstall",   "Uninst",
        "UnWise",      "AutoRun",
        "Update",      "Patch",
        "Register",    "Config",
        "Default",     "Main",
        "Start",       "Index",
        "Data",        "Docs",
        "MsVCRT",
    };
    for (const char *name : named) {
        const QString row = U(name);
        const auto it = std::lower_bound(rows().cbegin(), rows().cend(), row, NameLess());
        ASSERT_NE(it, rows().cend()) << name;
        EXPECT_EQ(*it, row); // spelled exactly so
    }
    for (const char16_t *unknown : {u"Kvartal", u"MyTool", u"Read.Me", u"a.b"}) {
        const QString row = QString::fromUtf16(unknown);
        EXPECT_FALSE(std::binary_search(rows().cbegin(), rows().cend(), row, NameLess()))
            << row.toStdString();
    }
}

} // namespace
} // namespace vl
