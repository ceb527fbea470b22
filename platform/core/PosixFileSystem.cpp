#include "platform/core/FileSystem.h"

#include <QFile>
#include <QHash>

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>

namespace vl {

qint32 ExclusionSet(qint32 mask)
{
    constexpr qint32 kExcludable = kAttrHidden | kAttrSystem | kAttrVolumeLabel | kAttrDirectory;
    return ~mask & kExcludable;
}

bool IsPlainFile(qint32 attributes)
{
    return attributes != kInvalidAttributes && (attributes & kAttrDirectory) == 0;
}

namespace {

// The longest path the kernel takes in one call; a longer one fails with ENAMETOOLONG.
constexpr qsizetype kLongestPath = PATH_MAX - 1;

bool IsDots(const char *n)
{
    return n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0));
}

// Opens a folder whatever the length of its path: a path too long for the kernel is opened a
// piece at a time, each piece relative to the folder that the one before opened, which resolves
// it as the kernel would resolve the whole. A file descriptor, or -1 with errno set.
int OpenFolder(const QByteArray &path, int flags)
{
    const QByteArray whole = path.isEmpty() ? QByteArrayLiteral(".") : path;
    flags |= O_DIRECTORY | O_CLOEXEC;
    if (whole.size() <= kLongestPath)
        return ::open(whole.constData(), flags);
    constexpr qsizetype kPiece = PATH_MAX / 2; // far above the longest name, NAME_MAX
    int dir = AT_FDCWD;
    qsizetype at = 0;
    while (whole.size() - at > kPiece) {
        // The piece ends at the last "/" that keeps it short enough.
        const qsizetype slash = whole.lastIndexOf('/', at + kPiece - 1);
        if (slash < at) {
            if (dir != AT_FDCWD)
                ::close(dir);
            errno = ENAMETOOLONG;
            return -1;
        }
        const QByteArray piece = slash == 0 ? QByteArrayLiteral("/") : whole.sliced(at, slash - at);
        const int next = ::openat(dir, piece.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        const int error = errno;
        if (dir != AT_FDCWD)
            ::close(dir);
        if (next < 0) {
            errno = error;
            return -1;
        }
        dir = next;
        // Every piece after the first is relative: one that began with "/" would start again at
        // the root.
        for (at = slash + 1; at < whole.size() && whole.at(at) == '/';)
            ++at;
    }
    const QByteArray rest = at == whole.size() ? QByteArrayLiteral(".") : whole.sliced(at);
    const int fd = ::openat(dir, rest.constData(), flags);
    const int error = errno;
    if (dir != AT_FDCWD)
        ::close(dir);
    errno = error;
    return fd;
}

// Opens a folder for reading its entries, whatever the length of its path.
DIR *OpenDirectory(const QByteArray &path)
{
    const int fd = OpenFolder(path, O_RDONLY);
    if (fd < 0)
        return nullptr;
    DIR *d = ::fdopendir(fd);
    if (!d) {
        const int error = errno;
        ::close(fd);
        errno = error;
    }
    return d;
}

// Where names of one folder are resolved: by their whole path when it is short enough for the
// kernel, else against the folder opened by OpenFolder.
class FolderAt
{
public:
    FolderAt(const QByteArray &folder, qsizetype longestName) : folder_(folder)
    {
        if (folder.size() + 1 + longestName <= kLongestPath)
            return;
        fd_ = OpenFolder(folder, O_PATH);
        if (fd_ < 0)
            error_ = errno;
    }
    ~FolderAt()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    FolderAt(const FolderAt &) = delete;
    FolderAt &operator=(const FolderAt &) = delete;

    // 0, or the errno of a folder that could not be opened.
    int error() const { return error_; }
    int fd() const { return fd_ >= 0 ? fd_ : AT_FDCWD; }
    QByteArray Path(const QByteArray &name) const;

private:
    QByteArray folder_;
    int fd_ = -1;
    int error_ = 0;
};

class PosixListing final : public DirectoryListing
{
public:
    // kindsOnly: the read-only bit is not needed, so a plain file or a folder that the folder's
    // entry itself names as such is not looked at.
    explicit PosixListing(bool kindsOnly = false) : kindsOnly_(kindsOnly) { }
    ~PosixListing() override { Close(); }

    int Start(const QByteArray &pattern, qint32 mask, DirectoryEntry &entry) override
    {
        Close();
        QByteArray folder = pattern;
        if (folder.endsWith("*.*"))
            folder.chop(3);
        if (folder.isEmpty())
            folder = "./";
        dir_ = OpenDirectory(folder);
        if (!dir_)
            return errno ? errno : ENOENT;
        exclusion_ = ExclusionSet(mask);
        const int result = Next(entry);
        if (result != 0)
            Close(); // a failed start releases the listing itself
        return result;
    }

    int Next(DirectoryEntry &entry) override
    {
        if (!dir_)
            return EBADF;
        for (;;) {
            errno = 0;
            const dirent *e = ::readdir(dir_);
            if (!e)
                return errno ? errno : ENOENT;
            const qint32 attributes = AttributesOf(e);
            if (attributes == kSkip || (attributes & exclusion_) != 0)
                continue;
            entry.name = QByteArray(e->d_name);
            entry.attributes = attributes;
            return 0;
        }
    }

    void Close() override
    {
        if (dir_) {
            ::closedir(dir_);
            dir_ = nullptr;
        }
    }

private:
    static constexpr qint32 kSkip = -2;

    // Maps what the system knows of an entry to attribute bits: directories and links to
    // directories carry the directory bit, names that begin with "." the hidden bit, files
    // without the owner's write permission the read-only bit.
    qint32 AttributesOf(const dirent *e) const
    {
        const char *n = e->d_name;
        const bool dots = n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0));
        qint32 attributes = n[0] == '.' && !dots ? kAttrHidden : 0;
        if (kindsOnly_ && e->d_type == DT_REG)
            return attributes | kAttrArchive;
        if (kindsOnly_ && e->d_type == DT_DIR)
            return attributes | kAttrDirectory;
        struct stat st;
        if (::fstatat(::dirfd(dir_), e->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0)
            return kSkip; // vanished since it was read
        if (S_ISLNK(st.st_mode)) {
            struct stat target;
            if (::fstatat(::dirfd(dir_), e->d_name, &target, 0) == 0) {
                if (S_ISDIR(target.st_mode))
                    return attributes | kAttrDirectory;
                st = target;
            }
            // A link to a file, or a dangling one, is a plain file: the link is what is renamed.
        } else if (S_ISDIR(st.st_mode)) {
            return attributes | kAttrDirectory;
        } else if (!S_ISREG(st.st_mode)) {
            return kSkip; // sockets, pipes, devices
        }
        if ((st.st_mode & S_IWUSR) == 0)
            attributes |= kAttrReadOnly;
        return attributes | kAttrArchive;
    }

    DIR *dir_ = nullptr;
    qint32 exclusion_ = 0;
    bool kindsOnly_ = false;
};

QByteArray Join(const QByteArray &folder, const QByteArray &name)
{
    if (folder.isEmpty() || folder.endsWith('/'))
        return folder + name;
    return folder + '/' + name;
}

QByteArray FolderAt::Path(const QByteArray &name) const
{
    return fd_ >= 0 ? name : Join(folder_, name);
}

// Renames from to to, both relative to dir, unless to exists. 0 or an errno.
int RenameAt(int dir, const char *from, const char *to)
{
    if (::renameat2(dir, from, dir, to, RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP)
        return errno;
    // The file system lacks the no-replace flag: a hard link fails when the new name is taken,
    // so it cannot replace anything either.
    if (::linkat(dir, from, dir, to, 0) == 0) {
        if (::unlinkat(dir, from, 0) == 0)
            return 0;
        const int error = errno;
        ::unlinkat(dir, to, 0);
        return error;
    }
    if (errno == EEXIST)
        return EEXIST;
    // No hard links here either: test, then rename. The window between the two is the only
    // place where another program could slip a file in.
    struct stat st;
    if (::fstatat(dir, to, &st, AT_SYMLINK_NOFOLLOW) == 0)
        return EEXIST;
    if (::renameat(dir, from, dir, to) == 0)
        return 0;
    return errno;
}

class PosixFileSystem final : public FileSystem
{
public:
    std::unique_ptr<DirectoryListing> NewListing() override
    {
        return std::make_unique<PosixListing>();
    }
    std::unique_ptr<DirectoryListing> NewKindListing() override
    {
        return std::make_unique<PosixListing>(true);
    }

    ~PosixFileSystem() override { ReleaseFolder(); }

    int RenameNoReplace(const QByteArray &folder, const QByteArray &from,
                        const QByteArray &to) override
    {
        if (heldFd_ >= 0 && folder == heldFolder_)
            return RenameAt(heldFd_, from.constData(), to.constData());
        const FolderAt at(folder, std::max(from.size(), to.size()));
        if (at.error() != 0)
            return at.error();
        return RenameAt(at.fd(), at.Path(from).constData(), at.Path(to).constData());
    }

    void HoldFolder(const QByteArray &folder) override
    {
        ReleaseFolder();
        const int fd = OpenFolder(folder, O_PATH);
        if (fd < 0)
            return;
        heldFd_ = fd;
        heldFolder_ = folder;
    }

    void ReleaseFolder() override
    {
        if (heldFd_ >= 0)
            ::close(heldFd_);
        heldFd_ = -1;
        heldFolder_.clear();
    }

    int SameFile(const QByteArray &folder, const QByteArray &a, const QByteArray &b,
                 bool &same) override
    {
        same = false;
        struct stat sa, sb;
        if (heldFd_ >= 0 && folder == heldFolder_) {
            if (::fstatat(heldFd_, a.constData(), &sa, AT_SYMLINK_NOFOLLOW) != 0
                || ::fstatat(heldFd_, b.constData(), &sb, AT_SYMLINK_NOFOLLOW) != 0)
                return errno;
        } else {
            const FolderAt at(folder, std::max(a.size(), b.size()));
            if (at.error() != 0)
                return at.error();
            if (::fstatat(at.fd(), at.Path(a).constData(), &sa, AT_SYMLINK_NOFOLLOW) != 0
                || ::fstatat(at.fd(), at.Path(b).constData(), &sb, AT_SYMLINK_NOFOLLOW) != 0)
                return errno;
        }
        same = sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
        return 0;
    }

    int IdentifyFile(const QByteArray &folder, const QByteArray &name,
                     FileIdentity &identity) override
    {
        struct stat st;
        const int result
            = heldFd_ >= 0 && folder == heldFolder_
                  ? ::fstatat(heldFd_, name.constData(), &st, AT_SYMLINK_NOFOLLOW)
                  : ::fstatat(AT_FDCWD, Join(folder, name).constData(), &st, AT_SYMLINK_NOFOLLOW);
        if (result != 0)
            return errno;
        if (!NumbersLast(folder, st.st_dev))
            return ENOSYS;
        identity = {static_cast<quint64>(st.st_dev), static_cast<quint64>(st.st_ino)};
        return 0;
    }

    int ListSubfolders(const QByteArray &folder, FolderIdentity &identity,
                       QList<QByteArray> *subfolders) override
    {
        DIR *d = OpenDirectory(folder);
        if (!d)
            return errno;
        struct stat st;
        if (::fstat(::dirfd(d), &st) != 0) {
            const int error = errno;
            ::closedir(d);
            return error;
        }
        identity = {static_cast<quint64>(st.st_dev), static_cast<quint64>(st.st_ino)};
        // A listing that breaks off gives the subfolders read so far.
        while (subfolders) {
            const dirent *e = ::readdir(d);
            if (!e)
                break;
            const char *n = e->d_name;
            if (IsDots(n))
                continue;
            // Links are not followed: lstat, not stat.
            struct stat sub;
            if (::fstatat(::dirfd(d), n, &sub, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(sub.st_mode))
                subfolders->append(QByteArray(n));
        }
        ::closedir(d);
        return 0;
    }

    int WriteAccess(const QByteArray &folder) override
    {
        if (folder.size() <= kLongestPath)
            return ::access(folder.isEmpty() ? "." : folder.constData(), W_OK | X_OK) == 0 ? 0
                                                                                           : errno;
        const int fd = OpenFolder(folder, O_PATH);
        if (fd < 0)
            return errno;
        const int error = ::faccessat(fd, ".", W_OK | X_OK, 0) == 0 ? 0 : errno;
        ::close(fd);
        return error;
    }

    JournalStore &Journals() override { return SystemJournalStore(); }

    int ListNames(const QByteArray &folder, QList<QByteArray> &names) override
    {
        names.clear();
        DIR *d = OpenDirectory(folder);
        if (!d)
            return errno;
        errno = 0;
        while (const dirent *e = ::readdir(d)) {
            if (!IsDots(e->d_name))
                names.append(QByteArray(e->d_name));
        }
        const int error = errno;
        ::closedir(d);
        return error;
    }

    int ForEachName(const QByteArray &folder,
                    const std::function<void(QByteArrayView name)> &each) override
    {
        DIR *d = OpenDirectory(folder);
        if (!d)
            return errno;
        int error = 0;
        for (;;) {
            errno = 0; // what each does may leave errno set
            const dirent *e = ::readdir(d);
            if (!e) {
                error = errno;
                break;
            }
            if (!IsDots(e->d_name))
                each(QByteArrayView(e->d_name));
        }
        ::closedir(d);
        return error;
    }

private:
    // Whether the inode numbers of the file system that holds folder (device dev) stay with
    // their files. FUSE file systems may number a file anew when it is renamed, or when it is
    // looked up again after the kernel forgot it, so there a number proves nothing. Asked once
    // per device.
    bool NumbersLast(const QByteArray &folder, dev_t dev)
    {
        const auto known = numbersLast_.constFind(static_cast<quint64>(dev));
        if (known != numbersLast_.cend())
            return *known;
        constexpr decltype(statfs::f_type) kFuseMagic = 0x65735546;
        struct statfs fs;
        int error = 0;
        if (heldFd_ >= 0 && folder == heldFolder_) {
            error = ::fstatfs(heldFd_, &fs);
        } else {
            const int fd = OpenFolder(folder, O_PATH);
            if (fd < 0)
                return true; // not cached: the folder may be there next time
            error = ::fstatfs(fd, &fs);
            ::close(fd);
        }
        if (error != 0)
            return true;
        const bool last = fs.f_type != kFuseMagic;
        numbersLast_.insert(static_cast<quint64>(dev), last);
        return last;
    }

    QHash<quint64, bool> numbersLast_;
    int heldFd_ = -1;
    QByteArray heldFolder_;
};

} // namespace

QByteArray RealPath(const QByteArray &path)
{
    char resolved[PATH_MAX];
    return ::realpath(path.constData(), resolved) ? QByteArray(resolved) : QByteArray();
}

int ChangeCurrentFolder(const QString &folder)
{
    const QByteArray path = QFile::encodeName(folder);
    if (path.size() <= kLongestPath)
        return ::chdir(path.constData()) == 0 ? 0 : errno;
    const int fd = OpenFolder(path, O_PATH);
    if (fd < 0)
        return errno;
    const int error = ::fchdir(fd) == 0 ? 0 : errno;
    ::close(fd);
    return error;
}

FileSystem &SystemFileSystem()
{
    static PosixFileSystem fs;
    return fs;
}

} // namespace vl
