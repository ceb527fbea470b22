#pragma once

// What the journals of passes are for: a pass cut short is recovered from its journal and its
// folder at the next start, and a finished pass can be undone.

#include "VLMain/core/JournalFormat.h"
#include "platform/core/FileSystem.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace vl {

// What recovery did.
struct RecoveryReport {
    int journals = 0; // unfinished journals looked at
    int toNewName = 0; // files moved from their temporary name to their new name
    int toOldName = 0; // files moved back to their old name, the new one being taken
    int leftAtTemp = 0; // files that could not leave their temporary name
    int unreachable = 0; // journals whose folder could not be read: kept for the next start
    int inUse = 0; // journals of a pass that is running now: not touched
    int undosFinished = 0; // interrupted undos carried to their end
    int undoReversed = 0; // files that those undos took back to their earlier names
    QStringList problems; // "«path»: reason", one per file left under its temporary name
    QStringList refused; // records and journals not carried out, and why
    QStringList missingFolders; // "«folder»: reason", told this time and not again
    QString distrust; // why the journal folder was not read at all; empty when it was

    // A short text for the user; empty when recovery moved no file and found no problem.
    QString Summary() const;
    // Whether the summary tells of something the user should look into.
    bool NeedsWarning() const;
};

// Recovers every unfinished journal in journalFolder, or only those of onlyFolder when it is
// given. Per planned rename: a file still under its temporary name, proved the pass's, goes to
// its new name, or to its old name when the new one is taken; nothing is ever replaced; a file
// already under its old or new name is left alone. An interrupted undo is carried to its end. A
// journal whose every file is settled is marked finished. Journals in a folder that is not the
// user's own or that others may write to, journals of other users and records that would do
// more than change letter case are not carried out (refused).
RecoveryReport RecoverUnfinishedJournals(const QString &journalFolder, FileSystem &fs,
                                         const QString &onlyFolder = {});

// The newest finished journal of a folder in which the pass renamed something, or nullopt.
// Journals that are not the user's own are passed over; why, goes to distrust when given.
std::optional<JournalContents> ReadLastJournal(const QString &folder, const QString &journalFolder,
                                               QString *distrust = nullptr);

struct UndoReport {
    int reversed = 0;
    QStringList notReversed; // "«name»: reason"
    QStringList refused; // records of the journal not carried out, and why
    QString journalError; // why the undo itself kept no journal; empty when it did
    QString refusal; // why nothing was undone at all; empty when the undo ran
};

struct ForgetReport {
    int forgotten = 0; // unfinished journals removed
    int inUse = 0; // journals of a pass that is running now: kept
    QString distrust; // why the journal folder was not touched; empty when it was
};

// Removes the unfinished journals of folder (which may be gone, as an unplugged disk is), so that
// no start tries to recover it again.
ForgetReport ForgetJournals(const QString &journalFolder, JournalStore &store,
                            const QByteArray &folder);

// Reverses a finished pass: every file that the journal shows under its new name goes back to
// its old name, in two steps that never replace a file, the undo keeping a journal of its own.
UndoReport UndoPass(const JournalContents &journal, FileSystem &fs, const QString &journalFolder);

} // namespace vl
