// The window under an English locale: it starts, speaks English, and its captions fit.

#include "gui/GuiSupport.h"

#include "VLUtils/core/InterfaceLanguage.h"
#include "VLUtils/gui/AboutBox.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>

#include <gtest/gtest.h>

namespace vl {
namespace {

using test::U;

class EnglishWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (const char *name : kVariables)
            saved_.append(qgetenv(name));
        qputenv("LANGUAGE", "en");
        qputenv("LC_ALL", "en_US.UTF-8");
        const InterfaceLanguage language
            = ChooseInterfaceLanguage(LocaleVariablesFromEnvironment());
        ASSERT_EQ(language, InterfaceLanguage::English);
        ASSERT_TRUE(InstallInterfaceTranslation(language));
    }
    void TearDown() override
    {
        InstallInterfaceTranslation(InterfaceLanguage::Russian);
        for (int i = 0; i < 2; ++i)
            qputenv(kVariables[i], saved_.at(i));
    }

private:
    static constexpr const char *kVariables[] = {"LANGUAGE", "LC_ALL"};
    QList<QByteArray> saved_;
};

TEST_F(EnglishWindowTest, ShowsEnglishCaptionsThatFit)
{
    test::Window w;
    TMainForm &f = *w.form;
    EXPECT_TRUE(f.windowTitle().startsWith(U("Styled File Renaming")))
        << qPrintable(f.windowTitle());
    EXPECT_EQ(f.FolderLabel->text(), U("Current folder:"));
    EXPECT_EQ(f.RenameButton->text(), U("&Rename"));
    EXPECT_EQ(f.RenameButton->toolTip(), U("Rename the files to match the style"));
    EXPECT_EQ(f.AddButton->text(), U("&Add Names"));
    const QStringList headers = {U("File name"), U("Extension"), U("State")};
    for (int c = 0; c < headers.size(); ++c)
        EXPECT_EQ(f.Files().headerData(c, Qt::Horizontal, Qt::DisplayRole).toString(),
                  headers.at(c));
    EXPECT_EQ(StateText(ItemState::Unrecognised), U("Not recognised"));
    // The machine-readable state stays the program's own.
    EXPECT_EQ(QString::fromUtf8(StateSourceText(ItemState::Unrecognised)), U("Не распознано"));

    test::ExpectCaptionsFit(f, f.font());
}

TEST_F(EnglishWindowTest, AboutTextAndMessagesAreEnglish)
{
    TVersionInfo info;
    info.FileDescription = U("Стилизованное переименование файлов");
    info.FileVersion = U("3.6.0.29");
    info.LegalTrademarks = U("Mark");
    info.LegalCopyright = U("Author");
    EXPECT_EQ(AboutText(info, 7, 9),
              U("Styled File Renaming\rVersion 3.6.0.29 (7/9 items)\r\n\n© Mark (Author)"));
    // A description that is not the program's own text is shown as it stands.
    info.FileDescription = U("Другое");
    EXPECT_TRUE(AboutText(info, 7, 9).startsWith(U("Другое\rVersion")))
        << qPrintable(AboutText(info, 7, 9));
    PassReport report;
    report.failed = 2;
    EXPECT_EQ(FailureMessage(report), U("Files that could not be renamed: 2."));
}

} // namespace
} // namespace vl
