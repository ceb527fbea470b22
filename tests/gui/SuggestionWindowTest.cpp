#include "gui/GuiSupport.h"

#include <QAction>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

namespace vl {
namespace {

using test::RowOf;
using test::TempFolder;
using test::Window;

QString TipOf(const Window &w, const QByteArray &diskName)
{
    const FileListModel &files = w.form->Files();
    return files
        .data(files.index(RowOf(w, diskName), FileListModel::kCaptionColumn), Qt::ToolTipRole)
        .toString();
}

TEST(SuggestionWindow, TooltipsAndTheCommandWorkAsTheUsersOwnEdits)
{
    TempFolder dir;
    for (const char *f :
         {"printpreview.TXT", "setupwizard_2.doc", "readmefirst.txt", "qzxvkwj.txt", "readme.txt"})
        dir.AddFile(QByteArray(f));
    Window w({dir.path()});
    TMainForm &f = *w.form;
    QTest::mouseClick(f.RenameButton, Qt::LeftButton);
    ASSERT_EQ(dir.Names(), (QList<QByteArray> {"ReadMe.txt", "printpreview.txt", "qzxvkwj.txt",
                                               "readmefirst.txt", "setupwizard_2.doc"}));

    EXPECT_EQ(TipOf(w, "printpreview.txt"), u"Предлагаемое написание: PrintPreview"_qs);
    EXPECT_EQ(TipOf(w, "setupwizard_2.doc"), u"Предлагаемое написание: SetupWizard_2"_qs);
    EXPECT_EQ(TipOf(w, "qzxvkwj.txt"), QString()); // no split
    EXPECT_EQ(TipOf(w, "ReadMe.txt"), QString()); // known

    // A row the user unmarked keeps its caption.
    f.Files().SetChecked(RowOf(w, "readmefirst.txt"), false);
    f.AddButton->setEnabled(false);
    f.AcceptSuggestionsMenuItem->trigger();
    const FileItem &preview = f.Files().at(RowOf(w, "printpreview.txt"));
    EXPECT_EQ(preview.caption, u"PrintPreview"_qs);
    EXPECT_EQ(preview.extension, u"txt"_qs);
    EXPECT_TRUE(preview.checked);
    EXPECT_EQ(preview.state, ItemState::Unrecognised);
    EXPECT_EQ(f.Files().at(RowOf(w, "setupwizard_2.doc")).caption, u"SetupWizard_2"_qs);
    EXPECT_EQ(f.Files().at(RowOf(w, "readmefirst.txt")).caption, u"readmefirst"_qs);
    EXPECT_EQ(f.Files().at(RowOf(w, "qzxvkwj.txt")).caption, u"qzxvkwj"_qs);
    EXPECT_TRUE(f.AddButton->isEnabled()); // as after an edit
    // Accepted, the caption is the suggestion: nothing more to suggest.
    EXPECT_EQ(TipOf(w, "printpreview.txt"), QString());

    // The editor starts from the caption, not from a suggestion.
    const int unmarked = RowOf(w, "readmefirst.txt");
    f.FilesListView->selectRow(unmarked);
    QTest::keyClick(f.FilesListView, Qt::Key_F2);
    const auto *editor = f.FilesListView->viewport()->findChild<QLineEdit *>();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->text(), u"readmefirst"_qs);
    QTest::keyClick(f.FilesListView->viewport()->findChild<QLineEdit *>(), Qt::Key_Escape);

    // Then the add button adds the marked names as usual (the one without a suggestion too), and
    // the next pass spells the files so.
    QTest::mouseClick(f.AddButton, Qt::LeftButton);
    EXPECT_EQ(f.Dictionaries().names.UserList(),
              (QStringList {u"PrintPreview"_qs, u"qzxvkwj"_qs, u"SetupWizard"_qs}));
    QTest::mouseClick(f.RenameButton, Qt::LeftButton);
    EXPECT_EQ(dir.Names(),
              (QList<QByteArray> {"PrintPreview.txt", "ReadMe.txt", "SetupWizard_2.doc",
                                  "qzxvkwj.txt", "readmefirst.txt"}));
}

} // namespace
} // namespace vl
