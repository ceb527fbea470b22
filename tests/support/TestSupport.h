#pragma once

#include "VLMain/core/Dictionary.h"
#include "VLMain/core/RenamePass.h"
#include "platform/core/FileSystem.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <cerrno>
#include <ostream>

// Lets GoogleTest print Qt strings in its failure messages.
QT_BEGIN_NAMESPACE
void PrintTo(const QString &s, std::ostream *os);
void PrintTo(const QStringList &s, std::ostream *os);
void PrintTo(const QByteArray &s, std::ostream *os);
QT_END_NAMESPACE

namespace vl::test {

inline QString U(const char *utf8)
{
    return QString::fromUtf8(utf8);
}

// The dictionaries as a start without a user name file prepares them, made once.
const TDictionaries &BuiltinDictionaries();

// A temporary folder for one test, with helpers to fill and read it.
class TempFolder
{
public:
    TempFolder();
    // The folder's path with a trailing "/".
    QString path() const;
    QByteArray nativePath() const;
    // Creates a file with the given name (bytes on disk) and contents.
    void AddFile(const QByteArray &name, const QByteArray &contents = {}) const;
    void AddFile(const QString &name, const QByteArray &contents = {}) const;
    void AddFolder(const QString &name) const;
    // The names in the folder, sorted byte-wise, without "." and "..".
    QList<QByteArray> Names() const;
    QByteArray Contents(const QByteArray &name) const;

private:
    QTemporaryDir dir_;
};

// The system's file system, for test file systems that change only some of its calls. With
// foldCase it answers for a case-only rename as a file system that folds case does: the new name
// is taken, by the file itself.
class ForwardingFileSystem : public FileSystem
{
public:
    bool foldCase = false;

    std::unique_ptr<DirectoryListing> NewListing() override
    {
        return SystemFileSystem().NewListing();
    }
    int RenameNoReplace(const QByteArray &folder, const QByteArray &from,
                        const QByteArray &to) override
    {
        if (foldCase && from != to && from.toUpper() == to.toUpper())
            return EEXIST;
        return SystemFileSystem().RenameNoReplace(folder, from, to);
    }
    int ListNames(const QByteArray &folder, QList<QByteArray> &names) override
    {
        return SystemFileSystem().ListNames(folder, names);
    }
    int SameFile(const QByteArray &folder, const QByteArray &a, const QByteArray &b,
                 bool &same) override
    {
        if (foldCase && a.toUpper() == b.toUpper())
            return SystemFileSystem().SameFile(folder, a, a, same);
        return SystemFileSystem().SameFile(folder, a, b, same);
    }
    int ListSubfolders(const QByteArray &folder, FolderIdentity &identity,
                       QList<QByteArray> *subfolders) override
    {
        return SystemFileSystem().ListSubfolders(folder, identity, subfolders);
    }
    int IdentifyFile(const QByteArray &folder, const QByteArray &name,
                     FileIdentity &identity) override
    {
        return SystemFileSystem().IdentifyFile(folder, name, identity);
    }
    int WriteAccess(const QByteArray &folder) override
    {
        return SystemFileSystem().WriteAccess(folder);
    }
    JournalStore &Journals() override { return SystemJournalStore(); }
};

// A rename pass over the listed names of dir, its journal kept in journals.
PassReport JournalledPass(const TempFolder &dir, const QList<QByteArray> &listed,
                          const QString &journals, FileSystem &fs = SystemFileSystem());

} // namespace vl::test
