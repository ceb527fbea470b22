#include "VLUtils/core/VersionInfo.h"

#include "data/VersionData.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QRegularExpression>

namespace vl {
namespace {

using test::U;

// The ten fields in the record's order, for comparing whole records.
QStringList Fields(const TVersionInfo &i)
{
    return {i.CompanyName,      i.LegalTrademarks, i.LegalCopyright, i.ProductName,
            i.ProductVersion,   i.FileDescription, i.FileVersion,    i.InternalName,
            i.OriginalFilename, i.Comments};
}

const QStringList kDefaults
    = {{}, {}, {}, {}, QStringLiteral("1.0.0.0"), {}, QStringLiteral("1.0.0.0"), {}, {}, {}};

class VersionInfoTest : public ::testing::Test
{
protected:
    void TearDown() override { SetVersionDataSourceForTesting({}); }

    static void UseData(std::optional<QByteArray> data)
    {
        SetVersionDataSourceForTesting([data] { return data; });
    }

    static TVersionInfo Read()
    {
        TVersionInfo info;
        info.CompanyName = QStringLiteral("left over");
        info.FileVersion = QStringLiteral("left over");
        ReadVersionInfo(info);
        return info;
    }
};

TEST_F(VersionInfoTest, CompiledInDataHoldsAllTenKeys)
{
    const TVersionInfo info = Read();
    EXPECT_EQ(info.CompanyName, U("Vorlant developers"));
    EXPECT_EQ(info.LegalTrademarks, U("Vorlant"));
    EXPECT_EQ(info.LegalCopyright, U("Vorlant developers"));
    EXPECT_EQ(info.ProductName, U("Vorlant Desktop Tools"));
    EXPECT_EQ(info.ProductVersion, U("7.0"));
    EXPECT_EQ(info.FileDescription, U("Стилизованное переименование файлов"));
    EXPECT_EQ(info.InternalName, U("Vorlant"));
    EXPECT_EQ(info.OriginalFilename, U("Vorlant"));
    EXPECT_EQ(info.Comments, U("Преимущественно для внутреннего использования"));

    // The file version is the project version that the build filled in, the same number as the
    // fixed version, and what `--version` reports.
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d+\\.\\d+\\.\\d+\\.\\d+$"))
                    .match(info.FileVersion)
                    .hasMatch())
        << info.FileVersion.toStdString();
    EXPECT_EQ(QueryVersionValue(data::VersionData(), u"\\FileVersion"), info.FileVersion);
    EXPECT_EQ(QueryVersionValue(data::VersionData(), u"\\ProductVersion"), info.FileVersion);
    EXPECT_EQ(QueryVersionValue(data::VersionData(), u"\\VarFileInfo\\Translation"),
              U("0x0419 0x04E3"));
    EXPECT_EQ(ProgramVersion(), info.FileVersion);
}

TEST_F(VersionInfoTest, DefaultsWhenThereIsNoVersionData)
{
    for (const std::optional<QByteArray> &data : {std::optional<QByteArray>(), // none at all
                                                  std::optional<QByteArray>(QByteArray())}) {
        UseData(data);
        EXPECT_EQ(Fields(Read()), kDefaults);
        EXPECT_EQ(ProgramVersion(), U("1.0.0.0"));
    }
}

TEST_F(VersionInfoTest, OnlyTheRussianBlockIsConsulted)
{
    UseData(QByteArrayLiteral("[\\VarFileInfo]\nTranslation=0x0409 0x04B0\n"
                              "[\\StringFileInfo\\040904B0]\nCompanyName=Other\n"
                              "FileVersion=9.9.9.9\n"));
    EXPECT_EQ(Fields(Read()), kDefaults);
}

TEST_F(VersionInfoTest, MissingKeysKeepTheirDefaults)
{
    UseData(QByteArrayLiteral("[\\StringFileInfo\\041904E3]\r\n"
                              "LegalTrademarks=Mark\r\n"
                              "ProductVersion=2.5\r\n"
                              "[\\StringFileInfo\\040904B0]\r\n"
                              "FileVersion=9.9.9.9\r\n"));
    QStringList expected = kDefaults;
    expected[1] = U("Mark");
    expected[4] = U("2.5");
    EXPECT_EQ(Fields(Read()), expected);
}

TEST(QueryVersionValue, ReadsTheValueAtAPath)
{
    const QByteArray data = QByteArrayLiteral("; comment=ignored\n"
                                              "[\\]\n"
                                              "FileVersion=1.2.3.4\n"
                                              "[\\StringFileInfo\\041904E3]\n"
                                              "Comments=a=b = c \n"
                                              "Empty=\n"
                                              "Cut=before\0after\n"
                                              "  Spaced  =x\n"
                                              "Имя=Значение\n");
    struct Case {
        const char16_t *path;
        std::optional<QString> value;
    };
    const Case cases[] = {
        {u"\\FileVersion", U("1.2.3.4")},
        {u"\\StringFileInfo\\041904E3\\Comments", U("a=b = c ")},
        {u"\\stringfileinfo\\041904e3\\COMMENTS", U("a=b = c ")},
        {u"\\StringFileInfo\\041904E3\\Empty", QString()},
        {u"\\StringFileInfo\\041904E3\\Cut", U("before")},
        {u"\\StringFileInfo\\041904E3\\Spaced", U("x")},
        {u"\\StringFileInfo\\041904E3\\Имя", U("Значение")},
        {u"\\StringFileInfo\\041904E3\\FileVersion", std::nullopt},
        {u"\\StringFileInfo\\041904E3\\", std::nullopt},
        {u"\\StringFileInfo\\040904B0\\Comments", std::nullopt},
        {u"Comments", std::nullopt},
    };
    for (const Case &c : cases) {
        const std::optional<QString> value = QueryVersionValue(data, c.path);
        EXPECT_EQ(value.has_value(), c.value.has_value())
            << QStringView(c.path).toString().toStdString();
        if (value && c.value) {
            EXPECT_EQ(*value, *c.value) << QStringView(c.path).toString().toStdString();
        }
    }
}

} // namespace
} // namespace vl
