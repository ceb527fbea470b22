#include "gui/GuiSupport.h"

#include "platform/gui/AppWindow.h"

#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <algorithm>

namespace vl {
namespace {

using test::TempFolder;
using test::Window;

TEST(RenameWindow, PassRenamesShowsProgressAndSortsMarkedFirst)
{
    TempFolder dir;
    for (const char *f : {"setup.EXE", "Zork.TXT", "readme.TXT", "AUTORUN.INF", "blarg.doc",
                          "1.JPG", "Index.html", "zork-2.txt"})
        dir.AddFile(QByteArray(f));
    ApplicationTitle::Set(u"Ворлант"_qs);
    Window w({dir.path()});
    TMainForm &f = *w.form;
    QStringList titles;
    QObject::connect(&f, &QWidget::windowTitleChanged, &f, [&](const QString &t) {
        if (f.isMinimized() && t.startsWith(u"Переименование"))
            titles << t;
    });
    ASSERT_EQ(QApplication::focusWidget(), f.RenameButton);
    QTest::keyClick(f.RenameButton, Qt::Key_Space);

    QStringList expected;
    for (const char *p : {"0", "12", "25", "38", "50", "62", "75", "88"})
        expected << u"Переименование " + dir.path() + u" (" + QString::fromLatin1(p) + u"%)";
    EXPECT_EQ(titles, expected);
    EXPECT_EQ(ApplicationTitle::Get(), u"Ворлант"); // the saved title came back exactly
    EXPECT_FALSE(f.isMinimized());
    EXPECT_EQ(f.ProgressBar->value(), 0);
    EXPECT_EQ(f.ProgressBar->maximum(), 8);
    EXPECT_EQ(dir.Names(),
              (QList<QByteArray> {"1.jpg", "AutoRun.inf", "Index.html", "ReadMe.txt", "Setup.exe",
                                  "Zork.txt", "blarg.doc", "zork-2.txt"}));
    // Marked first (the first of each unknown core), each group by caption.
    EXPECT_EQ(w.Captions(), (QStringList {u"blarg"_qs, u"Zork"_qs, u"1"_qs, u"AutoRun"_qs,
                                          u"Index"_qs, u"ReadMe"_qs, u"Setup"_qs, u"zork-2"_qs}));
    EXPECT_EQ(f.Flags().SortAscending, (std::array<bool, 3> {true, true, true}));
    EXPECT_TRUE(f.AddButton->isEnabled());
    EXPECT_TRUE(f.RenameButton->isEnabled());
    EXPECT_EQ(QApplication::focusWidget(), f.AddButton);
    EXPECT_TRUE(Dialogs::TakeShownMessages().isEmpty());
}

// The bar moves only where it can be seen: not in the minimised window, but once the user
// restores the window during the pass.
TEST(RenameWindow, ProgressBarMovesOnlyWhileTheWindowIsShown)
{
    TempFolder dir;
    constexpr int kFiles = 5000; // enough for the pass to let messages through several times
    for (int i = 0; i < kFiles; ++i)
        dir.AddFile("f" + QByteArray::number(i) + ".TXT");
    Window w({dir.path()});
    TMainForm &f = *w.form;
    int movedWhileMinimised = 0, movedWhileShown = 0;
    QObject::connect(f.ProgressBar, &QProgressBar::valueChanged, &f, [&](int value) {
        if (value == 0)
            return;
        ++(f.isMinimized() ? movedWhileMinimised : movedWhileShown);
    });
    QObject::connect(&f, &QWidget::windowTitleChanged, &f, [&](const QString &t) {
        if (f.isMinimized() && t.endsWith(u"(50%)"))
            f.showNormal(); // the user brings the window back halfway
    });
    QTest::mouseClick(f.RenameButton, Qt::LeftButton);
    EXPECT_EQ(movedWhileMinimised, 0);
    EXPECT_GT(movedWhileShown, 0);
    EXPECT_EQ(f.ProgressBar->value(), 0);
    const QList<QByteArray> names = dir.Names();
    EXPECT_EQ(std::count_if(names.cbegin(), names.cend(),
                            [](const QByteArray &n) { return n.endsWith(".TXT"); }),
              0);
}

TEST(RenameWindow, PassWithNothingUnknownLeavesAddDisabledAndFocusesTheFolder)
{
    TempFolder dir;
    dir.AddFile(QByteArray("setup.EXE"));
    Window w({dir.path()});
    QTest::mouseClick(w.form->RenameButton, Qt::LeftButton);
    EXPECT_FALSE(w.form->AddButton->isEnabled());
    EXPECT_EQ(QApplication::focusWidget(), w.form->FolderEdit);
}

TEST(RenameWindow, FailedRenamesAreReportedOnceAfterThePass)
{
    TempFolder dir;
    dir.AddFile(QByteArray("readme.TXT"), "lower");
    dir.AddFile(QByteArray("ReadMe.txt"), "styled");
    Window w({dir.path()});
    QTest::mouseClick(w.form->RenameButton, Qt::LeftButton);
    EXPECT_EQ(dir.Contents("readme.TXT"), "lower");
    EXPECT_EQ(dir.Contents("ReadMe.txt"), "styled");
    const QList<MessageRequest> shown = Dialogs::TakeShownMessages();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0].caption, u"Переименование файлов");
    EXPECT_EQ(shown[0].icon, MessageIcon::Warning);
    EXPECT_TRUE(shown[0].text.startsWith(u"Не удалось переименовать файлов: 1.\n«readme.TXT»: "))
        << shown[0].text.toStdString();
    const FileListModel &files = w.form->Files();
    int failedRow = -1;
    for (int i = 0; i < files.size(); ++i)
        if (files.at(i).diskName == "readme.TXT")
            failedRow = i;
    ASSERT_GE(failedRow, 0);
    EXPECT_EQ(files.at(failedRow).state, ItemState::NotRenamed);
    // The state column cuts "Не переименовано" short: the tooltip says the whole state and why.
    EXPECT_EQ(files.data(files.index(failedRow, 2), Qt::ToolTipRole).toString(),
              u"Не переименовано: " + files.at(failedRow).failure);
    EXPECT_FALSE(files.at(failedRow).failure.isEmpty());
}

} // namespace
} // namespace vl

#include "VLMain/core/JournalRecovery.h"
#include "VLMain/core/RenameJournal.h"

namespace vl {
namespace {

TEST(RenameWindow, InterruptedPassIsFinishedBeforeTheFolderIsListed)
{
    TempFolder dir;
    test::TempFolder state;
    const QString journals = state.path() + u"journal";
    // A pass that was killed after the first step of its only rename.
    dir.AddFile(QByteArray("readme.TXT.tmp"), "kept");
    {
        auto journal
            = RenameJournal::Begin(SystemJournalStore(), journals, dir.nativePath(),
                                   {{"readme.TXT", "readme.TXT.tmp", "ReadMe.txt"}}, false);
        ASSERT_TRUE(journal);
        journal->Record(0, StepState::AtTemp);
    }
    Dialogs::TakeShownMessages();
    MainFormOptions options;
    options.arguments = QStringList {dir.path()};
    options.userNamesPath = state.path() + u"Vorlant.ini";
    options.journalFolder = journals;
    TMainForm form(options);
    form.show();
    QApplication::processEvents();
    EXPECT_EQ(dir.Names(), QList<QByteArray> {"ReadMe.txt"});
    EXPECT_EQ(dir.Contents("ReadMe.txt"), "kept");
    ASSERT_EQ(form.Files().size(), 1);
    EXPECT_EQ(form.Files().at(0).caption, u"ReadMe");
    EXPECT_EQ(Dialogs::TakeShownMessages().size(), 1); // the user is told what was finished
}

TEST(RenameWindow, PassKeepsAJournalThatCanBeUndone)
{
    TempFolder dir;
    dir.AddFile(QByteArray("setup.EXE"));
    Window w({dir.path()});
    QTest::mouseClick(w.form->RenameButton, Qt::LeftButton);
    ASSERT_EQ(dir.Names(), QList<QByteArray> {"Setup.exe"});
    const auto journal = ReadLastJournal(dir.path(), w.config.path() + u"journal");
    ASSERT_TRUE(journal);
    EXPECT_TRUE(journal->finished);
    UndoPass(*journal, SystemFileSystem(), w.config.path() + u"journal");
    EXPECT_EQ(dir.Names(), QList<QByteArray> {"setup.EXE"});
}

} // namespace
} // namespace vl
