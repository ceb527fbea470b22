// Folders whose path is longer than the kernel takes in one call (PATH_MAX): the file system seam
// must list, rename and test them all the same, as a recursive pass reaches them.

#include "VLMain/core/FolderScan.h"
#include "VLMain/core/RenamePass.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <stdexcept>

namespace vl {
namespace {

using test::TempFolder;

// Removes everything below the open folder, by handles, as a path would be too long.
void RemoveBelow(int folder)
{
    DIR *d = ::fdopendir(::dup(folder));
    if (!d)
        return;
    QList<QByteArray> names;
    while (const dirent *e = ::readdir(d)) {
        const QByteArray name(e->d_name);
        if (name != "." && name != "..")
            names << name;
    }
    ::closedir(d);
    for (const QByteArray &name : names) {
        if (::unlinkat(folder, name.constData(), 0) == 0)
            continue;
        const int sub = ::openat(folder, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
        if (sub >= 0) {
            RemoveBelow(sub);
            ::close(sub);
        }
        ::unlinkat(folder, name.constData(), AT_REMOVEDIR);
    }
}

// A chain of folders below a temporary folder, deep enough that the path of the last one is
// longer than PATH_MAX; the last one holds a few files and one subfolder.
class DeepFolder
{
public:
    DeepFolder()
    {
        int fd = ::open(top_.nativePath().constData(), O_RDONLY | O_DIRECTORY);
        path_ = top_.nativePath();
        for (int level = 0; path_.size() <= PATH_MAX + 200; ++level) {
            const QByteArray name = QByteArray::number(level) + '-' + QByteArray(200, 'd');
            const int next = ::mkdirat(fd, name.constData(), 0755) == 0
                                 ? ::openat(fd, name.constData(), O_RDONLY | O_DIRECTORY)
                                 : -1;
            ::close(fd);
            if (next < 0)
                throw std::runtime_error("cannot make the deep folders");
            fd = next;
            path_ += name + '/';
        }
        for (const char *file : {"readme.TXT", "setup.EXE", "kvartal.doc"}) {
            const int f = ::openat(fd, file, O_WRONLY | O_CREAT | O_EXCL, 0644);
            if (f < 0 || ::write(f, file, 3) != 3)
                throw std::runtime_error("cannot make a deep file");
            ::close(f);
        }
        ::mkdirat(fd, "sub", 0755);
        ::close(fd);
    }
    ~DeepFolder()
    {
        const int fd = ::open(top_.nativePath().constData(), O_RDONLY | O_DIRECTORY);
        if (fd >= 0) {
            RemoveBelow(fd);
            ::close(fd);
        }
    }
    DeepFolder(const DeepFolder &) = delete;
    DeepFolder &operator=(const DeepFolder &) = delete;

    // The deepest folder's path, ending in "/".
    const QByteArray &path() const { return path_; }
    QList<QByteArray> Names() const
    {
        QList<QByteArray> names;
        SystemFileSystem().ListNames(path_, names);
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    TempFolder top_;
    QByteArray path_;
};

TEST(DeepFolder, EveryCallOfTheSeamWorksBelowTheLongestPath)
{
    const DeepFolder deep;
    ASSERT_GT(deep.path().size(), PATH_MAX);
    FileSystem &fs = SystemFileSystem();
    const QList<QByteArray> listed {"kvartal.doc", "readme.TXT", "setup.EXE", "sub"};

    // The same folder spelt with doubled and "." components, and without its trailing "/".
    QByteArray doubled = deep.path();
    doubled.replace("/", "//");
    const QByteArray dotted = deep.path().chopped(1) + "/./";
    for (const QByteArray &path : {deep.path(), doubled, dotted}) {
        SCOPED_TRACE(path.size());
        QList<QByteArray> names;
        ASSERT_EQ(fs.ListNames(path, names), 0);
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names, listed);

        QList<QByteArray> files;
        const auto listing = fs.NewListing();
        DirectoryEntry e;
        for (int r = listing->Start(path + "*.*", 63, e); r == 0; r = listing->Next(e))
            if (IsPlainFile(e.attributes))
                files << e.name;
        listing->Close();
        std::sort(files.begin(), files.end());
        EXPECT_EQ(files, (QList<QByteArray> {"kvartal.doc", "readme.TXT", "setup.EXE"}));

        FolderIdentity identity;
        QList<QByteArray> subfolders;
        EXPECT_EQ(fs.ListSubfolders(path, identity, &subfolders), 0);
        EXPECT_EQ(subfolders, QList<QByteArray> {"sub"});
        EXPECT_NE(identity.inode, 0u);
        EXPECT_EQ(fs.WriteAccess(path), 0);
        bool same = true;
        EXPECT_EQ(fs.SameFile(path, "readme.TXT", "setup.EXE", same), 0);
        EXPECT_FALSE(same);
    }

    // Renames by path, and in the held folder, never replace a file.
    EXPECT_EQ(fs.RenameNoReplace(deep.path(), "setup.EXE", "kvartal.doc"), EEXIST);
    EXPECT_EQ(fs.RenameNoReplace(deep.path(), "setup.EXE", "Setup.exe"), 0);
    {
        const FolderHold hold(fs, deep.path());
        EXPECT_EQ(fs.RenameNoReplace(deep.path(), "Setup.exe", "SETUP.exe"), 0);
    }
    EXPECT_EQ(fs.RenameNoReplace(deep.path(), "gone", "x"), ENOENT);
    EXPECT_EQ(deep.Names(), (QList<QByteArray> {"SETUP.exe", "kvartal.doc", "readme.TXT", "sub"}));

    // A folder below the deep one that is not there is reported as such, not as too long.
    QList<QByteArray> names;
    EXPECT_EQ(fs.ListNames(deep.path() + "missing/", names), ENOENT);
    FolderIdentity identity;
    EXPECT_EQ(fs.ListSubfolders(deep.path() + "missing/", identity, nullptr), ENOENT);
}

TEST(DeepFolder, ScanAndPassRenameThere)
{
    const DeepFolder deep;
    FileListModel model;
    SortFlags flags;
    ScanHooks scanHooks;
    FolderScanner(model, flags, scanHooks, SystemFileSystem())
        .ScanFolder(QString::fromUtf8(deep.path()));
    ASSERT_EQ(model.size(), 3);

    struct : RenamePassHooks {
        void BeforeItem(int, int, const QString &) override { }
    } hooks;
    const PassReport report = RenameFiles(QString::fromUtf8(deep.path()), model,
                                          test::BuiltinDictionaries(), SystemFileSystem(), hooks);
    EXPECT_EQ(report.renamed, 2);
    EXPECT_EQ(report.failed, 0) << report.failures.join(u'\n').toStdString();
    EXPECT_EQ(deep.Names(), (QList<QByteArray> {"ReadMe.txt", "Setup.exe", "kvartal.doc", "sub"}));
}

} // namespace
} // namespace vl
