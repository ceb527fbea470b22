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

#include <vector>

namespace vl {
namespace {

using test::TempFolder;
using test::Window;

// Restores the process's current folder after a test that changes it.
struct CurrentFolderGuard {
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
    EXPECT_EQ(w.Captions(), (QStringList {u"a"_qs, u"b"_qs}));
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
        EXPECT_EQ(w.Captions(), QStringList {u"top"_qs});
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

TEST(MainForm, ControlsHaveTheirNamesAndCaptions)
{
    Window w;
    TMainForm &f = *w.form;
    EXPECT_EQ(f.windowTitle().left(35), u"Стилизованное переименование файлов");
    const std::pair<QWidget *, const char *> named[] = {
        {f.FolderLabel, "FolderLabel"},
        {f.FolderEdit, "FolderEdit"},
        {f.FolderSpeedButton, "FolderSpeedButton"},
        {f.TopBevel, "TopBevel"},
        {f.RenameButton, "RenameButton"},
        {f.AddButton, "AddButton"},
        {f.FilesListView, "FilesListView"},
        {f.FullListBox, "FullListBox"},
        {f.NamesListBox, "NamesListBox"},
        {f.StatusBar, "StatusBar"},
        {f.ProgressBar, "ProgressBar"},
    };
    for (const auto &[widget, name] : named)
        EXPECT_EQ(widget->objectName(), QString::fromLatin1(name));
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
        EXPECT_EQ(f.Files().headerData(c, Qt::Horizontal, Qt::DisplayRole).toString(),
                  QString::fromUtf16(captions[c]));
    }
    ASSERT_EQ(f.CheckPopupMenu->actions().size(), 3);
    EXPECT_EQ(f.CheckAllMenuItem->text(), u"&Отметить все имена");
    EXPECT_EQ(f.UncheckAllMenuItem->text(), u"&Снять всю отметку");
    EXPECT_EQ(f.AcceptSuggestionsMenuItem->text(), u"&Принять предложенные написания");
}

// The visible controls: each lies inside the window, none covers another, at the smallest size
// and at a larger one.
TEST(MainForm, ControlsFitTheWindowWithoutOverlapping)
{
    Window w;
    TMainForm &f = *w.form;
    EXPECT_EQ(f.size(), QSize(492, 348)); // the client area of the outer 500 × 375
    EXPECT_EQ(f.minimumSize(), f.size());
    QWidget *const shown[] = {f.FolderLabel,  f.FolderEdit, f.FolderSpeedButton, f.TopBevel,
                              f.RenameButton, f.AddButton,  f.FilesListView,     f.StatusBar};
    for (const QSize size : {QSize(492, 348), QSize(900, 700)}) {
        f.resize(size);
        QApplication::processEvents();
        SCOPED_TRACE(size.width());
        for (QWidget *c : shown) {
            EXPECT_TRUE(c->isVisible()) << c->objectName().toStdString();
            EXPECT_FALSE(c->geometry().isEmpty()) << c->objectName().toStdString();
            EXPECT_TRUE(f.rect().contains(c->geometry())) << c->objectName().toStdString();
            for (QWidget *other : shown) {
                if (other != c) {
                    EXPECT_FALSE(c->geometry().intersects(other->geometry()))
                        << c->objectName().toStdString() << " covers "
                        << other->objectName().toStdString();
                }
            }
        }
        EXPECT_TRUE(f.StatusBar->rect().contains(f.ProgressBar->geometry()));
        EXPECT_EQ(f.ProgressBar->width(), f.width()); // the outer width less the frame
        EXPECT_EQ(f.StatusBar->geometry().bottom(), f.rect().bottom()); // docked to the bottom
    }
    for (QListView *hidden : {f.FullListBox, f.NamesListBox})
        EXPECT_FALSE(hidden->isVisible());
}

// Each control keeps its distance to the edges it is anchored to, and its size along an axis
// where it is anchored to one edge only.
TEST(MainForm, AnchorsHoldOnResize)
{
    Window w;
    TMainForm &f = *w.form;
    enum { L = 1, T = 2, R = 4, B = 8 };
    const std::pair<QWidget *, int> anchored[] = {
        {f.FolderLabel, L | T},           {f.FolderEdit, L | T | R}, {f.FolderSpeedButton, T | R},
        {f.TopBevel, L | T | R},          {f.RenameButton, L | T},   {f.AddButton, L | T},
        {f.FilesListView, L | T | R | B}, {f.FullListBox, L | B},    {f.NamesListBox, L | B},
        {f.StatusBar, L | R | B},
    };
    const QSize before = f.size();
    std::vector<QRect> start;
    for (const auto &a : anchored)
        start.push_back(a.first->geometry());
    f.resize(before + QSize(200, 100));
    QApplication::processEvents();
    const QSize after = f.size();
    ASSERT_EQ(after, before + QSize(200, 100));
    for (std::size_t i = 0; i < std::size(anchored); ++i) {
        const auto &[c, anchors] = anchored[i];
        const QRect was = start[i];
        const QRect now = c->geometry();
        const std::string name = c->objectName().toStdString();
        if (anchors & L) {
            EXPECT_EQ(now.left(), was.left()) << name;
        }
        if (anchors & R) {
            EXPECT_EQ(after.width() - now.right(), before.width() - was.right()) << name;
        }
        if ((anchors & (L | R)) != (L | R)) {
            EXPECT_EQ(now.width(), was.width()) << name;
        }
        if (anchors & T) {
            EXPECT_EQ(now.top(), was.top()) << name;
        }
        if (anchors & B) {
            EXPECT_EQ(after.height() - now.bottom(), before.height() - was.bottom()) << name;
        }
        if ((anchors & (T | B)) != (T | B)) {
            EXPECT_EQ(now.height(), was.height()) << name;
        }
    }
    EXPECT_EQ(f.ProgressBar->width(), after.width());
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
        QTest::mouseClick(
            header->viewport(), Qt::LeftButton, {},
            QPoint(header->sectionViewportPosition(section) + 5, header->height() / 2));
    };
    click(0);
    EXPECT_EQ(w.Captions(), (QStringList {u"c"_qs, u"b"_qs, u"a"_qs}));
    click(1);
    EXPECT_EQ(w.Captions(), (QStringList {u"c"_qs, u"a"_qs, u"b"_qs}));
    click(0);
    EXPECT_EQ(w.Captions(), (QStringList {u"a"_qs, u"b"_qs, u"c"_qs}));
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
    EXPECT_EQ(opened, QStringList {u"AboutBox"_qs});

    opened.clear();
    for (QAction *a : actions)
        if (a->data().toInt() == kCommandMaximize)
            a->trigger();
    QApplication::processEvents();
    EXPECT_TRUE(opened.isEmpty());
    EXPECT_TRUE(w.form->isMaximized());
    Dialogs::SetDialogHook(nullptr);
}

TEST(MainForm, KeysOpenTheAboutWindowAndTheWindowMenu)
{
    TempFolder dir;
    for (const QString &name : {u"a.txt"_qs, u"b.txt"_qs, u"c.txt"_qs})
        dir.AddFile(name);
    Window w({dir.path()});
    TMainForm &f = *w.form;
    QStringList opened;
    Dialogs::SetDialogHook([&](QDialog &d) {
        opened << d.objectName();
        return 0;
    });
    QTest::keyClick(f.RenameButton, Qt::Key_F1);
    QApplication::processEvents();
    EXPECT_EQ(opened, QStringList {u"AboutBox"_qs});
    Dialogs::SetDialogHook(nullptr);

    // The buttons have no menu of their own: the menu key and Shift+F10 open the window menu.
    QMenu *menu = f.SystemMenu().menu();
    for (const auto &[key, mods] :
         {std::pair {Qt::Key_Menu, Qt::KeyboardModifiers {}},
          std::pair {Qt::Key_F10, Qt::KeyboardModifiers {Qt::ShiftModifier}}}) {
        f.RenameButton->setFocus();
        QTest::keyClick(f.RenameButton, key, mods);
        EXPECT_TRUE(menu->isVisible()) << key;
        menu->hide();
    }
    // The list has its own menu, which both keys open at the current row.
    f.FilesListView->setFocus();
    for (const auto &[key, mods] :
         {std::pair {Qt::Key_Menu, Qt::KeyboardModifiers {}},
          std::pair {Qt::Key_F10, Qt::KeyboardModifiers {Qt::ShiftModifier}}}) {
        for (int row : {0, 2}) {
            f.FilesListView->SetCurrentRow(row);
            QTest::keyClick(f.FilesListView, key, mods);
            EXPECT_FALSE(menu->isVisible()) << key;
            ASSERT_TRUE(f.CheckPopupMenu->isVisible()) << key;
            const QRect cell = f.FilesListView->visualRect(f.Files().index(row, 0));
            EXPECT_EQ(f.CheckPopupMenu->pos(),
                      f.FilesListView->viewport()->mapToGlobal(cell.center()))
                << key << " row " << row;
            f.CheckPopupMenu->hide();
        }
    }
}

TEST(MainForm, ToolkitTextsAreRussian)
{
    ASSERT_TRUE(LoadToolkitTranslation())
        << "qtbase_ru.qm is not installed (scripts/setup installs it)";
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), u"Отмена");
    EXPECT_EQ(QCoreApplication::translate("QLineEdit", "&Copy"), u"&Копировать");
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
