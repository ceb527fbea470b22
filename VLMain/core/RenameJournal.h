#pragma once

// The rename journal: a pass writes down every rename it is about to make before it makes the
// first one, and records each step it completes. After a crash or a kill, the next start finds
// the unfinished journal and puts every file that is still under its temporary name under its
// new name, or back under its old one. A finished journal is kept (the newest ten) so that the
// pass can be undone. The file format is described at the top of RenameJournal.cpp.

#include "platform/core/FileSystem.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

namespace vl {

// One planned rename: the file goes from oldName through tempName to newName, all in one folder.
struct JournalEntry
{
    QByteArray oldName;
    QByteArray tempName;
    QByteArray newName;

    bool operator==(const JournalEntry &) const = default;
};

// Where a planned rename stands, by the last record the journal holds for it.
enum class StepState : char {
    Planned = 'P',    // nothing recorded: the file has not been touched
    AtTemp = 'T',     // the first step is done: the file is under its temporary name
    Renamed = 'N',    // both steps are done: the file is under its new name
    AtOld = 'O',      // a step failed: the file is (again) under its old name
    LeftAtTemp = 'K', // a step failed and the file could not leave its temporary name
};

// A journal as read back.
struct JournalContents
{
    QString path;    // the journal file; empty for parsed bytes
    QByteArray folder; // the renamed folder, ending in "/"
    QList<JournalEntry> entries;
    QList<StepState> states; // one per entry
    bool begun = false;      // the plan is complete, so renames may have happened
    bool finished = false;   // the pass (or its recovery) came to its end
};

// The journal's text for a plan and its records, and the parse of such a text. Parsing accepts
// any bytes: a torn last line is ignored, malformed records are skipped, and a text without a
// complete plan reads as not begun. nullopt when the header is not a journal's.
QByteArray JournalHeaderText(const QByteArray &folder, const QList<JournalEntry> &plan);
QByteArray JournalRecordText(int index, StepState state);
std::optional<JournalContents> ParseJournal(const QByteArray &bytes);

// The journal folder: $XDG_STATE_HOME/Vorlant (when set to an absolute path) or
// ~/.local/state/Vorlant. An override, when set, is returned instead.
QString JournalFolder();
// Makes JournalFolder() return path (tests); an empty path restores the normal location.
void SetJournalFolderOverride(const QString &path);

// How many finished journals are kept.
inline constexpr int kKeptJournals = 10;
// The longest time between two flushes of a running journal to disk, by default (see
// RenameJournal::Begin).
inline constexpr int kDefaultSyncIntervalMs = 500;

// The journal of one running pass.
class RenameJournal
{
public:
    // Creates a journal in journalFolder (made when missing), writes the plan and flushes the
    // file and its folder to disk; only then may the first rename be made. Null, with error set,
    // when the journal cannot be written. syncIntervalMs: records are flushed to disk with the
    // first record made this long after the previous flush (0: every record is written and
    // flushed at once). Between flushes they are appended every 20 ms. Recovery does not depend
    // on them (it reads the folder). Flushing by time, not by count, keeps the cost of the
    // flushes fixed however fast the renames go: each one waits for the disk.
    static std::unique_ptr<RenameJournal> Begin(const QString &journalFolder, const QByteArray &folder,
                                                const QList<JournalEntry> &plan, QString *error = nullptr,
                                                int syncIntervalMs = kDefaultSyncIntervalMs);
    ~RenameJournal(); // an unfinished journal stays on disk for recovery

    RenameJournal(const RenameJournal &) = delete;
    RenameJournal &operator=(const RenameJournal &) = delete;

    // Adds one record. A record that cannot be written is counted, not raised: recovery reads
    // the folder and needs no record to be right.
    void Record(int index, StepState state);
    // Marks the journal finished, closes it and keeps the newest kKeptJournals finished journals.
    bool Finish();

    const QString &path() const { return path_; }
    int failedWrites() const { return failedWrites_; }

private:
    RenameJournal(int fd, QString path, QString folder, int syncIntervalMs);
    void WritePending();
    void Sync();

    // Records are appended when this many bytes are waiting, or this long after the last append.
    static constexpr qsizetype kPendingBytes = 64 * 1024;
    static constexpr qint64 kWriteIntervalNs = 20 * 1000000;

    int fd_;
    QString path_;
    QString journalFolder_;
    qint64 syncIntervalNs_;
    qint64 lastSyncNs_;
    qint64 lastWriteNs_;
    QByteArray pending_;
    int failedWrites_ = 0;
};

// What recovery did.
struct RecoveryReport
{
    int journals = 0;    // unfinished journals looked at
    int toNewName = 0;   // files moved from their temporary name to their new name
    int toOldName = 0;   // files moved back to their old name, the new one being taken
    int leftAtTemp = 0;  // files that could not leave their temporary name
    int unreachable = 0; // journals whose folder could not be read: kept for the next start
    int inUse = 0;       // journals of a pass that is running now: not touched
    QStringList problems; // "«path»: reason", one per file left under its temporary name

    // A short text for the user; empty when recovery moved no file and found no problem.
    QString Summary() const;
};

// Recovers every unfinished journal in journalFolder, or only those of onlyFolder when it is
// given. Per planned rename: a file still under its temporary name goes to its new name, or to
// its old name when the new one is taken; nothing is ever replaced; a file already under its old
// or new name is left alone. A journal whose every file is settled is marked finished.
RecoveryReport RecoverUnfinishedJournals(const QString &journalFolder, FileSystem &fs = SystemFileSystem(),
                                         const QString &onlyFolder = {});

// The newest finished journal of a folder, or nullopt.
std::optional<JournalContents> ReadLastJournal(const QString &folder,
                                               const QString &journalFolder = JournalFolder());

struct UndoReport
{
    int reversed = 0;
    QStringList notReversed; // "«name»: reason"
    QString journalError;    // why the undo itself kept no journal; empty when it did
};

// Reverses a finished pass: every file that the journal shows under its new name goes back to
// its old name, in two steps that never replace a file, the undo keeping a journal of its own.
UndoReport UndoPass(const JournalContents &journal, FileSystem &fs = SystemFileSystem(),
                    const QString &journalFolder = JournalFolder());

} // namespace vl
