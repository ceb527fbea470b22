#include "VLMain/core/FileOrder.h"
#include "VLMain/core/FileListModel.h"

#include "support/TestSupport.h"

#include <QAbstractItemModelTester>

#include <gtest/gtest.h>

#include <algorithm>

namespace vl {
namespace {

FileItem Item(const char16_t *caption, const char16_t *extension = u"", bool checked = false,
              ItemState state = ItemState::Unprocessed)
{
    FileItem i;
    i.caption = QString::fromUtf16(caption);
    i.extension = QString::fromUtf16(extension);
    i.state = state;
    i.checked = checked;
    return i;
}

struct List {
    FileListModel model;
    SortFlags flags;
    QAbstractItemModelTester tester {&model, QAbstractItemModelTester::FailureReportingMode::Fatal};

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

TEST(FileOrder, ItemOrderByMode)
{
    SortFlags up;
    SortFlags down;
    down.SortAscending = {false, false, false};
    const FileItem readme = Item(u"readme", u"txt");
    const FileItem README = Item(u"README", u"doc", true);
    const FileItem noExt = Item(u"zeta");
    const FileItem added = Item(u"zeta", u"", false, ItemState::Added);
    const FileItem failed = Item(u"zeta", u"", false, ItemState::NotRenamed);
    struct Row {
        const FileItem &a;
        const FileItem &b;
        SortMode mode;
        const SortFlags &flags;
        int sign;
    };
    const Row rows[] = {
        {readme, README, SortMode::ByCaption, up, 0}, // captions that differ only in case are equal
        {readme, README, SortMode::MarkedFirst, up, 1}, // the marked one goes first
        {README, readme, SortMode::MarkedFirst, down,
         -1}, // the marked-first order ignores the flags
        {readme, noExt, SortMode::ByCaption, up, -1},
        {readme, noExt, SortMode::ByCaption, down, 1},
        {noExt, readme, SortMode::ByExtension, up, -1}, // an empty extension first ascending
        {noExt, readme, SortMode::ByExtension, down, 1}, // and last descending
        {readme, noExt, SortMode::ByState, up, 0},
        {added, noExt, SortMode::ByState, up,
         -1}, // by the state's text: «Добавлено» < «Не обработано»
        {failed, noExt, SortMode::ByState, up, 1}, // «Не переименовано» > «Не обработано»
        {failed, noExt, SortMode::ByState, down, -1},
    };
    for (const Row &r : rows) {
        const int c = ItemOrder(r.mode, r.flags).Compare(r.a, r.b);
        EXPECT_EQ((c > 0) - (c < 0), r.sign)
            << r.a.caption.toStdString() << " mode " << static_cast<int>(r.mode);
    }
    FileItem a = Item(u"a"), b = Item(u"b");
    a.checked = b.checked = true;
    EXPECT_LT(ItemOrder(SortMode::MarkedFirst, down).Compare(a, b), 0);
}

TEST(FileOrder, SortedOrderFollowsTheComparatorAndIsStable)
{
    // Many rows with few distinct texts, so that equal keys meet often: the sort must keep
    // their listed order and agree with the comparator everywhere else.
    QList<FileItem> items;
    const char16_t *captions[] = {u"b", u"A", u"a", u"", u"c", u"B", u"ä", u"10", u"9"};
    const char16_t *extensions[] = {u"txt", u"", u"DOC", u"doc"};
    const ItemState states[] = {ItemState::Unprocessed, ItemState::Added, ItemState::NotRenamed,
                                ItemState::Recognised, ItemState::Unrecognised};
    for (int i = 0; i < 200; ++i)
        items.append(
            Item(captions[(i * 7) % 9], extensions[(i * 5) % 4], i % 3 == 0, states[(i * 3) % 5]));
    SortFlags down;
    down.SortAscending = {false, false, false};
    for (const SortFlags &flags : {SortFlags {}, down}) {
        for (const SortMode mode : {SortMode::MarkedFirst, SortMode::ByCaption,
                                    SortMode::ByExtension, SortMode::ByState}) {
            const ItemOrder order(mode, flags);
            const std::vector<int> rows = SortedOrder(items, mode, flags);
            ASSERT_EQ(rows.size(), static_cast<std::size_t>(items.size()));
            std::vector<int> seen = rows;
            std::sort(seen.begin(), seen.end());
            for (int i = 0; i < items.size(); ++i)
                ASSERT_EQ(seen[static_cast<std::size_t>(i)], i) << "not a permutation";
            for (std::size_t i = 1; i < rows.size(); ++i) {
                const int c = order.Compare(items.at(rows[i - 1]), items.at(rows[i]));
                EXPECT_TRUE(c < 0 || (c == 0 && rows[i - 1] < rows[i]))
                    << "mode " << static_cast<int>(mode) << " at " << i;
            }
        }
    }
}

// Checks that SortedOrder puts the items in the comparator's order, with ties kept in their
// listed order or by their names on disk.
void ExpectSortedOrder(const QList<FileItem> &items, SortMode mode, const SortFlags &flags,
                       Ties ties, const char *what)
{
    const ItemOrder order(mode, flags);
    const std::vector<int> rows = SortedOrder(items, mode, flags, ties);
    ASSERT_EQ(rows.size(), static_cast<std::size_t>(items.size())) << what;
    for (std::size_t i = 1; i < rows.size(); ++i) {
        const FileItem &a = items.at(rows[i - 1]);
        const FileItem &b = items.at(rows[i]);
        const int c = order.Compare(a, b);
        const bool tieOk = ties == Ties::Kept ? rows[i - 1] < rows[i] : a.diskName <= b.diskName;
        EXPECT_TRUE(c < 0 || (c == 0 && tieOk))
            << what << ": mode " << static_cast<int>(mode) << " ties " << static_cast<int>(ties)
            << " ascending " << order.Ascending() << " at " << i << ": " << a.caption.toStdString()
            << " / " << b.caption.toStdString();
    }
}

// Names that share long beginnings, that the first round of the collation passes over in part,
// beyond the first table, case twins and names equal but for their bytes: three items of each,
// every fourth one marked.
QList<FileItem> HardToSortItems()
{
    const char *stems[] = {"report-000126-final",
                           "report000126final",
                           "REPORT-000126-FINAL",
                           "report-000126-finale",
                           "report-000126-fina",
                           "report'000126-final",
                           "reportage",
                           "report",
                           "report-000127",
                           "отчёт-000126",
                           "отчет-000126",
                           "報告-000126",
                           "報告-000125",
                           "img_2023_0101_1200",
                           "IMG_2023_0101_1201",
                           "img_2023_0101_120",
                           "a-b-c-d-e-f-g-h-i-j-k",
                           "abcdefghijk",
                           "Ab",
                           "ab",
                           ""};
    QList<FileItem> items;
    int n = 0;
    for (const char *stem : stems) {
        for (int copy = 0; copy < 3; ++copy, ++n) {
            FileItem item = Item(u"");
            item.caption = test::U(stem);
            item.checked = n % 4 == 0;
            item.diskName = (item.caption + u'.' + QString::number(n % 7)).toUtf8();
            items.append(item);
        }
    }
    return items;
}

TEST(FileOrder, SortedOrderAgreesWithTheComparatorBeyondTheFirstCharacters)
{
    // The sort decides most pairs by the first characters alone; the hard names must still come
    // out exactly as the comparator has them, in both directions, ties by the names on disk too.
    QList<FileItem> items = HardToSortItems();
    // Shuffled the same way every run, so that the input order says nothing of the result.
    for (qsizetype i = items.size() - 1; i > 0; --i)
        items.swapItemsAt(i, (i * 7919) % (i + 1));
    SortFlags down;
    down.SortAscending = {false, false, false};
    for (const SortFlags &flags : {SortFlags {}, down})
        for (const SortMode mode : {SortMode::MarkedFirst, SortMode::ByCaption})
            for (const Ties ties : {Ties::Kept, Ties::ByDiskName})
                ExpectSortedOrder(items, mode, flags, ties, "shuffled");
}

TEST(FileOrder, SortedOrderOfRowsAlmostInOrder)
{
    // After a pass the rows stand in caption order with marks among them; sorting them again
    // only puts the marked ones apart. One pair of rows out of place anywhere must still be
    // sorted.
    SortFlags down;
    down.SortAscending = {false, false, false};
    for (const SortFlags &flags : {SortFlags {}, down}) {
        for (const Ties ties : {Ties::Kept, Ties::ByDiskName}) {
            const QList<FileItem> hard = HardToSortItems();
            QList<FileItem> sorted;
            for (const int row : SortedOrder(hard, SortMode::ByCaption, flags, ties))
                sorted.append(hard.at(row));
            for (const SortMode mode : {SortMode::MarkedFirst, SortMode::ByCaption}) {
                ExpectSortedOrder(sorted, mode, flags, ties, "in order");
                // Each neighbour pair swapped in turn: among them pairs in one group, pairs
                // in two, and pairs that compare equal.
                for (qsizetype i = 1; i < sorted.size(); ++i) {
                    QList<FileItem> swapped = sorted;
                    swapped.swapItemsAt(i - 1, i);
                    ExpectSortedOrder(swapped, mode, flags, ties, "one pair swapped");
                }
            }
        }
    }
}

TEST(FileOrder, HeaderClicksAlternateAndResetTheOtherFlags)
{
    List l {Item(u"b", u"y"), Item(u"a", u"z"), Item(u"c", u"x")};
    // As right after a scan that followed a folder choice: ascending by caption, first flag clear.
    l.flags.SetAll();
    SortAfterScan(l.model, l.flags);
    EXPECT_EQ(l.Captions(), (QStringList {u"a"_qs, u"b"_qs, u"c"_qs}));

    SortByColumn(l.model, l.flags, 0);
    EXPECT_EQ(l.Captions(), (QStringList {u"c"_qs, u"b"_qs, u"a"_qs}));
    SortByColumn(l.model, l.flags, 0);
    EXPECT_EQ(l.Captions(), (QStringList {u"a"_qs, u"b"_qs, u"c"_qs}));
    EXPECT_FALSE(l.flags.SortAscending[0]);

    SortByColumn(l.model, l.flags, 1); // ascending by extension, sets the first flag again
    EXPECT_EQ(l.Extensions(), (QStringList {u"x"_qs, u"y"_qs, u"z"_qs}));
    EXPECT_EQ(l.flags.SortAscending, (std::array<bool, 3> {true, false, true}));
    SortByColumn(l.model, l.flags, 0); // so this sorts ascending
    EXPECT_EQ(l.Captions(), (QStringList {u"a"_qs, u"b"_qs, u"c"_qs}));
}

TEST(FileOrder, MarkedFirstAfterAPass)
{
    List l {Item(u"d"), Item(u"c", u"", true), Item(u"B"), Item(u"a", u"", true)};
    l.flags.SortAscending = {false, false, false};
    SortMarkedFirst(l.model, l.flags);
    EXPECT_EQ(l.Captions(), (QStringList {u"a"_qs, u"c"_qs, u"B"_qs, u"d"_qs}));
    EXPECT_EQ(l.flags.SortAscending, (std::array<bool, 3> {true, true, true}));
}

TEST(FileOrder, SortIsStableForEqualCaptions)
{
    List l {Item(u"readme", u"1"), Item(u"README", u"2"), Item(u"ReadMe", u"3"), Item(u"a", u"4")};
    SortItems(l.model, SortMode::ByCaption, l.flags);
    EXPECT_EQ(l.Extensions(), (QStringList {u"4"_qs, u"1"_qs, u"2"_qs, u"3"_qs}));
}

TEST(FileListModel, ReorderPutsEveryItemWhereTheOrderSays)
{
    const std::vector<std::vector<int>> orders {
        {},
        {0},
        {0, 1, 2, 3, 4},
        {4, 3, 2, 1, 0},
        {1, 2, 3, 4, 0}, // one cycle through every row
        {1, 0, 3, 2, 4}, // two swaps and a row in place
        {2, 0, 1, 4, 3}, // a cycle of three and a swap
    };
    for (const std::vector<int> &order : orders) {
        List l {};
        QStringList expected;
        for (std::size_t i = 0; i < order.size(); ++i) {
            FileItem item = Item(u"n");
            item.extension = QString::number(i);
            l.model.Append(item);
        }
        for (const int row : order)
            expected.append(QString::number(row));
        l.model.Reorder(order);
        EXPECT_EQ(l.Extensions(), expected) << order.size();
    }
}

TEST(FileListModel, ChecksAndEditsGoThroughTheModel)
{
    List l {Item(u"one"), Item(u"two")};
    const QModelIndex two = l.model.index(1, 0);
    EXPECT_TRUE(l.model.setData(two, Qt::Checked, Qt::CheckStateRole));
    EXPECT_TRUE(l.model.at(1).checked);
    EXPECT_TRUE(l.model.AnyChecked());

    EXPECT_TRUE(l.model.flags(two) & Qt::ItemIsEditable);
    l.model.SetCaptionsEditable(false);
    EXPECT_FALSE(l.model.flags(two) & Qt::ItemIsEditable);
    EXPECT_TRUE(l.model.flags(two) & Qt::ItemIsUserCheckable); // marks still work while busy
    EXPECT_FALSE(l.model.setData(two, u"TWO"_qs, Qt::EditRole));
    l.model.SetCaptionsEditable(true);

    QString seen;
    l.model.SetEditHandler(
        [&](int row, const QString &text) { seen = QString::number(row) + text; });
    EXPECT_TRUE(l.model.setData(two, u"TWO"_qs, Qt::EditRole));
    EXPECT_EQ(seen, u"1TWO");
    EXPECT_EQ(l.model.at(1).caption, u"two"); // the handler decides
    EXPECT_FALSE(l.model.flags(l.model.index(0, 1)) & Qt::ItemIsEditable);
    EXPECT_EQ(l.model.headerData(2, Qt::Horizontal, Qt::DisplayRole).toString(), u"Состояние");
}

TEST(FileListModel, ShowsEachStateByItsText)
{
    const struct {
        ItemState state;
        const char16_t *text;
    } rows[] = {
        {ItemState::Unprocessed, u"Не обработано"},   {ItemState::Recognised, u"Распознано"},
        {ItemState::Unrecognised, u"Не распознано"},  {ItemState::Added, u"Добавлено"},
        {ItemState::NotRenamed, u"Не переименовано"},
    };
    List l {};
    for (const auto &r : rows)
        l.model.Append(Item(u"x", u"", false, r.state));
    for (int row = 0; row < l.model.size(); ++row)
        EXPECT_EQ(l.model.data(l.model.index(row, FileListModel::kStateColumn), Qt::DisplayRole)
                      .toString(),
                  QString::fromUtf16(rows[row].text));
}

} // namespace
} // namespace vl
