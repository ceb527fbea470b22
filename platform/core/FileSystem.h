#pragma once

// The file system as the folder scan, the rename pass and its journal use it: a directory listing
// that yields entries with attribute bits, a rename that never replaces an existing file, the
// journal's own files. Tests put in a file system of their own to produce faults that a real
// folder cannot produce on demand.

#include "platform/core/JournalStore.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <cerrno>
#include <functional>
#include <memory>

namespace vl {

// Attribute bits of a directory entry.
enum Attribute : qint32 {
    kAttrReadOnly = 1,
    kAttrHidden = 2,
    kAttrSystem = 4,
    kAttrVolumeLabel = 8,
    kAttrDirectory = 16,
    kAttrArchive = 32,
};

// The attribute value by which a listing reports invalid attributes.
inline constexpr qint32 kInvalidAttributes = -1;

struct DirectoryEntry {
    QByteArray name; // the name on disk, without the folder
    qint32 attributes = 0;
};

// A listing of one folder. Start and Next give 0 and an entry, or an error code (errno; ENOENT
// when no entry is left). Entries whose attributes share a bit with the exclusion set (the
// hidden, system, volume-label and directory bits that the requested mask does not hold) are
// passed over. Sockets, pipes and devices are never listed.
class DirectoryListing
{
public:
    virtual ~DirectoryListing() = default;
    // pattern: the folder path followed by "*.*".
    virtual int Start(const QByteArray &pattern, qint32 mask, DirectoryEntry &entry) = 0;
    virtual int Next(DirectoryEntry &entry) = 0;
    virtual void Close() = 0;
};

// What tells one folder from another whatever path leads to it.
struct FolderIdentity {
    quint64 device = 0;
    quint64 inode = 0;
};

// What tells one file from another, whatever its name: its device and inode.
struct FileIdentity {
    quint64 device = 0;
    quint64 inode = 0;

    bool operator==(const FileIdentity &) const = default;
};

class FileSystem
{
public:
    virtual ~FileSystem() = default;
    virtual std::unique_ptr<DirectoryListing> NewListing() = 0;
    // A listing for callers that need to know of each entry only whether it is a plain file (the
    // directory bit and the hidden bit); the read-only bit may be missing. Where the folder tells
    // each entry's kind, it is listed without looking at every file: a listing of 100,000 files
    // saves as many calls.
    virtual std::unique_ptr<DirectoryListing> NewKindListing() { return NewListing(); }
    // Renames folder/from to folder/to unless folder/to exists. 0, or the errno of the failure
    // (EEXIST when the new name is taken).
    virtual int RenameNoReplace(const QByteArray &folder, const QByteArray &from,
                                const QByteArray &to)
        = 0;
    // The names of every entry of a folder (without "." and ".."), or an errno.
    virtual int ListNames(const QByteArray &folder, QList<QByteArray> &names) = 0;
    // Gives each the name of every entry of a folder (without "." and ".."), one at a time, so
    // that a large folder's names are never all held at once; a view is valid during its call
    // only. 0, or an errno, after which the names given so far are not the whole folder.
    virtual int ForEachName(const QByteArray &folder,
                            const std::function<void(QByteArrayView name)> &each)
    {
        QList<QByteArray> names;
        const int error = ListNames(folder, names);
        if (error == 0)
            for (const QByteArray &name : names)
                each(name);
        return error;
    }
    // Whether folder/a and folder/b are one file (the same device and inode; links are not
    // followed). 0 with same set, or an errno.
    virtual int SameFile(const QByteArray &folder, const QByteArray &a, const QByteArray &b,
                         bool &same)
        = 0;
    // The identity of a folder and, when subfolders is given, the names of its subfolders (links
    // to folders left out, in no particular order). 0, or the errno of a folder that cannot be
    // opened.
    virtual int ListSubfolders(const QByteArray &folder, FolderIdentity &identity,
                               QList<QByteArray> *subfolders)
        = 0;
    // The identity of folder/name, links not followed. 0, or an errno (ENOSYS where the file
    // system cannot tell).
    virtual int IdentifyFile(const QByteArray &folder, const QByteArray &name,
                             FileIdentity &identity)
    {
        (void)folder, (void)name, (void)identity;
        return ENOSYS;
    }
    // 0 when files may be renamed in folder, else the errno that says why not.
    virtual int WriteAccess(const QByteArray &folder) = 0;
    // Where the rename journal's files are written.
    virtual JournalStore &Journals() = 0;
    // Keeps folder open until ReleaseFolder, so that renames in it resolve their names against
    // the open folder instead of walking its whole path twice per rename. A folder that cannot
    // be opened is not held, and renames then go by path as always.
    virtual void HoldFolder(const QByteArray &folder) { (void)folder; }
    virtual void ReleaseFolder() { }
};

// Holds a folder open for the lifetime of the object.
class FolderHold
{
public:
    FolderHold(FileSystem &fs, const QByteArray &folder) : fs_(fs) { fs_.HoldFolder(folder); }
    ~FolderHold() { fs_.ReleaseFolder(); }
    FolderHold(const FolderHold &) = delete;
    FolderHold &operator=(const FolderHold &) = delete;

private:
    FileSystem &fs_;
};

// The real file system of this machine.
FileSystem &SystemFileSystem();

// The path with every link resolved, or empty when it cannot be resolved.
QByteArray RealPath(const QByteArray &path);

// Makes folder the process's current folder. 0, or an errno.
int ChangeCurrentFolder(const QString &folder);

// Exclusion set of a requested attribute mask.
qint32 ExclusionSet(qint32 mask);

// Whether a listed entry is a plain file (not a directory, attributes valid).
bool IsPlainFile(qint32 attributes);

} // namespace vl
