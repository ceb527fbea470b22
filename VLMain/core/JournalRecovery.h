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
    QStringList problems; // "«path»: reason", one per file left under its temporary name

    // A short text for the user; empty when recovery moved no file and found no problem.
    QString Summary() const;
};

// Recovers every unfinished journal in journalFolder, or only those of onlyFolder when it is
// given. Per planned rename: a file still under its temporary name goes to its new name, or to
// its old name when the new one is taken; nothing is ever replaced; a file already under its old
// or new name is left alone. A journal whose every file is settled is marked finished.
RecoveryReport RecoverUnfinishedJournals(const QString &journalFolder, FileSystem &fs,
                                         const QString &onlyFolder = {});

// The newest finished journal of a folder, or nullopt.
std::optional<JournalContents> ReadLastJournal(const QString &folder, const QString &journalFolder);

struct UndoReport {
    int reversed = 0;
    QStringList notReversed; // "«name»: reason"
    QString journalError; // why the undo itself kept no journal; empty when it did
};

// Reverses a finished pass: every file that the journal shows under its new name goes back to
// its old name, in two steps that never replace a file, the undo keeping a journal of its own.
UndoReport UndoPass(const JournalContents &journal, FileSystem &fs, const QString &journalFolder);

} // namespace vl
