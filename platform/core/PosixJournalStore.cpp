#include "platform/core/JournalStore.h"

#include <QDir>
#include <QFile>

#include <fcntl.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace vl {

namespace {

class PosixJournalFile final : public JournalFile
{
public:
    explicit PosixJournalFile(int fd) : fd_(fd) { }
    ~PosixJournalFile() override { ::close(fd_); }
    PosixJournalFile(const PosixJournalFile &) = delete;
    PosixJournalFile &operator=(const PosixJournalFile &) = delete;

    // A write that fails part way (a full disk) is cut back, so that the next record does not
    // run on from half of this one.
    int Append(const QByteArray &bytes) override
    {
        const off_t start = ::lseek(fd_, 0, SEEK_END);
        const char *p = bytes.constData();
        qsizetype left = bytes.size();
        while (left > 0) {
            const ssize_t n = ::write(fd_, p, static_cast<size_t>(left));
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                const int error = errno;
                if (start >= 0 && left < bytes.size())
                    (void)::ftruncate(fd_, start);
                return error;
            }
            p += n;
            left -= n;
        }
        return 0;
    }

    int Truncate(qint64 size) override
    {
        return ::ftruncate(fd_, static_cast<off_t>(size)) == 0 ? 0 : errno;
    }

    int Sync() override { return ::fdatasync(fd_) == 0 ? 0 : errno; }

    QByteArray ReadAll() override
    {
        QByteArray bytes;
        char buffer[65536];
        for (off_t at = 0;;) {
            const ssize_t n = ::pread(fd_, buffer, sizeof buffer, at);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return bytes;
            bytes.append(buffer, n);
            at += n;
        }
    }

private:
    int fd_;
};

// Opens path with flags and takes its lock without waiting.
int OpenLocked(const QString &path, int flags, std::unique_ptr<JournalFile> &file)
{
    const int fd = ::open(QFile::encodeName(path).constData(), flags | O_CLOEXEC, 0600);
    if (fd < 0)
        return errno;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        return error;
    }
    file = std::make_unique<PosixJournalFile>(fd);
    return 0;
}

class PosixJournalStore final : public JournalStore
{
public:
    int MakeFolder(const QString &folder) override
    {
        errno = 0;
        if (!QDir().mkpath(folder))
            return errno ? errno : EACCES;
        ::chmod(QFile::encodeName(folder).constData(), 0700);
        return 0;
    }

    int Create(const QString &path, std::unique_ptr<JournalFile> &file) override
    {
        const int error = OpenLocked(path, O_WRONLY | O_CREAT | O_EXCL | O_APPEND, file);
        if (error != 0 && error != EEXIST)
            ::unlink(QFile::encodeName(path).constData()); // created, but not locked
        return error;
    }

    int Open(const QString &path, std::unique_ptr<JournalFile> &file) override
    {
        return OpenLocked(path, O_RDWR | O_APPEND, file);
    }

    int Rename(const QString &from, const QString &to) override
    {
        return ::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0
                   ? 0
                   : errno;
    }

    int Remove(const QString &path) override
    {
        return ::unlink(QFile::encodeName(path).constData()) == 0 ? 0 : errno;
    }

    int CheckOwner(const QString &path) override
    {
        struct stat st;
        if (::stat(QFile::encodeName(path).constData(), &st) != 0)
            return errno;
        return st.st_uid == ::geteuid() && (st.st_mode & (S_IWGRP | S_IWOTH)) == 0 ? 0 : EPERM;
    }

    int SyncFolder(const QString &folder) override
    {
        const int dfd
            = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dfd < 0)
            return errno;
        const int result = ::fsync(dfd) == 0 ? 0 : errno;
        ::close(dfd);
        return result;
    }
};

} // namespace

JournalStore &SystemJournalStore()
{
    static PosixJournalStore store;
    return store;
}

} // namespace vl
