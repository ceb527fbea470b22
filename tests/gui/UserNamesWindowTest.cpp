#include "gui/GuiSupport.h"

#include "VLMain/core/UserNames.h"

#include <QFile>
#include <QPushButton>

#include <gtest/gtest.h>

namespace vl {
namespace {

using test::TempFolder;

QByteArray ReadFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<none>");
}

std::unique_ptr<TMainForm> Start(const QString &iniPath, const QString &folder = {})
{
    MainFormOptions options;
    options.userNamesPath = iniPath;
    if (!folder.isEmpty())
        options.arguments = QStringList {folder};
    auto form = std::make_unique<TMainForm>(options);
    form->show();
    QApplication::processEvents();
    return form;
}

TEST(UserNamesWindow, AddedNamesAreSavedOnCloseAndLoadedAtTheNextStart)
{
    TempFolder config;
    TempFolder dir;
    dir.AddFile(QByteArray("zork.txt"));
    const QString ini = config.path() + u"Vorlant.ini";
    {
        auto form = Start(ini, dir.path());
        EXPECT_TRUE(form->close());
        EXPECT_EQ(ReadFile(ini), "<none>"); // nothing added, no file
    }
    {
        auto form = Start(ini, dir.path());
        form->Dictionaries().names.AddName(u"Zork"_qs);
        EXPECT_TRUE(form->close());
        EXPECT_EQ(ReadFile(ini), "[NAMES]\n0=Zork\n");
    }
    {
        auto form = Start(ini, dir.path());
        EXPECT_FALSE(form->EndRequested());
        EXPECT_EQ(form->Dictionaries().names.UserList(), QStringList {u"Zork"_qs});
        QTest::mouseClick(form->RenameButton, Qt::LeftButton);
        EXPECT_EQ(dir.Names(), QList<QByteArray> {"Zork.txt"});
    }
}

TEST(UserNamesWindow, FailedSaveKeepsTheWindowOpenAndRetries)
{
    TempFolder config;
    config.AddFile(QByteArray("file"));
    const QString ini = config.path() + u"file/Vorlant.ini"; // its folder cannot be made
    auto form = Start(ini);
    form->Dictionaries().names.AddName(u"Zork"_qs);
    Dialogs::TakeShownMessages();
    EXPECT_FALSE(form->close());
    EXPECT_TRUE(form->isVisible());
    QList<MessageRequest> shown = Dialogs::TakeShownMessages();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0].text, u"Unable to write to " + ini + u'.');
    EXPECT_EQ(shown[0].icon, MessageIcon::Error);
    EXPECT_FALSE(form->close()); // closing again runs the whole save again
    EXPECT_EQ(Dialogs::TakeShownMessages().size(), 1);
}

TEST(UserNamesWindow, SelfCheckFaultLeavesTheFileUnchanged)
{
    TempFolder config;
    const QString ini = config.path() + u"Vorlant.ini";
    QFile f(ini);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[NAMES]\n0=README\n");
    f.close();
    {
        auto form = Start(ini);
        EXPECT_TRUE(form->EndRequested());
        // The program ends through its message loop; the window is destroyed without closing.
    }
    EXPECT_EQ(ReadFile(ini), "[NAMES]\n0=README\n");
}

TEST(UserNamesWindow, FileTooLargeForTheListsIsReportedAndStartUpEnds)
{
    TempFolder config;
    const QString ini = config.path() + u"Vorlant.ini";
    QByteArray text = "[NAMES]\n";
    for (int i = 0; i < 1'000'001; ++i)
        text += QByteArray::number(i) + "=Name" + QByteArray::number(i) + "x\n";
    QFile f(ini);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text);
    f.close();
    Dialogs::TakeShownMessages();
    {
        auto form = Start(ini);
        EXPECT_TRUE(form->EndRequested());
        const QList<MessageRequest> shown = Dialogs::TakeShownMessages();
        ASSERT_EQ(shown.size(), 1);
        EXPECT_EQ(shown[0].text, u"Unable to insert a line.");
        EXPECT_EQ(shown[0].icon, MessageIcon::Error);
        EXPECT_EQ(shown[0].buttons, MessageButtons::Ok);
        // Nothing was loaded: the lists hold the built-in rows only.
        EXPECT_TRUE(form->Dictionaries().names.UserList().isEmpty());
    }
    EXPECT_EQ(ReadFile(ini), text);
}

} // namespace
} // namespace vl
