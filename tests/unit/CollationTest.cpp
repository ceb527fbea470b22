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

} // namespace
} // namespace vl
