#include "VLMain/core/FileListModel.h"

#include "support/TestSupport.h"

#include <QAbstractItemModelTester>

#include <gtest/gtest.h>

namespace vl {
namespace {

FileItem Item(const char16_t *caption, const char16_t *extension = u"", bool checked = false,
              const char16_t *state = kStateUnprocessed)
{
    FileItem i;
    i.caption = QString::fromUtf16(caption);
    i.extension = QString::fromUtf16(extension);
    i.state = QString::fromUtf16(state);
    i.checked = checked;
    return i;
}

struct List
{
    FileListModel model;
    SortFlags flags;
    QAbstractItemModelTester tester{&model, QAbstractItemModelTester::FailureReportingMode::Fatal};

    explicit List(std::initializer_list<FileItem> items)
    {
        for (const FileItem &i : items)
            model.Append(i);
    }
    QStringList Captions() const
    {
        QStringList c;
        for (const FileItem &i : model.items())
            c << i.caption;
        return c;
    }
    QStringList Extensions() const
    {
        QStringList c;
        for (const FileItem &i : model.items())
            c << i.extension;
        return c;
    }
};

TEST(FileOrder, CompareFileItemsByMode)
{
    SortFlags up;
    SortFlags down;
    down.SortAscending = {false, false, false};
    const FileItem readme = Item(u"readme", u"txt");
    const FileItem README = Item(u"README", u"doc", true);
    const FileItem noExt = Item(u"zeta");
    struct Row
    {
        const FileItem &a;
        const FileItem &b;
        int mode;
        const SortFlags &flags;
        int sign;
    };
    const Row rows[] = {
        {readme, README, kSortByCaption, up, 0}, // captions that differ only in case are equal
        {readme, README, kSortMarkedFirst, up, 1}, // the marked one goes first
        {README, readme, kSortMarkedFirst, down, -1}, // mode 0 ignores the flags
        {readme, noExt, kSortByCaption, up, -1},
        {readme, noExt, kSortByCaption, down, 1},
        {noExt, readme, kSortByExtension, up, -1}, // an empty extension first ascending
        {noExt, readme, kSortByExtension, down, 1}, // and last descending
        {readme, noExt, kSortByState, up, 0},
        {readme, noExt, 7, up, 0}, // any other mode
    };
    for (const Row &r : rows) {
        const int c = CompareFileItems(r.a, r.b, r.mode, r.flags);
        EXPECT_EQ((c > 0) - (c < 0), r.sign) << r.a.caption.toStdString() << " mode " << r.mode;
    }
    FileItem a = Item(u"a"), b = Item(u"b");
    a.checked = b.checked = true;
    EXPECT_LT(CompareFileItems(a, b, kSortMarkedFirst, down), 0);
}

TEST(FileOrder, HeaderClicksAlternateAndResetTheOtherFlags)
{
    List l{Item(u"b", u"y"), Item(u"a", u"z"), Item(u"c", u"x")};
    // As right after a scan that followed a folder choice: ascending by caption, first flag clear.
    l.flags.SetAll();
    l.model.Sort(kSortByCaption, l.flags);
    l.flags.SortAscending[0] = false;
    EXPECT_EQ(l.Captions(), (QStringList{u"a"_qs, u"b"_qs, u"c"_qs}));

    SortByColumn(l.model, l.flags, 0);
    EXPECT_EQ(l.Captions(), (QStringList{u"c"_qs, u"b"_qs, u"a"_qs}));
    SortByColumn(l.model, l.flags, 0);
    EXPECT_EQ(l.Captions(), (QStringList{u"a"_qs, u"b"_qs, u"c"_qs}));
    EXPECT_FALSE(l.flags.SortAscending[0]);

    SortByColumn(l.model, l.flags, 1); // ascending by extension, sets the first flag again
    EXPECT_EQ(l.Extensions(), (QStringList{u"x"_qs, u"y"_qs, u"z"_qs}));
    EXPECT_EQ(l.flags.SortAscending, (std::array<bool, 3>{true, false, true}));
    SortByColumn(l.model, l.flags, 0); // so this sorts ascending
    EXPECT_EQ(l.Captions(), (QStringList{u"a"_qs, u"b"_qs, u"c"_qs}));
}

TEST(FileOrder, MarkedFirstAfterAPass)
{
    List l{Item(u"d"), Item(u"c", u"", true), Item(u"B"), Item(u"a", u"", true)};
    l.flags.SortAscending = {false, false, false};
    SortMarkedFirst(l.model, l.flags);
    EXPECT_EQ(l.Captions(), (QStringList{u"a"_qs, u"c"_qs, u"B"_qs, u"d"_qs}));
    EXPECT_EQ(l.flags.SortAscending, (std::array<bool, 3>{true, true, true}));
}

TEST(FileOrder, SortIsStableForEqualCaptions)
{
    List l{Item(u"readme", u"1"), Item(u"README", u"2"), Item(u"ReadMe", u"3"), Item(u"a", u"4")};
    l.model.Sort(kSortByCaption, l.flags);
    EXPECT_EQ(l.Extensions(), (QStringList{u"4"_qs, u"1"_qs, u"2"_qs, u"3"_qs}));
}

TEST(FileListModel, ChecksAndEditsGoThroughTheModel)
{
    List l{Item(u"one"), Item(u"two")};
    int toggled = -1;
    QObject::connect(&l.model, &FileListModel::CheckToggled, &l.model, [&](int row) { toggled = row; });
    const QModelIndex two = l.model.index(1, 0);
    EXPECT_TRUE(l.model.setData(two, Qt::Checked, Qt::CheckStateRole));
    EXPECT_TRUE(l.model.at(1).checked);
    EXPECT_EQ(toggled, 1);
    EXPECT_TRUE(l.model.AnyChecked());

    EXPECT_TRUE(l.model.flags(two) & Qt::ItemIsEditable);
    l.model.SetCaptionsEditable(false);
    EXPECT_FALSE(l.model.flags(two) & Qt::ItemIsEditable);
    EXPECT_TRUE(l.model.flags(two) & Qt::ItemIsUserCheckable); // marks still work while busy
    EXPECT_FALSE(l.model.setData(two, u"TWO"_qs, Qt::EditRole));
    l.model.SetCaptionsEditable(true);

    QString seen;
    l.model.SetEditHandler([&](int row, const QString &text) { seen = QString::number(row) + text; });
    EXPECT_TRUE(l.model.setData(two, u"TWO"_qs, Qt::EditRole));
    EXPECT_EQ(seen, u"1TWO");
    EXPECT_EQ(l.model.at(1).caption, u"two"); // the handler decides
    EXPECT_FALSE(l.model.flags(l.model.index(0, 1)) & Qt::ItemIsEditable);
    EXPECT_EQ(l.model.headerData(2, Qt::Horizontal, Qt::DisplayRole).toString(), u"Состояние");
}

} // namespace
} // namespace vl
