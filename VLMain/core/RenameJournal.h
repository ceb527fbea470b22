#pragma once

// The rename journal: a pass writes down every rename it is about to make before it makes the
// first one, and records each step it completes. After a crash or a kill, the next start finds
// the unfinished journal and puts every file that is still under its temporary name under its
// new name, or back under its old one (JournalRecovery.h). A finished journal is kept (the
// newest ten) so that the pass can be undone. The text is described in JournalFormat.cpp, the
// life of a journal file at the top of RenameJournal.cpp.

#include "VLMain/core/JournalFormat.h"
#include "platform/core/JournalStore.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

namespace vl {

// The journal folder: $XDG_STATE_HOME/Vorlant (when set to an absolute path) or
// ~/.local/state/Vorlant.
QString JournalFolder();

// How many finished journals are kept.
inline constexpr int kKeptJournals = 10;
// The longest time between two flushes of a running journal to disk, by default (see
// RenameJournal::Begin).
inline constexpr int kDefaultSyncIntervalMs = 500;

// The suffixes of a journal file's name through its life.
inline constexpr QStringView kJournalNewSuffix = u".new";
inline constexpr QStringView kJournalOpenSuffix = u".open";
inline constexpr QStringView kJournalDoneSuffix = u".done";

// The journal files of a folder with the given suffix, oldest first: by the sequence number in
// their names, which each journal takes one higher than any in the folder, so that a clock set
// wrong orders nothing wrong. Names of older versions, with the time of their pass, come first.
QStringList JournalFiles(const QString &journalFolder, QStringView suffix);
// Removes all but the newest kKeptJournals finished journals.
void KeepNewestJournals(JournalStore &store, const QString &journalFolder);

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
    // flushes fixed however fast the renames go: each one waits for the disk. oneStep: the pass
    // renames in one step, using no temporary name, until RecordTwoSteps. undo: the pass undoes
    // an earlier one. A journal folder that is another user's, or that others may write to, is
    // not written to.
    static std::unique_ptr<RenameJournal>
    Begin(JournalStore &store, const QString &journalFolder, const QByteArray &folder,
          const QList<JournalEntry> &plan, bool oneStep, QString *error = nullptr,
          int syncIntervalMs = kDefaultSyncIntervalMs, bool undo = false);
    ~RenameJournal(); // an unfinished journal stays on disk for recovery

    RenameJournal(const RenameJournal &) = delete;
    RenameJournal &operator=(const RenameJournal &) = delete;

    // Adds one record. A record that cannot be written is counted, not raised: recovery reads
    // the folder and needs no record to be right.
    void Record(int index, StepState state);
    // Writes down and flushes, before the first temporary name is used, that the pass goes on in
    // two steps.
    void RecordTwoSteps();
    // Marks the journal finished, closes it and keeps the newest kKeptJournals finished journals.
    // A journal of a pass that renamed nothing is removed instead: there is nothing to undo.
    // False when a record, the end or the final rename could not be written.
    bool Finish();

    const QString &path() const { return path_; }
    int failedWrites() const { return failedWrites_; }
    // The errno of the first write that failed; 0 when none did.
    int firstError() const { return firstError_; }

private:
    RenameJournal(JournalStore &store, std::unique_ptr<JournalFile> file, QString path,
                  QString folder, int syncIntervalMs);
    void WritePending();
    void Sync();
    void Count(int error);

    // Records are appended when this many bytes are waiting, or this long after the last append.
    static constexpr qsizetype kPendingBytes = 64 * 1024;
    static constexpr qint64 kWriteIntervalNs = 20 * 1000000;

    JournalStore &store_;
    std::unique_ptr<JournalFile> file_;
    QString path_;
    QString journalFolder_;
    qint64 syncIntervalNs_;
    qint64 lastSyncNs_;
    qint64 lastWriteNs_;
    QByteArray pending_;
    int failedWrites_ = 0;
    int firstError_ = 0;
    int changed_ = 0; // files renamed or left under their temporary names
};

// Whether two folder paths name one folder: the same bytes, or the same real path.
bool SameFolder(const QByteArray &a, const QByteArray &b);

// Whether a pass other than the one with the journal at ownPath is running on folder now: a
// journal of that folder whose lock another process holds.
bool AnotherLivePass(JournalStore &store, const QString &journalFolder, const QByteArray &folder,
                     const QString &ownPath);

// Why journalFolder may not be trusted: empty when it is the user's own and only they may write
// to it (or it does not exist yet).
QString JournalFolderDistrust(JournalStore &store, const QString &journalFolder);

} // namespace vl
