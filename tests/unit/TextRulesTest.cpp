#include "VLUtils/core/TextRules.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace vl {
namespace {

using test::U;

TEST(TextRules, SplitFileName)
{
    struct Row {
        const char *fileName;
        const char *namePart;
        const char *extension;
    };
    const Row rows[] = {
        {"Read.Me", "Read", "Me"},
        {"setup.EXE", "setup", "EXE"},
        {"index.shtml.ru", "index.shtml", "ru"},
        {"archive.tar.GZ", "archive.tar", "GZ"},
        {"README", "README", ""},
        {".htaccess", "", "htaccess"},
        {"trailing.", "trailing", ""},
        {"", "", ""},
        {"Отчет.DOC", "Отчет", "DOC"},
    };
    for (const Row &r : rows) {
        const SplitName split = SplitFileName(U(r.fileName));
        EXPECT_EQ(split.namePart, U(r.namePart)) << r.fileName;
        EXPECT_EQ(split.extension, U(r.extension)) << r.fileName;
    }
}

TEST(TextRules, ExtractNameCore)
{
    struct Row {
        const char *namePart;
        const char *core;
    };
    const Row rows[] = {
        {"ReadMe", "ReadMe"},
        {"__ReadMe__", "ReadMe"},
        {"01-readme-2", "readme"},
        {"ReadMe.Russian", "ReadMe.Russian"},
        {"Index.SHTML", "Index"},
        {"Index-1.shtml", "Index"},
        {"a.shtml.shtml", "a.shtml"},
        {"Отчет 2011", "Отчет"},
        {"x", "x"},
        {"shtml", "shtml"},
        {"2011", ""},
        {"1.shtml", ""},
        {".SHTML", ""},
        {"", ""},
        // Further cases: the tail only at the very end and only with its dot.
        {"Indexshtml", "Indexshtml"},
        {"2011.Shtml", ""},
        {"Index.shtmlx", "Index.shtmlx"},
        {"ё-1", "ё"},
        {"\xF0\x9F\x98\x80Read Me\xF0\x9F\x98\x80", "Read Me"},
        {"Straße", "Straße"},
    };
    for (const Row &r : rows)
        EXPECT_EQ(ExtractNameCore(U(r.namePart)), U(r.core)) << r.namePart;
}

TEST(TextRules, NormalizeShtmlTail)
{
    struct Row {
        const char *text;
        const char *result;
    };
    const Row rows[] = {
        {"Index.SHTML", "Index.shtml"},
        {"-1.Shtml", "-1.shtml"},
        {".ShTmL", ".shtml"},
        {"page.HTML", "page.HTML"},
        {"SHTML", "SHTML"},
        {"Indexshtml", "Indexshtml"},
        {"", ""},
        {"A.SHTML.SHTML", "A.SHTML.shtml"},
    };
    for (const Row &r : rows)
        EXPECT_EQ(NormalizeShtmlTail(U(r.text)), U(r.result)) << r.text;
}

TEST(TextRules, SplitNamePart)
{
    struct Row {
        const char *namePart;
        const char *prefix;
        const char *core;
        const char *suffix;
    };
    const Row rows[] = {
        {"01-readme-2", "01-", "readme", "-2"},
        {"Index-1.SHTML", "", "Index", "-1.SHTML"},
        {"ReadMe", "", "ReadMe", ""},
        {"2011", "2011", "", ""},
        {"", "", "", ""},
        {"_a_", "_", "a", "_"},
    };
    for (const Row &r : rows) {
        const NamePieces p = SplitNamePart(U(r.namePart));
        EXPECT_EQ(p.prefix, U(r.prefix)) << r.namePart;
        EXPECT_EQ(p.core, U(r.core)) << r.namePart;
        EXPECT_EQ(p.suffix, U(r.suffix)) << r.namePart;
        EXPECT_EQ(p.prefix + p.core + p.suffix, U(r.namePart));
    }
}

TEST(TextRules, CaseFormsAndCasedCharacters)
{
    struct Row {
        const char *text;
        const char *upper;
        const char *lower;
    };
    const Row rows[] = {
        {"ReadMe.txt", "README.TXT", "readme.txt"},
        {"Отчёт Ёлка", "ОТЧЁТ ЁЛКА", "отчёт ёлка"},
        {"Straße", "STRAßE", "straße"}, // simple mapping: the length never changes
        {"Ǆ", "Ǆ", "ǆ"},
        {"123 _-.", "123 _-.", "123 _-."},
    };
    QString reused = u"a buffer longer than any row, used again"_qs;
    for (const Row &r : rows) {
        EXPECT_EQ(UpperCase(U(r.text)), U(r.upper)) << r.text;
        UpperCaseInto(reused, U(r.text));
        EXPECT_EQ(reused, U(r.upper)) << r.text;
        EXPECT_EQ(LowerCase(U(r.text)), U(r.lower)) << r.text;
        EXPECT_EQ(CharCount(UpperCase(U(r.text))), CharCount(U(r.text)));
    }
    // The Latin and Cyrillic letters of Windows-1251 are cased; digits and signs are not.
    for (char32_t c : {U'A', U'z', U'А', U'я', U'Ё', U'ё', U'Ў', U'ў', U'Ї', U'ґ'})
        EXPECT_TRUE(IsCasedChar(c)) << static_cast<unsigned>(c);
    for (char32_t c : {U'1', U' ', U'.', U'-', U'_', U'\'', U'(', U'№', U'ß'})
        EXPECT_FALSE(IsCasedChar(c)) << static_cast<unsigned>(c);
}

} // namespace
} // namespace vl
