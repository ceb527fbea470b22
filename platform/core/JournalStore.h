#pragma once

// The files of the rename journal, in a folder of their own: a journal file is created
// exclusively and locked by its writer, appended to and flushed; it is renamed as the pass goes
// on, and its folder is flushed after such a rename so that the new name survives a power cut.
// Tests put in a store of their own to make writes, flushes and renames fail.

#include <QByteArray>
#include <QString>

#include <memory>

namespace vl {

// One open journal file, locked for as long as the object lives.
class JournalFile
{
public:
    virtual ~JournalFile() = default;
    // Writes all of bytes at the end of the file. 0 or an errno.
    virtual int Append(const QByteArray &bytes) = 0;
    // Flushes the file's data to disk. 0 or an errno.
    virtual int Sync() = 0;
    // The whole file from its start.
    virtual QByteArray ReadAll() = 0;
    // Cuts the file to its first size bytes. 0 or an errno.
    virtual int Truncate(qint64 size) = 0;
};

class JournalStore
{
public:
    virtual ~JournalStore() = default;
    // Makes folder (and its parents) when missing; the folder itself is readable by its owner
    // only. 0 or an errno.
    virtual int MakeFolder(const QString &folder) = 0;
    // Creates path, which must not exist yet, and locks it. 0 or an errno.
    virtual int Create(const QString &path, std::unique_ptr<JournalFile> &file) = 0;
    // Opens an existing path for reading and appending and locks it; EWOULDBLOCK when another
    // process holds its lock. 0 or an errno.
    virtual int Open(const QString &path, std::unique_ptr<JournalFile> &file) = 0;
    // Renames from to to within the journal folder. 0 or an errno.
    virtual int Rename(const QString &from, const QString &to) = 0;
    virtual int Remove(const QString &path) = 0;
    // Flushes folder's entries to disk. 0 or an errno.
    virtual int SyncFolder(const QString &folder) = 0;
    // 0 when path (links followed) belongs to the user this process runs as and no one else may
    // write to it; EPERM when it belongs to another user or others may write to it; else the
    // errno of looking at it. Journals are trusted only from such files in such a folder.
    virtual int CheckOwner(const QString &path) = 0;
};

// The journal files on this machine's disks.
JournalStore &SystemJournalStore();

} // namespace vl
