#include "gui/GuiSupport.h"

#include "platform/gui/AppWindow.h"

#include <QAction>
#include <QDialog>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QToolButton>

#include <gtest/gtest.h>

namespace vl {
namespace {

using test::TempFolder;
using test::Window;

// Restores the process's current folder after a test that changes it.
struct CurrentFolderGuard
{
    QString saved = QDir::currentPath();
    ~CurrentFolderGuard() { QDir::setCurrent(saved); }
};

TEST(MainForm, StartsWithoutArguments)
{
    Window w;
    EXPECT_EQ(w.form->FolderEdit->text(), u"");
    EXPECT_EQ(w.form->Files().size(), 0);
    EXPECT_FALSE(w.form->RenameButton->isEnabled());
    EXPECT_FALSE(w.form->AddButton->isEnabled());
    EXPECT_EQ(QApplication::focusWidget(), w.form->FolderEdit);
    EXPECT_TRUE(Dialogs::TakeShownMessages().isEmpty()); // no self-check message
    EXPECT_FALSE(w.form->EndRequested());
    EXPECT_EQ(w.form->Dictionaries().full.Count(), 6);
}

TEST(MainForm, ListsAnAbsoluteFolderGivenWithoutTrailingSeparator)
{
    TempFolder dir;
    dir.AddFile(u"b.txt"_qs);
    dir.AddFile(u"a.doc"_qs);
    QString path = dir.path();
    path.chop(1);
    Window w({path, u"/ignored/second"_qs});
    EXPECT_EQ(w.form->FolderEdit->text(), dir.path());
    EXPECT_EQ(w.Captions(), (QStringList{u"a"_qs, u"b"_qs}));
    EXPECT_TRUE(w.form->RenameButton->isEnabled());
    EXPECT_EQ(QApplication::focusWidget(), w.form->RenameButton);
    EXPECT_FALSE(w.form->Flags().SortAscending[0]);
}

TEST(MainForm, ResolvesRelativeArguments)
{
    CurrentFolderGuard guard;
    TempFolder dir;
    dir.AddFolder(u"sub"_qs);
    dir.AddFile(u"top.txt"_qs);
    const QString base = QDir(dir.path()).canonicalPath();

    QDir::setCurrent(base + u"/sub");
    {
        Window w({u".."_qs});
        EXPECT_EQ(w.form->FolderEdit->text(), base + u'/');
        EXPECT_EQ(QDir::currentPath(), base); // the current folder stays there afterwards
        EXPECT_EQ(w.Captions(), QStringList{u"top"_qs});
    }
    {
        Window w({u"."_qs});
        EXPECT_EQ(w.form->FolderEdit->text(), base + u'/');
    }
    {
        Window w({u"missing"_qs});
        EXPECT_EQ(w.form->FolderEdit->text(), base + u"/missing/");
        EXPECT_EQ(QDir::currentPath(), base);
        EXPECT_EQ(w.form->Files().size(), 0);
        EXPECT_FALSE(w.form->RenameButton->isEnabled());
        EXPECT_EQ(QApplication::focusWidget(), w.form->FolderEdit);
    }
}

TEST(MainForm, ControlsHaveTheirNamesCaptionsAndPlaces)
{
    Window w;
    TMainForm &f = *w.form;
    EXPECT_EQ(f.windowTitle().left(35), u"Стилизованное переименование файлов");
    EXPECT_EQ(f.size(), QSize(492, 348));
    EXPECT_EQ(f.minimumSize(), QSize(492, 348));
    struct Row
    {
        QWidget *w;
        const char *name;
        QRect rect;
    };
    const Row rows[] = {
        {f.FolderLabel, "FolderLabel", {8, 11, 81, 13}},
        {f.FolderEdit, "FolderEdit", {97, 8, 365, 21}},
        {f.FolderSpeedButton, "FolderSpeedButton", {463, 8, 21, 21}},
        {f.TopBevel, "TopBevel", {4, 37, 484, 2}},
        {f.RenameButton, "RenameButton", {8, 47, 100, 25}},
        {f.AddButton, "AddButton", {116, 47, 100, 25}},
        {f.FilesListView, "FilesListView", {8, 80, 476, 241}},
        {f.FullListBox, "FullListBox", {16, 107, 185, 86}},
        {f.NamesListBox, "NamesListBox", {16, 200, 185, 113}},
        {f.StatusBar, "StatusBar", {0, 329, 492, 19}},
        {f.ProgressBar, "ProgressBar", {0, 2, 492, 17}},
    };
    for (const Row &r : rows) {
        EXPECT_EQ(r.w->objectName(), QString::fromLatin1(r.name));
        EXPECT_EQ(r.w->geometry(), r.rect) << r.name;
    }
    EXPECT_EQ(f.FolderLabel->text(), u"Текущая папка:");
    EXPECT_EQ(f.RenameButton->text(), u"&Переименовать");
    EXPECT_EQ(f.RenameButton->toolTip(), u"Переименовать файлы в соответствии со стилем");
    EXPECT_EQ(f.AddButton->text(), u"&Добавить имена");
    EXPECT_EQ(f.AddButton->toolTip(), u"Добавить отмеченные имена файлов в базу данных");
    EXPECT_TRUE(f.FolderEdit->isReadOnly());
    EXPECT_FALSE(f.FullListBox->isVisible());
    EXPECT_FALSE(f.NamesListBox->isVisible());
    EXPECT_EQ(f.FullListBox->model()->rowCount(), 6);
    EXPECT_EQ(f.FolderSpeedButton->focusPolicy(), Qt::NoFocus);
    const QHeaderView *header = f.FilesListView->horizontalHeader();
    const int widths[] = {292, 75, 89};
    const char16_t *captions[] = {u"Имя файла", u"Расширение", u"Состояние"};
    for (int c = 0; c < 3; ++c) {
        EXPECT_EQ(header->sectionSize(c), widths[c]);
        EXPECT_EQ(f.Files().headerData(c, Qt::Horizontal, Qt::DisplayRole).toString(), QString::fromUtf16(captions[c]));
    }
    ASSERT_EQ(f.CheckPopupMenu->actions().size(), 2);
    EXPECT_EQ(f.CheckAllMenuItem->text(), u"&Отметить все имена");
    EXPECT_EQ(f.UncheckAllMenuItem->text(), u"&Снять всю отметку");
}

TEST(MainForm, AnchorsFollowTheWindowOnResize)
{
    Window w;
    TMainForm &f = *w.form;
    f.resize(692, 448);
    QApplication::processEvents();
    EXPECT_EQ(f.FolderEdit->geometry(), QRect(97, 8, 565, 21));
    EXPECT_EQ(f.FolderSpeedButton->geometry(), QRect(663, 8, 21, 21));
    EXPECT_EQ(f.TopBevel->geometry(), QRect(4, 37, 684, 2));
    EXPECT_EQ(f.RenameButton->geometry(), QRect(8, 47, 100, 25));
    EXPECT_EQ(f.FilesListView->geometry(), QRect(8, 80, 676, 341));
    EXPECT_EQ(f.NamesListBox->geometry(), QRect(16, 300, 185, 113));
    EXPECT_EQ(f.StatusBar->geometry(), QRect(0, 429, 692, 19));
    EXPECT_EQ(f.ProgressBar->width(), 692);
    f.resize(300, 200);
    QApplication::processEvents();
    EXPECT_EQ(f.size(), QSize(492, 348)); // never smaller than the start size
}

TEST(MainForm, TabCycle)
{
    TempFolder dir;
    dir.AddFile(u"a.txt"_qs);
    Window w({dir.path()});
    TMainForm &f = *w.form;
    f.AddButton->setEnabled(true);
    f.FolderEdit->setFocus();
    QWidget *expected[] = {f.RenameButton, f.AddButton, f.FilesListView, f.FolderEdit};
    for (QWidget *next : expected) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), next) << next->objectName().toStdString();
    }
}

TEST(MainForm, EnableControlsSwitchesEveryControl)
{
    TempFolder dir;
    dir.AddFile(u"a.txt"_qs);
    Window w({dir.path()});
    TMainForm &f = *w.form;
    f.Files().SetChecked(0, true);

    f.EnableControls(false);
    EXPECT_FALSE(f.FolderLabel->isEnabled());
    EXPECT_FALSE(f.FolderEdit->isEnabled());
    EXPECT_FALSE(f.FolderSpeedButton->isEnabled());
    EXPECT_FALSE(f.RenameButton->isEnabled());
    EXPECT_FALSE(f.AddButton->isEnabled());
    EXPECT_TRUE(f.FilesListView->isEnabled());
    EXPECT_FALSE(f.FilesListView->horizontalHeader()->sectionsClickable());
    EXPECT_FALSE(f.Files().CaptionsEditable());
    EXPECT_FALSE(f.FilesListView->HandlersAttached());
    const auto order = f.Flags().SortAscending;
    f.FilesListViewColumnClick(0); // headers do not respond
    EXPECT_EQ(f.Flags().SortAscending, order);

    f.EnableControls(true);
    EXPECT_TRUE(f.FolderLabel->isEnabled());
    EXPECT_TRUE(f.FolderEdit->isEnabled());
    EXPECT_TRUE(f.FolderSpeedButton->isEnabled());
    EXPECT_TRUE(f.RenameButton->isEnabled());
    EXPECT_TRUE(f.AddButton->isEnabled()); // an item is checked
    EXPECT_TRUE(f.FilesListView->horizontalHeader()->sectionsClickable());
    EXPECT_TRUE(f.Files().CaptionsEditable());
    EXPECT_TRUE(f.FilesListView->HandlersAttached());

    f.Files().SetChecked(0, false);
    f.EnableControls(true);
    EXPECT_FALSE(f.AddButton->isEnabled());
}

TEST(MainForm, HeaderClicksSortAndToggle)
{
    TempFolder dir;
    for (const char16_t *n : {u"b.z", u"a.y", u"c.x"})
        dir.AddFile(QString::fromUtf16(n));
    Window w({dir.path()});
    TMainForm &f = *w.form;
    const QHeaderView *header = f.FilesListView->horizontalHeader();
    const auto click = [&](int section) {
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(section) + 5, header->height() / 2));
    };
    click(0);
    EXPECT_EQ(w.Captions(), (QStringList{u"c"_qs, u"b"_qs, u"a"_qs}));
    click(1);
    EXPECT_EQ(w.Captions(), (QStringList{u"c"_qs, u"a"_qs, u"b"_qs}));
    click(0);
    EXPECT_EQ(w.Captions(), (QStringList{u"a"_qs, u"b"_qs, u"c"_qs}));
}

TEST(MainForm, WindowMenuEndsWithAboutAndPostsCommandOne)
{
    Window w;
    const QList<QAction *> actions = w.form->SystemMenu().menu()->actions();
    ASSERT_GE(actions.size(), 2);
    EXPECT_TRUE(actions[actions.size() - 2]->isSeparator());
    EXPECT_EQ(actions.last()->text(), u"&О программе");

    QStringList opened;
    Dialogs::SetDialogHook([&](QDialog &d) {
        opened << d.objectName();
        return 0;
    });
    actions.last()->trigger();
    QApplication::processEvents();
    EXPECT_EQ(opened, QStringList{u"AboutBox"_qs});

    opened.clear();
    for (QAction *a : actions)
        if (a->data().toInt() == kCommandMaximize)
            a->trigger();
    QApplication::processEvents();
    EXPECT_TRUE(opened.isEmpty());
    EXPECT_TRUE(w.form->isMaximized());
    Dialogs::SetDialogHook(nullptr);
}

TEST(MainForm, GeneralErrorReportAddsAFullStop)
{
    EXPECT_EQ(ErrorReportText(u"Unable to insert a line"_qs), u"Unable to insert a line.");
    EXPECT_EQ(ErrorReportText(u"Done."_qs), u"Done.");
    EXPECT_EQ(ErrorReportText(u"Code 7"_qs), u"Code 7.");
    EXPECT_EQ(ErrorReportText(u"Odd ("_qs), u"Odd (");
    ApplicationTitle::Set(u"Ворлант"_qs);
    Dialogs::TakeShownMessages();
    ReportError(u"Unable to write to /x/Vorlant.ini"_qs);
    const QList<MessageRequest> shown = Dialogs::TakeShownMessages();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0].caption, u"Ворлант");
    EXPECT_EQ(shown[0].text, u"Unable to write to /x/Vorlant.ini.");
    EXPECT_EQ(shown[0].icon, MessageIcon::Error);
    EXPECT_EQ(shown[0].buttons, MessageButtons::Ok);
}

TEST(MainForm, SelfCheckFaultShowsBoxesAndEndsTheProgram)
{
    for (const bool answerYes : {true, false}) {
        TempFolder config;
        QFile ini(config.path() + u"Vorlant.ini");
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write("[NAMES]\n0=README\n1=1Bad\n2=Q\n");
        ini.close();
        Dialogs::TakeShownMessages();
        Dialogs::QueueAnswer(answerYes ? MessageAnswer::Yes : MessageAnswer::No);
        MainFormOptions options;
        options.userNamesPath = config.path() + u"Vorlant.ini";
        TMainForm form(options);
        form.show();
        const QList<MessageRequest> shown = Dialogs::TakeShownMessages();
        EXPECT_TRUE(form.EndRequested());
        ASSERT_EQ(shown.size(), answerYes ? 3 : 1);
        EXPECT_EQ(shown[0].caption, u"Ошибка самопроверки Vorlant");
        EXPECT_EQ(shown[0].icon, MessageIcon::Error);
        EXPECT_EQ(shown[0].buttons, MessageButtons::YesNo);
        EXPECT_EQ(shown[0].defaultAnswer, MessageAnswer::Yes);
        EXPECT_TRUE(shown[0].text.startsWith(u"Найдены повторяющиеся имена файлов ("));
    }
}

} // namespace
} // namespace vl
