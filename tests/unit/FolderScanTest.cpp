#include "VLMain/core/FolderScan.h"
#include "VLMain/core/RenamePass.h"

#include "support/TestSupport.h"

#include <QAbstractItemModelTester>
#include <QCoreApplication>
#include <QFile>
#include <QMap>

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <functional>
#include <optional>

namespace vl {
namespace {

using test::TempFolder;
using test::U;

struct RecordingHooks : ScanHooks {
    void ProcessMessages() override
    {
        ++processed;
        if (onProcess)
            onProcess();
    }
    void SetAddButtonEnabled(bool e) override { addEnabled = e; }
    void SetRenameButtonEnabled(bool e) override { renameEnabled = e; }
    int processed = 0;
    bool addEnabled = true;
    bool renameEnabled = false;
    std::function<void()> onProcess;
};

struct Scan {
    FileListModel model;
    SortFlags flags;
    RecordingHooks hooks;
    QAbstractItemModelTester tester {&model, QAbstractItemModelTester::FailureReportingMode::Fatal};
    FolderScanner scanner {model, flags, hooks, SystemFileSystem()};

    QStringList Captions() const
    {
        QStringList c;
        for (const FileItem &i : model.items())
            c << i.caption + u'|' + i.extension;
        return c;
    }
};

TEST(FolderScan, ListsThePlainFilesOfTheExampleFolder)
{
    TempFolder dir;
    dir.AddFile(u"report.final.doc"_qs);
    dir.AddFile(u"README"_qs);
    dir.AddFile(u".profile"_qs);
    dir.AddFolder(u"docs"_qs);
    Scan s;
    s.scanner.ScanFolder(dir.path());
    ASSERT_EQ(s.model.size(), 3);
    EXPECT_EQ(s.Captions(), (QStringList {u"|profile"_qs, u"README|"_qs, u"report.final|doc"_qs}));
    for (const FileItem &item : s.model.items()) {
        EXPECT_EQ(item.state, ItemState::Unprocessed);
        EXPECT_FALSE(item.checked);
    }
    EXPECT_EQ(s.model.at(0).diskName, ".profile");
    EXPECT_EQ(s.hooks.processed, 3); // once per added item, not per skipped entry
    EXPECT_FALSE(s.hooks.addEnabled);
    EXPECT_TRUE(s.hooks.renameEnabled);
    EXPECT_FALSE(s.flags.SortAscending[0]); // the scan inverted the first flag
    EXPECT_TRUE(s.flags.SortAscending[1]);
}

TEST(FolderScan, ListsHiddenReadOnlyAndLinkedFilesButNoSpecialFiles)
{
    TempFolder dir;
    dir.AddFile(u".hidden"_qs);
    dir.AddFile(u"locked.txt"_qs);
    ::chmod(QByteArray(dir.nativePath() + "locked.txt").constData(), 0444);
    dir.AddFolder(u"sub"_qs);
    ASSERT_EQ(::symlink("locked.txt", QByteArray(dir.nativePath() + "link.txt").constData()), 0);
    ASSERT_EQ(::symlink("nowhere", QByteArray(dir.nativePath() + "dangling").constData()), 0);
    ASSERT_EQ(::symlink("sub", QByteArray(dir.nativePath() + "sublink").constData()), 0);
    ASSERT_EQ(::mkfifo(QByteArray(dir.nativePath() + "pipe").constData(), 0644), 0);
    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr {};
    addr.sun_family = AF_UNIX;
    const QByteArray sockPath = dir.nativePath() + "sock";
    if (sockPath.size() < static_cast<qsizetype>(sizeof addr.sun_path)) {
        std::copy(sockPath.begin(), sockPath.end(), addr.sun_path);
        ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr *>(&addr), sizeof addr), 0);
    }
    ::close(sock);

    Scan s;
    s.scanner.ScanFolder(dir.path());
    EXPECT_EQ(s.Captions(),
              (QStringList {u"|hidden"_qs, u"dangling|"_qs, u"link|txt"_qs, u"locked|txt"_qs}));

    // The listing that tells kinds alone (the scan's) lists every entry as the full one does,
    // with the same bits but the read-only one.
    const auto list = [&](std::unique_ptr<DirectoryListing> listing) {
        QMap<QByteArray, qint32> entries;
        DirectoryEntry e;
        for (int r = listing->Start(dir.nativePath() + "*.*", 63, e); r == 0; r = listing->Next(e))
            entries.insert(e.name, e.attributes & ~kAttrReadOnly);
        return entries;
    };
    const QMap<QByteArray, qint32> full = list(SystemFileSystem().NewListing());
    EXPECT_EQ(list(SystemFileSystem().NewKindListing()), full);
    EXPECT_EQ(full.size(), 8); // ".", "..", the folder, the three files and the two links
}

TEST(FolderScan, EmptyMissingAndUnreadableFoldersGiveAnEmptyList)
{
    TempFolder empty;
    TempFolder onlyFolders;
    onlyFolders.AddFolder(u"a"_qs);
    onlyFolders.AddFolder(u"b"_qs);
    TempFolder withFile;
    withFile.AddFile(u"plain"_qs);
    const QString cases[] = {
        empty.path(), onlyFolders.path(), empty.path() + u"missing/",
        withFile.path() + u"plain/", // not a folder
    };
    for (const QString &folder : cases) {
        Scan s;
        s.hooks.renameEnabled = true;
        s.scanner.ScanFolder(folder);
        EXPECT_TRUE(s.model.isEmpty()) << folder.toStdString();
        EXPECT_FALSE(s.hooks.renameEnabled) << folder.toStdString();
        EXPECT_FALSE(s.flags.SortAscending[0]) << "the sort still runs and inverts the flag";
    }
}

TEST(FolderScan, PathWithoutTrailingSeparatorIsSearchedAsWithOne)
{
    TempFolder dir;
    dir.AddFile(u"a.txt"_qs);
    QString path = dir.path();
    path.chop(1);
    Scan s;
    s.scanner.ScanFolder(path);
    EXPECT_EQ(s.Captions(), QStringList {u"a|txt"_qs});
}

TEST(FolderScan, NameThatIsNotUtf8KeepsItsBytes)
{
    TempFolder dir;
    const QByteArray name("caf\xE9.TXT", 8); // Windows-1252 bytes, not UTF-8
    dir.AddFile(name);
    Scan s;
    s.scanner.ScanFolder(dir.path());
    ASSERT_EQ(s.model.size(), 1);
    EXPECT_EQ(s.model.at(0).diskName, name);
    EXPECT_FALSE(s.model.at(0).nameIsText);
    EXPECT_EQ(s.model.at(0).caption, U("caf\xEF\xBF\xBD")); // shown with a replacement character
}

TEST(MakeFileItem, CutsTheNameAtItsLastDot)
{
    // ASCII names take a shorter way than others: both must cut alike.
    const struct {
        QByteArray name;
        const char *caption;
        const char *extension;
        bool text;
    } cases[] = {
        {"readme.TXT", "readme", "TXT", true},
        {"noext", "noext", "", true},
        {".hidden", "", "hidden", true},
        {"trailing.", "trailing", "", true},
        {"a.b.c", "a.b", "c", true},
        {"..", ".", "", true},
        {"tab\t\x7f.x", "tab\t\x7f", "x", true},
        {"отчёт.дом.DOC", "отчёт.дом", "DOC", true},
        {"read.мe", "read", "мe", true},
        {QByteArray("caf\xE9.t\xE9xt", 9), "caf\xEF\xBF\xBD", "t\xEF\xBF\xBDxt", false},
    };
    for (const auto &c : cases) {
        const FileItem item = MakeFileItem(c.name);
        EXPECT_EQ(item.caption, U(c.caption)) << c.name.toStdString();
        EXPECT_EQ(item.extension, U(c.extension)) << c.name.toStdString();
        EXPECT_EQ(item.extension.isNull(), !c.name.contains('.')) << c.name.toStdString();
        EXPECT_EQ(item.nameIsText, c.text) << c.name.toStdString();
        EXPECT_EQ(item.diskName, c.name);
        EXPECT_EQ(item.state, ItemState::Unprocessed);
    }
}

TEST(MakeFileItem, ItemsOfOneListingShareTheirExtensions)
{
    // The same items as one at a time, whatever the extensions that came before.
    const QByteArray names[]
        = {"a.JPG",     "b.JPG", "c.PDF", "d.jpg",     "e.JPG",
           "trailing.", "f.",    "noext", "g.INF",     "h.TXT",
           "i.DOC",     "j.EXE", "k.PDF", "отчёт.PDF", QByteArray("caf\xE9.JPG", 8),
           "l.a",       "m.b",   "n.c",   "o.d",       "p.e",
           "q.f",       "r.g",   "s.h",   "t.i",       "u.j",
           "v.k",       "w.l",   "x.m",   "y.JPG"};
    FileItemMaker maker;
    QList<FileItem> made;
    for (const QByteArray &name : names) {
        const FileItem alone = MakeFileItem(name);
        made.append(maker.Make(name));
        const FileItem &item = made.last();
        EXPECT_EQ(item.caption, alone.caption) << name.toStdString();
        EXPECT_EQ(item.extension, alone.extension) << name.toStdString();
        EXPECT_EQ(item.extension.isNull(), alone.extension.isNull()) << name.toStdString();
        EXPECT_EQ(item.nameIsText, alone.nameIsText) << name.toStdString();
        EXPECT_EQ(item.diskName, name);
    }
    // «a.JPG» and «b.JPG» hold one copy of «JPG»; a change to one leaves the other as it was.
    EXPECT_EQ(made.at(0).extension.constData(), made.at(1).extension.constData());
    made[0].extension = u"png"_qs;
    EXPECT_EQ(made.at(1).extension, u"JPG"_qs);
}

TEST(FolderScan, ScanRequestedDuringAScanRestartsWithTheNewFolder)
{
    TempFolder first;
    TempFolder second;
    for (int i = 0; i < 5; ++i)
        first.AddFile(QString(u"first%1"_qs).arg(i));
    second.AddFile(u"second.txt"_qs);
    Scan s;
    bool requested = false;
    s.hooks.onProcess = [&] {
        if (!requested) {
            requested = true;
            s.scanner.ScanFolder(second.path()); // as a folder choice in the message loop would
            EXPECT_TRUE(s.scanner.IsScanning());
        }
    };
    s.scanner.ScanFolder(first.path());
    EXPECT_EQ(s.Captions(), QStringList {u"second|txt"_qs});
    EXPECT_FALSE(s.scanner.IsScanning());
    EXPECT_FALSE(s.flags.SortAscending[0]); // inverted once, by the scan that finished
}

// A listing that fails in the middle, to check that what was listed stays.
class FailingListing final : public DirectoryListing
{
public:
    int Start(const QByteArray &, qint32, DirectoryEntry &e) override { return Next(e); }
    int Next(DirectoryEntry &e) override
    {
        if (n_ == 2)
            return EIO;
        e.name = n_++ == 0 ? "b.txt" : "a.txt";
        e.attributes = kAttrArchive;
        return 0;
    }
    void Close() override { closed = true; }
    bool closed = false;

private:
    int n_ = 0;
};

class FailingFileSystem final : public test::ForwardingFileSystem
{
public:
    std::unique_ptr<DirectoryListing> NewListing() override
    {
        return std::make_unique<FailingListing>();
    }
    int RenameNoReplace(const QByteArray &, const QByteArray &, const QByteArray &) override
    {
        return EIO;
    }
    int ListNames(const QByteArray &, QList<QByteArray> &) override { return EIO; }
};

TEST(FolderScan, ErrorInTheMiddleKeepsWhatWasListed)
{
    FileListModel model;
    SortFlags flags;
    RecordingHooks hooks;
    FailingFileSystem fs;
    FolderScanner scanner(model, flags, hooks, fs);
    scanner.ScanFolder(u"/anywhere/"_qs);
    ASSERT_EQ(model.size(), 2);
    EXPECT_EQ(model.at(0).caption, u"a");
    EXPECT_TRUE(hooks.renameEnabled);
}

// The real folder's entries, handed out in an order the test chooses.
class OrderedListing final : public DirectoryListing
{
public:
    explicit OrderedListing(const std::function<void(QList<DirectoryEntry> &)> &reorder) :
        reorder_(reorder)
    { }
    int Start(const QByteArray &pattern, qint32 mask, DirectoryEntry &e) override
    {
        entries_.clear();
        const auto real = SystemFileSystem().NewListing();
        for (int r = real->Start(pattern, mask, e); r == 0; r = real->Next(e))
            entries_.append(e);
        real->Close();
        reorder_(entries_);
        next_ = 0;
        return Next(e);
    }
    int Next(DirectoryEntry &e) override
    {
        if (next_ >= entries_.size())
            return ENOENT;
        e = entries_.at(next_++);
        return 0;
    }
    void Close() override { }

private:
    std::function<void(QList<DirectoryEntry> &)> reorder_;
    QList<DirectoryEntry> entries_;
    qsizetype next_ = 0;
};

class OrderedFileSystem final : public test::ForwardingFileSystem
{
public:
    std::function<void(QList<DirectoryEntry> &)> reorder;
    std::unique_ptr<DirectoryListing> NewListing() override
    {
        return std::make_unique<OrderedListing>(reorder);
    }
};

struct QuietPass : RenamePassHooks {
    void BeforeItem(int, int, const QString &) override { }
};

TEST(FolderScan, CaseTwinsTakeTheSameOrderWhateverTheListingOrder)
{
    // Four names that all want «ReadMe.txt», and one other file between them.
    const QList<QByteArray> twins {"readme.TXT", "README.txt", "Readme.Txt", "ReadMe.TXT"};
    QList<int> permutation {0, 1, 2, 3, 4};
    std::optional<QList<QByteArray>> firstOrder[2]; // descending, ascending
    std::optional<QByteArray> firstWinner;
    int listings = 0;
    do {
        for (const bool ascending : {true, false}) {
            SCOPED_TRACE(::testing::Message()
                         << "listing " << listings << " ascending " << ascending);
            TempFolder dir;
            for (const QByteArray &name : twins)
                dir.AddFile(name, name);
            dir.AddFile(QByteArray("readme-2.TXT"));
            OrderedFileSystem fs;
            fs.reorder = [&](QList<DirectoryEntry> &entries) {
                std::sort(entries.begin(), entries.end(),
                          [](const DirectoryEntry &a, const DirectoryEntry &b) {
                              return a.name < b.name;
                          });
                QList<DirectoryEntry> files, rest;
                for (const DirectoryEntry &e : entries)
                    (IsPlainFile(e.attributes) && e.name != "." ? files : rest).append(e);
                ASSERT_EQ(files.size(), permutation.size());
                for (const int i : permutation)
                    rest.append(files.at(i));
                entries = rest;
            };
            FileListModel model;
            SortFlags flags;
            flags.SortAscending[0] = ascending;
            RecordingHooks hooks;
            FolderScanner(model, flags, hooks, fs).ScanFolder(dir.path());
            ASSERT_EQ(model.size(), 5);
            QList<QByteArray> order;
            for (const FileItem &item : model.items())
                order << item.diskName;
            // Each listing gives the same list.
            std::optional<QList<QByteArray>> &first = firstOrder[ascending ? 1 : 0];
            if (!first)
                first = order;
            EXPECT_EQ(order, *first);

            // The twin that gets the styled name is the same each time; the others keep theirs.
            QuietPass pass;
            RenameFiles(dir.path(), model, test::BuiltinDictionaries(), fs, pass);
            const QByteArray winner = dir.Contents("ReadMe.txt");
            if (!firstWinner)
                firstWinner = winner;
            EXPECT_EQ(winner, *firstWinner);
            EXPECT_EQ(dir.Names().size(), 5);
        }
        ++listings;
    } while (std::next_permutation(permutation.begin(), permutation.end()));
    EXPECT_EQ(listings, 120);
    // Byte order: the upper-case spelling of the listing comes first.
    EXPECT_EQ(*firstWinner, "README.txt");
}

TEST(DirectoryListing, AttributeMaskExcludesEntries)
{
    EXPECT_EQ(ExclusionSet(63), 0);
    EXPECT_EQ(ExclusionSet(0), kAttrHidden | kAttrSystem | kAttrVolumeLabel | kAttrDirectory);
    EXPECT_EQ(ExclusionSet(kAttrDirectory | kAttrReadOnly),
              kAttrHidden | kAttrSystem | kAttrVolumeLabel);
    EXPECT_FALSE(IsPlainFile(-1));
    EXPECT_FALSE(IsPlainFile(kAttrDirectory | kAttrHidden));
    EXPECT_TRUE(IsPlainFile(kAttrHidden | kAttrSystem | kAttrReadOnly | kAttrArchive));
    EXPECT_TRUE(IsPlainFile(0));

    TempFolder dir;
    dir.AddFile(u".hidden"_qs);
    dir.AddFile(u"shown"_qs);
    dir.AddFolder(u"sub"_qs);
    const auto list = [&](qint32 mask) {
        QStringList names;
        auto listing = SystemFileSystem().NewListing();
        DirectoryEntry e;
        for (int r = listing->Start(dir.nativePath() + "*.*", mask, e); r == 0;
             r = listing->Next(e))
            names << QString::fromUtf8(e.name);
        names.sort();
        return names;
    };
    EXPECT_EQ(list(63), (QStringList {u"."_qs, u".."_qs, u".hidden"_qs, u"shown"_qs, u"sub"_qs}));
    EXPECT_EQ(list(0), QStringList {u"shown"_qs});
    EXPECT_EQ(list(kAttrDirectory), (QStringList {u"."_qs, u".."_qs, u"shown"_qs, u"sub"_qs}));
}

} // namespace
} // namespace vl
