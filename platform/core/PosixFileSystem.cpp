#include "platform/core/FileSystem.h"

#include <QFile>

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

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

class PosixListing final : public DirectoryListing
{
public:
    ~PosixListing() override { Close(); }

    int Start(const QByteArray &pattern, qint32 mask, DirectoryEntry &entry) override
    {
        Close();
        QByteArray folder = pattern;
        if (folder.endsWith("*.*"))
            folder.chop(3);
        if (folder.isEmpty())
            folder = "./";
        dir_ = ::opendir(folder.constData());
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
        struct stat st;
        if (::fstatat(::dirfd(dir_), e->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0)
            return kSkip; // vanished since it was read
        const char *n = e->d_name;
        const bool dots = n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0));
        qint32 attributes = n[0] == '.' && !dots ? kAttrHidden : 0;
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
};

QByteArray Join(const QByteArray &folder, const QByteArray &name)
{
    if (folder.isEmpty() || folder.endsWith('/'))
        return folder + name;
    return folder + '/' + name;
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

    ~PosixFileSystem() override { ReleaseFolder(); }

    int RenameNoReplace(const QByteArray &folder, const QByteArray &from,
                        const QByteArray &to) override
    {
        if (heldFd_ >= 0 && folder == heldFolder_)
            return RenameAt(heldFd_, from.constData(), to.constData());
        return RenameAt(AT_FDCWD, Join(folder, from).constData(), Join(folder, to).constData());
    }

    void HoldFolder(const QByteArray &folder) override
    {
        ReleaseFolder();
        const int fd
            = ::open(folder.isEmpty() ? "." : folder.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
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
        } else if (::fstatat(AT_FDCWD, Join(folder, a).constData(), &sa, AT_SYMLINK_NOFOLLOW) != 0
                   || ::fstatat(AT_FDCWD, Join(folder, b).constData(), &sb, AT_SYMLINK_NOFOLLOW)
                          != 0) {
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
        identity = {static_cast<quint64>(st.st_dev), static_cast<quint64>(st.st_ino)};
        return 0;
    }

    int ListSubfolders(const QByteArray &folder, FolderIdentity &identity,
                       QList<QByteArray> *subfolders) override
    {
        DIR *d = ::opendir(folder.isEmpty() ? "." : folder.constData());
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
            if (n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0)))
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
        return ::access(folder.isEmpty() ? "." : folder.constData(), W_OK | X_OK) == 0 ? 0 : errno;
    }

    JournalStore &Journals() override { return SystemJournalStore(); }

    int ListNames(const QByteArray &folder, QList<QByteArray> &names) override
    {
        names.clear();
        DIR *d = ::opendir(folder.isEmpty() ? "." : folder.constData());
        if (!d)
            return errno;
        errno = 0;
        while (const dirent *e = ::readdir(d)) {
            const char *n = e->d_name;
            if (!(n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0))))
                names.append(QByteArray(n));
        }
        const int error = errno;
        ::closedir(d);
        return error;
    }

private:
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
    return ::chdir(QFile::encodeName(folder).constData()) == 0 ? 0 : errno;
}

FileSystem &SystemFileSystem()
{
    static PosixFileSystem fs;
    return fs;
}

} // namespace vl
