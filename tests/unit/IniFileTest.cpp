#include "platform/core/IniFile.h"

#include "support/TestSupport.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QStringDecoder>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace vl {
namespace {

using test::TempFolder;
using test::U;

// An IniFile read from the given bytes, kept in a temporary folder.
struct IniFixture {
    explicit IniFixture(const QByteArray &bytes, bool create = true)
    {
        if (create)
            folder.AddFile(QByteArray("f.ini"), bytes);
    }
    QString path() const { return folder.path() + u"f.ini"; }
    QByteArray onDisk() const { return folder.Contents("f.ini"); }
    TempFolder folder;
};

// The value of the first entry of key in the section, as the section's lines give it.
QString ValueOf(const IniFile &ini, QStringView section, QStringView key)
{
    for (const QString &line : ini.SectionLines(section)) {
        const qsizetype eq = line.indexOf(u'=');
        if (QStringView(line).first(eq).compare(key, Qt::CaseInsensitive) == 0)
            return line.sliced(eq + 1);
    }
    return {};
}

TEST(IniFile, ReadsSectionsByTheTextRules)
{
    struct Case {
        const char *title;
        QByteArray file;
        const char16_t *section;
        QStringList lines;
    };
    const Case cases[] = {
        {"blanks around = trimmed, value after the first =",
         "[S]\n  a  =  b=c  \n",
         u"S",
         {u"a=b=c"_qs}},
        {"section and key names in any case", "[names]\nKey=1\n", u"NAMES", {u"Key=1"_qs}},
        {"comments, blank lines and lines without = are not entries",
         "[S]\n; x=1\n\n  ;y=2\nnoequals\nk=v\n",
         u"S",
         {u"k=v"_qs}},
        {"one pair of matching quotes goes",
         "[S]\na=\"q\"\nb='r'\nc=\"s'\nd=\"\n",
         u"S",
         {u"a=q"_qs, u"b=r"_qs, u"c=\"s'"_qs, u"d=\""_qs}},
        {"empty value and empty key", "[S]\na=\n=v\n", u"S", {u"a="_qs, u"=v"_qs}},
        {"CR LF and lone CR end lines",
         "[S]\r\na=1\r\nb=2\rc=3",
         u"S",
         {u"a=1"_qs, u"b=2"_qs, u"c=3"_qs}},
        {"header without ] runs to the end of the line", "[S\nk=v\n", u"S", {u"k=v"_qs}},
        {"text after ] is ignored", "[S] ; note\nk=v\n", u"S", {u"k=v"_qs}},
        {"lines before the first header are in no section", "k=v\n[S]\n", u"S", {}},
        {"sections of one name are read as one, each entry with its own value",
         "[S]\nk=1\n[T]\nt=0\n[s]\nk=2\n",
         u"S",
         {u"k=1"_qs, u"k=2"_qs}},
        {"missing section", "[T]\nk=v\n", u"S", {}},
        {"byte order mark", "\xEF\xBB\xBF[S]\nk=v\n", u"S", {u"k=v"_qs}},
    };
    for (const Case &c : cases) {
        IniFixture f(c.file);
        const IniFile ini(f.path());
        EXPECT_EQ(ini.SectionLines(c.section), c.lines) << c.title;
    }
}

TEST(IniFile, RewrittenSectionStaysInPlaceAndTheRestIsUntouched)
{
    const QByteArray before = "; top\n\n[Other]\n Key = Value \n; comment\n\n"
                              "[names]\n; mine\n5=Old\nword=Older\n\n"
                              "[Tail]\nx=1";
    IniFixture f(before);
    IniFile ini(f.path());
    ini.EraseSection(u"NAMES");
    ASSERT_TRUE(ini.WriteKey(u"NAMES", u"0", u"New"));
    ASSERT_TRUE(ini.WriteKey(u"NAMES", u"1", u"Newer"));
    ini.EraseSection(u"Gone");
    ASSERT_TRUE(ini.WriteKey(u"Added", u"k", u"v"));
    ASSERT_TRUE(ini.Flush());
    EXPECT_EQ(f.onDisk(), QByteArray("; top\n\n[Other]\n Key = Value \n; comment\n\n"
                                     "[names]\n; mine\n0=New\n1=Newer\n\n"
                                     "[Tail]\nx=1\n[Added]\nk=v\n"));
}

TEST(IniFile, EraseRemovesTheEntriesAndKeepsEverythingElse)
{
    // A section left with blank lines only loses its header; one with a comment keeps it.
    IniFixture f("[A]\na=1\n; c\n\n[B]\nb=1\n[A]\nz=2\n\n[C]\n");
    IniFile ini(f.path());
    ini.EraseSection(u"a");
    EXPECT_TRUE(ini.SectionLines(u"A").isEmpty());
    ASSERT_TRUE(ini.Flush());
    EXPECT_EQ(f.onDisk(), QByteArray("[A]\n; c\n\n[B]\nb=1\n\n[C]\n"));

    // New keys go where the last entry stood, between the comments around it.
    IniFixture g("[N]\n; head\n0=x\n; middle\n1=y\n; foot\n\n[M]\n");
    IniFile names(g.path());
    names.EraseSection(u"N");
    ASSERT_TRUE(names.WriteKey(u"N", u"0", u"a"));
    ASSERT_TRUE(names.WriteKey(u"N", u"1", u"b"));
    ASSERT_TRUE(names.Flush());
    EXPECT_EQ(g.onDisk(), QByteArray("[N]\n; head\n; middle\n0=a\n1=b\n; foot\n\n[M]\n"));
}

TEST(IniFile, WriteKeyReplacesTheFirstEntryAndAddsAfterTheLast)
{
    IniFixture f("[S]\r\nk=1\r\nk=2\r\n; end\r\n");
    IniFile ini(f.path());
    ASSERT_TRUE(ini.WriteKey(u"S", u"K", u"longer value"));
    ASSERT_TRUE(ini.WriteKey(u"S", u"n", u"3"));
    ASSERT_TRUE(ini.WriteKey(u"S", u"k", u"again"));
    ASSERT_TRUE(ini.Flush());
    // New lines take the file's own line end.
    EXPECT_EQ(f.onDisk(), QByteArray("[S]\r\nk=again\r\nk=2\r\nn=3\r\n; end\r\n"));
}

TEST(IniFile, WrittenValuesReadBackTheSame)
{
    const QStringList values
        = {u"plain"_qs, u" lead"_qs, u"trail\t"_qs, u"\"both\""_qs, u"'single'"_qs, u"a=b==c"_qs,
           u""_qs,      u"\""_qs,    u";x"_qs,      u"[x]"_qs,      U("Отчёт"),     u"nul\0x"_qs};
    IniFixture f({}, false);
    {
        IniFile ini(f.path());
        for (qsizetype i = 0; i < values.size(); ++i)
            ASSERT_TRUE(ini.WriteKey(u"S", QString::number(i), values[i])) << i;
        ASSERT_TRUE(ini.Flush());
    }
    const IniFile back(f.path());
    for (qsizetype i = 0; i < values.size(); ++i)
        EXPECT_EQ(ValueOf(back, u"S", QString::number(i)), values[i]) << i;
}

TEST(IniFile, WriteKeyRefusesWhatCannotStandOnOneLine)
{
    struct Case {
        const char16_t *section;
        const char16_t *key;
        const char16_t *value;
    };
    const Case refused[] = {
        {u"S", u"k", u"a\nb"}, {u"S", u"k", u"a\rb"}, {u"S]", u"k", u"v"}, {u" S", u"k", u"v"},
        {u"S", u"", u"v"},     {u"S", u"a=b", u"v"},  {u"S", u";k", u"v"}, {u"S", u"k ", u"v"},
    };
    IniFixture f("[S]\nk=old\n");
    IniFile ini(f.path());
    for (const Case &c : refused)
        EXPECT_FALSE(ini.WriteKey(c.section, c.key, c.value))
            << QString::fromUtf16(c.section).toStdString() << " "
            << QString::fromUtf16(c.key).toStdString();
    EXPECT_EQ(ini.ToBytes(), QByteArray("[S]\nk=old\n"));
}

TEST(IniFile, Windows1251TableMatchesTheSystemConverter)
{
    QStringDecoder system("windows-1251");
    if (!system.isValid())
        GTEST_SKIP() << "no Windows-1251 converter in this Qt";
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(static_cast<char>(b));
    EXPECT_EQ(IniFile::DecodeWindows1251(all), QString(system.decode(all)));
}

TEST(IniFile, EachLineIsDecodedOnItsOwnAndKeptAsItWasRead)
{
    // "Комментарий" and "Привет" in Windows-1251, beside "Заря" in UTF-8, and a stray byte.
    const QByteArray before = "[S]\r\n; \xCA\xEE\xEC\xEC\xE5\xED\xF2\xE0\xF0\xE8\xE9\r\n"
                              "k=\xCF\xF0\xE8\xE2\xE5\xF2\r\n"
                              + U("u=Заря\r\n").toUtf8() + "[T]\r\n; \xFF\r\nt=1\r\n";
    IniFixture f(before);
    IniFile ini(f.path());
    EXPECT_TRUE(ini.readAsWindows1251());
    EXPECT_EQ(ValueOf(ini, u"S", u"k"), U("Привет"));
    EXPECT_EQ(ValueOf(ini, u"S", u"u"), U("Заря"));
    ASSERT_TRUE(ini.WriteKey(u"S", u"n", U("Ёж")));
    ASSERT_TRUE(ini.Flush());
    // Only the new line is UTF-8 of the program's making; every other line is as it was.
    const qsizetype cut = before.indexOf("[T]");
    EXPECT_EQ(f.onDisk(), before.first(cut) + U("n=Ёж\r\n").toUtf8() + before.sliced(cut));

    // A byte order mark before a bad byte: the first header is still a header.
    IniFixture bom("\xEF\xBB\xBF[NAMES]\n0=Zork\n[X]\n; \xFF\n");
    EXPECT_EQ(IniFile(bom.path()).SectionLines(u"NAMES"), QStringList {u"0=Zork"_qs});
}

TEST(IniFile, SaveThatChangesNothingWritesNothing)
{
    IniFixture f("[S]\nk=v\n");
    struct stat before {
    }, after {};
    ASSERT_EQ(::stat(f.path().toUtf8().constData(), &before), 0);
    IniFile ini(f.path());
    ini.EraseSection(u"S");
    ASSERT_TRUE(ini.WriteKey(u"S", u"k", u"v"));
    ASSERT_TRUE(ini.Flush());
    ASSERT_EQ(::stat(f.path().toUtf8().constData(), &after), 0);
    EXPECT_EQ(before.st_ino, after.st_ino); // an atomic save would have made a new file

    IniFixture none({}, false);
    IniFile empty(none.path());
    empty.EraseSection(u"S");
    EXPECT_TRUE(empty.Flush());
    EXPECT_TRUE(none.folder.Names().isEmpty());
}

TEST(IniFile, PathThatIsNotAFileIsNeverOverwritten)
{
    TempFolder folder;
    folder.AddFolder(u"f.ini"_qs);
    IniFile ini(folder.path() + u"f.ini");
    EXPECT_EQ(ini.source(), IniFile::Source::Unreadable);
    ASSERT_TRUE(ini.WriteKey(u"S", u"k", u"v"));
    EXPECT_FALSE(ini.Flush());
    EXPECT_EQ(folder.Names(), QList<QByteArray> {"f.ini"});
}

TEST(IniFile, DamagedInputNeverCrashesOrHangs)
{
    QRandomGenerator random(8);
    QByteArray noise(1 << 20, Qt::Uninitialized);
    random.fillRange(reinterpret_cast<quint32 *>(noise.data()), noise.size() / 4);
    QByteArray big;
    big.reserve(10 << 20);
    while (big.size() < (10 << 20))
        big += "[x\n=\n[]\n;\n\0\r\r\n"_qba + "garbage without equals " + QByteArray(200, '[');
    const QByteArray inputs[] = {
        noise,
        noise + "\n[S]\nk=v\n",
        "[S]\nk=v\0w\n"_qba,
        big + "\n[S]\nk=v\n",
        QByteArray(10 << 20, '\n') + "[S]\nk=v\n",
    };
    for (const QByteArray &input : inputs) {
        IniFixture f(input);
        QElapsedTimer timer;
        timer.start();
        IniFile ini(f.path());
        const QStringList lines = ini.SectionLines(u"S");
        if (input.endsWith("k=v\n")) {
            EXPECT_EQ(lines, QStringList {u"k=v"_qs});
        } else if (input.endsWith("w\n")) {
            EXPECT_EQ(lines, QStringList {u"k=v\0w"_qs});
        }
        ini.EraseSection(u"S");
        ASSERT_TRUE(ini.WriteKey(u"S", u"k", u"w"));
        ASSERT_TRUE(ini.Flush());
        EXPECT_EQ(ValueOf(IniFile(f.path()), u"S", u"k"), u"w");
        EXPECT_LT(timer.elapsed(), 10'000) << input.size();
    }
}

} // namespace
} // namespace vl
