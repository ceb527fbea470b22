#include "VLUtils/core/Collation.h"
#include "VLUtils/core/TextRules.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <random>

namespace vl {
namespace {

using test::U;

TEST(Collation, OrdersRowsAsTheDictionaryDoes)
{
    // Each row must sort strictly before the next.
    const char *chains[][4] = {
        {"AbCpy", "Ab-On", "Abort", "About"}, // hyphens pass unless all else is equal
        {"B_Pack", "B1I", "Baby", nullptr}, // marks < digits < letters
        {"AG_News", "AG12Full", nullptr, nullptr},
        {"a b", "a(b", "a.b", "a_b"}, // space < "(" < "." < "_"
        {"Zulu", "Ёлка", "Жук", "Яблоко"}, // Latin before Cyrillic, Ё right after Е
        {"Елка", "Ёлка", "Жук", nullptr},
        {"Read", "ReadMe", "Read-Me2", nullptr},
    };
    for (const auto &chain : chains) {
        for (int i = 0; i + 1 < 4 && chain[i + 1]; ++i) {
            EXPECT_LT(CompareNames(U(chain[i]), U(chain[i + 1])), 0)
                << chain[i] << " < " << chain[i + 1];
            EXPECT_GT(CompareNames(U(chain[i + 1]), U(chain[i])), 0)
                << chain[i + 1] << " > " << chain[i];
        }
    }
}

TEST(Collation, EqualExactlyWhenUpperCaseFormsAreEqual)
{
    EXPECT_EQ(CompareNames(u"ReadMe", u"README"), 0);
    EXPECT_EQ(CompareNames(u"ОТЧЁТ", U("отчёт")), 0);
    EXPECT_EQ(CompareNames(u"", u""), 0);
    // Characters that the first round passes over still tell texts apart.
    EXPECT_NE(CompareNames(u"ReadMe", u"Read\u200BMe"), 0);
    EXPECT_NE(CompareNames(u"ReadMe", u"Read\x01Me"), 0);
    EXPECT_NE(CompareNames(u"ReadMe", u"Read-Me"), 0);
    EXPECT_NE(CompareNames(u"Ab'On", u"Ab-On"), 0);
    EXPECT_NE(CompareNames(u"e\u0301", u"e"), 0);
    EXPECT_LT(CompareNames(u"", u"a"), 0);
}

// Random texts over an alphabet that mixes every group, including characters that the first
// round passes over and a character outside the BMP.
QString RandomText(std::mt19937 &rng)
{
    static const QString alphabet
        = U("aAbB-'_ .(1Zz\u0401\u0435\u0415\u200B\x01") + U("\xF0\x9F\x98\x80");
    std::uniform_int_distribution<int> length(0, 6);
    std::uniform_int_distribution<qsizetype> pick(0, alphabet.size() - 1);
    QString s;
    for (int n = length(rng); n > 0; --n) {
        const QChar c = alphabet[pick(rng)];
        if (c.isSurrogate())
            s += U("\xF0\x9F\x98\x80");
        else
            s += c;
    }
    return s;
}

TEST(Collation, IsAStrictWeakOrderThatAgreesWithUpperCaseEquality)
{
    std::mt19937 rng(20261208);
    for (int trial = 0; trial < 20000; ++trial) {
        const QString a = RandomText(rng), b = RandomText(rng), c = RandomText(rng);
        const int ab = CompareNames(a, b), bc = CompareNames(b, c), ac = CompareNames(a, c);
        ASSERT_EQ(CompareNames(a, a), 0);
        ASSERT_EQ(ab, -CompareNames(b, a)) << a.toStdString() << " | " << b.toStdString();
        ASSERT_EQ(ab == 0, UpperCase(a) == UpperCase(b))
            << a.toStdString() << " | " << b.toStdString();
        if (ab <= 0 && bc <= 0) {
            ASSERT_LE(ac, 0) << a.toStdString() << " | " << b.toStdString() << " | "
                             << c.toStdString();
        }
        if (ab < 0 && bc <= 0) {
            ASSERT_LT(ac, 0);
        }
    }
}

// Sort keys decide only where the texts decide the same way: a difference of keys is the order
// of the texts, and equal keys leave it to them. Texts near each other (long common starts, case
// forms, characters of the key's table and beyond it, ignored characters) test both sides.
TEST(Collation, SortKeysAgreeWithTheComparison)
{
    const QStringList fixed {u""_qs,
                             u"a"_qs,
                             u"A"_qs,
                             u"ReadMe"_qs,
                             u"README"_qs,
                             u"Read-Me"_qs,
                             u"Read\u200BMe"_qs,
                             u"ReadMeReadMeReadMe1"_qs,
                             u"ReadMeReadMeReadMe2"_qs,
                             u"ReadMeReadMeReadMe"_qs,
                             U("Ёлка"),
                             U("Елка"),
                             U("ЁЛКА"),
                             U("Жук"),
                             u"\u4E2D\u6587"_qs,
                             u"\u4E2D\u6587a"_qs,
                             u"\u4E2Db"_qs,
                             u"a\u2C65"_qs,
                             u"a\u023A"_qs,
                             u"a\u023Ab"_qs,
                             U("\xF0\x9F\x98\x80x"),
                             U("\xF0\x9F\x98\x81"),
                             u"1-2"_qs,
                             u"12"_qs,
                             u"(a)"_qs,
                             u"_a"_qs,
                             u"a.b"_qs,
                             u"a b"_qs};
    QStringList texts = fixed;
    std::mt19937 rng(20261209);
    for (int i = 0; i < 3000; ++i)
        texts << RandomText(rng);
    int decidedByKeys = 0;
    for (const QString &a : texts) {
        const NameKey ka = NameKeyOf(a);
        for (qsizetype j = 0; j < texts.size(); j += (texts.size() > 100 ? 37 : 1)) {
            const QString &b = texts.at(j);
            const NameKey kb = NameKeyOf(b);
            if (ka == kb)
                continue;
            ++decidedByKeys;
            ASSERT_EQ(ka < kb ? -1 : 1, CompareNames(a, b))
                << a.toStdString() << " | " << b.toStdString();
        }
        for (const QString &b : fixed) {
            if (NameKeyOf(b) != ka) {
                ASSERT_EQ(NameKeyOf(b) < ka ? 1 : -1, CompareNames(a, b))
                    << a.toStdString() << " | " << b.toStdString();
            }
        }
    }
    EXPECT_GT(decidedByKeys, 100000); // the keys do decide most comparisons
    EXPECT_EQ(NameKeyOf(u"ReadMe"), NameKeyOf(u"README"));
}

} // namespace
} // namespace vl
