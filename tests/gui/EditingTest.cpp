#include "gui/GuiSupport.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QToolButton>

#include <gtest/gtest.h>

namespace vl {
namespace {

using test::RowOf;
using test::TempFolder;
using test::Window;

QLineEdit *OpenEditor(FilesListViewWidget *view)
{
    return view->viewport()->findChild<QLineEdit *>();
}

// Selects the row, starts the edit with F2 (and the given modifiers), types text and commits it.
bool EditCaption(Window &w, int row, const QString &text, Qt::KeyboardModifiers mods = {})
{
    FilesListViewWidget *view = w.form->FilesListView;
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); // the last editor
    view->selectRow(row);
    QTest::keyClick(view, Qt::Key_F2, mods);
    QLineEdit *editor = OpenEditor(view);
    if (!editor)
        return false;
    editor->selectAll();
    QTest::keyClicks(editor, text);
    QTest::keyClick(editor, Qt::Key_Return);
    // The commit is queued, and so is the warning of a refused edit.
    for (int round = 0; round < 3; ++round)
        QApplication::processEvents();
    return true;
}

const FileItem &Item(const Window &w, const QByteArray &diskName)
{
    return w.form->Files().at(RowOf(w, diskName));
}

TEST(Editing, CaseOnlyChangesAndWholeNamesAreAccepted)
{
    struct Row {
        const char *file;
        const char16_t *typed;
        const char16_t *caption;
        const char16_t *extension;
    };
    const Row rows[] = {
        {"mytool.txt", u"MyTool", u"MyTool", u"txt"},
        {"mytool.txt", u"MyTool.TXT", u"MyTool.TXT", u""},
        {"mytool.txt", u"mytool", u"mytool", u"txt"}, // the unchanged caption commits and marks
        {".profile", u".Profile", u".Profile", u""},
    };
    for (const Row &r : rows) {
        TempFolder dir;
        dir.AddFile(QByteArray(r.file));
        Window w({dir.path()});
        ASSERT_TRUE(EditCaption(w, 0, QString::fromUtf16(r.typed))) << r.file;
        const FileItem &item = w.form->Files().at(0);
        EXPECT_EQ(item.caption, QString::fromUtf16(r.caption));
        EXPECT_EQ(item.extension, QString::fromUtf16(r.extension));
        EXPECT_TRUE(item.checked);
        EXPECT_TRUE(w.form->AddButton->isEnabled());
        EXPECT_TRUE(Dialogs::TakeShownMessages().isEmpty());
    }
}

TEST(Editing, OtherChangesAreRefusedWithTheWarning)
{
    for (const char16_t *typed : {u"My_Tool", u"MyTool.doc"}) {
        TempFolder dir;
        dir.AddFile(QByteArray("mytool.txt"));
        Window w({dir.path()});
        ASSERT_TRUE(EditCaption(w, 0, QString::fromUtf16(typed)));
        const FileItem &item = w.form->Files().at(0);
        EXPECT_EQ(item.caption, u"mytool");
        EXPECT_EQ(item.extension, u"txt");
        EXPECT_FALSE(item.checked);
        EXPECT_FALSE(w.form->AddButton->isEnabled());
        const QList<MessageRequest> shown = Dialogs::TakeShownMessages();
        ASSERT_EQ(shown.size(), 1);
        EXPECT_EQ(shown[0].text,
                  u"Имя файла нельзя изменить на другое, можно только изменить регистр "
                  u"составляющих его символов.");
        EXPECT_EQ(shown[0].caption, u"Переименование файлов");
        EXPECT_EQ(shown[0].icon, MessageIcon::Warning);
        EXPECT_EQ(shown[0].buttons, MessageButtons::Ok);
    }
}

TEST(Editing, F2StartsTheEditWithAnyModifiersOnlyWithASelection)
{
    TempFolder dir;
    dir.AddFile(QByteArray("a.txt"));
    Window w({dir.path()});
    FilesListViewWidget *view = w.form->FilesListView;
    view->clearSelection();
    QTest::keyClick(view, Qt::Key_F2);
    EXPECT_EQ(OpenEditor(view), nullptr);
    for (const Qt::KeyboardModifiers mods :
         {Qt::ShiftModifier, Qt::ControlModifier, Qt::NoModifier}) {
        view->selectRow(0);
        QTest::keyClick(view, Qt::Key_F2, mods);
        QLineEdit *editor = OpenEditor(view);
        ASSERT_NE(editor, nullptr);
        QTest::keyClick(editor, Qt::Key_Escape);
        QApplication::processEvents();
        delete OpenEditor(view);
    }
}

TEST(Editing, AddingSendsEachCoreToItsDictionaryAndRescans)
{
    TempFolder dir;
    for (const char *f : {"mytool.txt", "other.TXT", "a.b.doc", "setup.exe"})
        dir.AddFile(QByteArray(f));
    Window w({dir.path()});
    TMainForm &f = *w.form;
    ASSERT_TRUE(EditCaption(w, RowOf(w, "mytool.txt"), u"MyTool"_qs));
    ASSERT_TRUE(EditCaption(w, RowOf(w, "other.TXT"), u"Other.TXT"_qs));
    f.Files().SetChecked(RowOf(w, "a.b.doc"), true);
    f.Files().SetChecked(RowOf(w, "setup.exe"), true); // already known: changes nothing
    const int names = f.Dictionaries().names.Count();
    const int full = f.Dictionaries().full.Count();
    QTest::mouseClick(f.AddButton, Qt::LeftButton);
    EXPECT_EQ(f.Dictionaries().names.Count(), names + 2);
    EXPECT_EQ(f.Dictionaries().full.Count(), full + 1);
    EXPECT_EQ(f.Dictionaries().names.UserList(), (QStringList {u"a.b"_qs, u"MyTool"_qs}));
    EXPECT_EQ(f.Dictionaries().full.UserList(), QStringList {u"Other.TXT"_qs});
    // The rescan: every item new and unmarked, the add button off, focus on the rename button.
    EXPECT_EQ(f.Files().size(), 4);
    for (const FileItem &item : f.Files().items()) {
        EXPECT_EQ(item.state, ItemState::Unprocessed);
        EXPECT_FALSE(item.checked);
    }
    EXPECT_FALSE(f.AddButton->isEnabled());
    EXPECT_EQ(QApplication::focusWidget(), f.RenameButton);
    // Adding right after a scan sorted descending (the scan had left the first flag clear).
    EXPECT_EQ(w.Captions(), (QStringList {u"setup"_qs, u"other"_qs, u"mytool"_qs, u"a.b"_qs}));

    // The next pass takes the added spellings.
    QTest::mouseClick(f.RenameButton, Qt::LeftButton);
    EXPECT_EQ(dir.Names(), (QList<QByteArray> {"MyTool.txt", "Other.TXT", "Setup.exe", "a.b.doc"}));
}

TEST(Editing, AddingRefusesCoresThatWouldFailTheNextStart)
{
    TempFolder dir;
    dir.AddFile(QByteArray("x.txt"));
    dir.AddFile(QByteArray("2011.txt"));
    dir.AddFile(QByteArray("fine.txt"));
    Window w({dir.path()});
    TMainForm &f = *w.form;
    f.Files().SetAllChecked(true);
    f.FilesListViewClick();
    const int names = f.Dictionaries().names.Count();
    QTest::mouseClick(f.AddButton, Qt::LeftButton);
    EXPECT_EQ(f.Dictionaries().names.Count(), names + 1);
    EXPECT_EQ(f.Dictionaries().names.UserList(), QStringList {u"fine"_qs});
    const QList<MessageRequest> shown = Dialogs::TakeShownMessages();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0].icon, MessageIcon::Warning);
    EXPECT_TRUE(shown[0].text.contains(u"«x»")) << shown[0].text.toStdString();
    EXPECT_TRUE(shown[0].text.contains(u"«2011»"));
    EXPECT_TRUE(Item(w, "x.txt").checked); // refused items stay marked
    EXPECT_FALSE(Item(w, "fine.txt").checked);
    EXPECT_TRUE(f.AddButton->isEnabled()); // as the marks left standing say
}

TEST(Editing, AddingNamesTheFileOfAnEmptyCaptionAndRefusesUnreadableNames)
{
    TempFolder dir;
    dir.AddFile(QByteArray(".profile"));
    dir.AddFile(QByteArray("ab\xe9"
                           "cd.txt")); // not UTF-8: listed as «ab\uFFFDcd»
    Window w({dir.path()});
    TMainForm &f = *w.form;
    f.CheckAllMenuItem->trigger();
    const int names = f.Dictionaries().names.Count();
    QTest::mouseClick(f.AddButton, Qt::LeftButton);
    EXPECT_EQ(f.Dictionaries().names.Count(), names);
    const QList<MessageRequest> shown = Dialogs::TakeShownMessages();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0].text.contains(u"«.profile»: в имени нет ни одной буквы"))
        << shown[0].text.toStdString();
    EXPECT_TRUE(shown[0].text.contains(u"«ab\uFFFDcd»: имя файла записано не в UTF-8"))
        << shown[0].text.toStdString();
    EXPECT_FALSE(shown[0].text.contains(u"«»"));
}

// The list is a list of rows: the keys move from row to row, the cursor stays in the caption's
// column, and Space marks the current row wherever the cursor was put.
TEST(Editing, KeysMoveBetweenRowsAndSpaceMarksTheRow)
{
    TempFolder dir;
    for (const char *n : {"a.txt", "b.txt", "c.txt", "d.txt"})
        dir.AddFile(QByteArray(n));
    Window w({dir.path()});
    TMainForm &f = *w.form;
    FilesListViewWidget *view = f.FilesListView;
    view->setFocus();
    view->setCurrentIndex(f.Files().index(1, 2));
    struct Step {
        Qt::Key key;
        int row;
    };
    const Step steps[]
        = {{Qt::Key_Right, 1}, {Qt::Key_Down, 2},     {Qt::Key_Left, 2}, {Qt::Key_End, 3},
           {Qt::Key_Home, 0},  {Qt::Key_PageDown, 3}, {Qt::Key_Up, 2},   {Qt::Key_PageUp, 0}};
    for (const Step &s : steps) {
        QTest::keyClick(view, s.key);
        EXPECT_EQ(view->currentIndex().row(), s.row) << s.key;
        EXPECT_EQ(view->currentIndex().column(), 0) << s.key;
        EXPECT_EQ(view->selectionModel()->selectedRows().value(0).row(), s.row) << s.key;
    }
    EXPECT_FALSE(f.AddButton->isEnabled());
    view->setCurrentIndex(f.Files().index(2, 2)); // as a click in the state column leaves it
    QTest::keyClick(view, Qt::Key_Space);
    EXPECT_TRUE(f.Files().at(2).checked);
    EXPECT_TRUE(f.AddButton->isEnabled());
    QTest::keyClick(view, Qt::Key_Space);
    EXPECT_FALSE(f.Files().at(2).checked);
    EXPECT_FALSE(f.AddButton->isEnabled());
}

TEST(Editing, ARefusedEditGivesTheFocusBackToTheListOnItsRow)
{
    TempFolder dir;
    for (const char *n : {"a.txt", "mytool.txt"})
        dir.AddFile(QByteArray(n));
    Window w({dir.path()});
    TMainForm &f = *w.form;
    f.FilesListView->setFocus();
    ASSERT_TRUE(EditCaption(w, 1, u"Other"_qs));
    QApplication::processEvents();
    EXPECT_EQ(Dialogs::TakeShownMessages().size(), 1);
    EXPECT_EQ(QApplication::focusWidget(), f.FilesListView);
    EXPECT_EQ(f.FilesListView->currentIndex().row(), 1);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(OpenEditor(f.FilesListView), nullptr);
}

TEST(Editing, MarkingAndTheContextMenu)
{
    TempFolder dir;
    dir.AddFile(QByteArray("a.txt"));
    dir.AddFile(QByteArray("b.txt"));
    Window w({dir.path()});
    TMainForm &f = *w.form;
    // Every change of a mark sets the add button as the marks say, the menu's commands too.
    f.CheckAllMenuItem->trigger();
    EXPECT_TRUE(f.Files().at(0).checked && f.Files().at(1).checked);
    EXPECT_TRUE(f.AddButton->isEnabled());
    f.UncheckAllMenuItem->trigger();
    EXPECT_FALSE(f.AddButton->isEnabled());
    QTest::mouseClick(f.FilesListView->viewport(), Qt::LeftButton, {},
                      f.FilesListView->visualRect(f.Files().index(0, 1)).center());
    EXPECT_FALSE(f.AddButton->isEnabled()); // a click beside the check box marks nothing

    // A click on a check box has already changed the mark when the handler runs.
    const QRect box = f.FilesListView->visualRect(f.Files().index(1, 0));
    QTest::mouseClick(f.FilesListView->viewport(), Qt::LeftButton, {},
                      QPoint(box.left() + 8, box.center().y()));
    EXPECT_TRUE(f.Files().at(1).checked);
    EXPECT_TRUE(f.AddButton->isEnabled());
}

TEST(Editing, FolderKeysOpenThePicker)
{
    struct Row {
        int key;
        Qt::KeyboardModifiers mods;
        bool opens;
    };
    const Row rows[] = {
        {Qt::Key_Down, Qt::AltModifier, true},
        {Qt::Key_F4, Qt::NoModifier, true},
        {Qt::Key_Down, Qt::AltModifier | Qt::ShiftModifier, false},
        {Qt::Key_F4, Qt::ControlModifier, false},
        {Qt::Key_Down, Qt::NoModifier, false},
    };
    Window w;
    for (const Row &r : rows) {
        Dialogs::TakePickerRequests();
        QTest::keyClick(w.form->FolderEdit, static_cast<Qt::Key>(r.key), r.mods);
        EXPECT_EQ(Dialogs::TakePickerRequests().size(), r.opens ? 1 : 0) << r.key << " " << r.mods;
    }
}

TEST(Editing, PickerChoosesTheFolderOrChangesNothing)
{
    Window w;
    TMainForm &f = *w.form;
    // Cancelled with an empty folder: nothing changes.
    Dialogs::QueueFolder(std::nullopt);
    f.FolderSpeedButton->click();
    EXPECT_EQ(f.FolderEdit->text(), u"");
    EXPECT_EQ(f.Files().size(), 0);
    EXPECT_FALSE(f.RenameButton->isEnabled());
    const QList<Dialogs::PickerRequest> asked = Dialogs::TakePickerRequests();
    ASSERT_EQ(asked.size(), 1);
    EXPECT_EQ(asked[0].title, u"Выберите для переименования:");

    TempFolder dir;
    dir.AddFile(QByteArray("b.txt"));
    dir.AddFile(QByteArray("a.txt"));
    QString chosen = dir.path();
    chosen.chop(1);
    f.Flags().SortAscending = {false, false, false};
    Dialogs::QueueFolder(chosen);
    f.FolderSpeedButton->click();
    Dialogs::TakePickerRequests();
    EXPECT_EQ(f.FolderEdit->text(), dir.path());
    EXPECT_EQ(w.Captions(), (QStringList {u"a"_qs, u"b"_qs}));
    EXPECT_EQ(f.Flags().SortAscending, (std::array<bool, 3> {false, true, true}));
    EXPECT_EQ(QApplication::focusWidget(), f.RenameButton);

    // The picker opens on the current folder.
    Dialogs::QueueFolder(std::nullopt);
    f.FolderSpeedButton->click();
    EXPECT_EQ(Dialogs::TakePickerRequests().value(0).start, dir.path());
    EXPECT_EQ(w.Captions(), (QStringList {u"a"_qs, u"b"_qs}));
}

} // namespace
} // namespace vl
