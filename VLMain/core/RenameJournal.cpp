// The rename journal's writer.
//
// Life of a journal file, in the journal folder:
//   pass-n<sequence>-<pid>-<n>.new   being written; no rename has been made
//   pass-...open                     the plan is on disk; the pass runs or was cut short
//   pass-...done                     finished; the newest ten are kept for undo
// The sequence (ten digits) is one more than the highest in the folder. Older versions named
// journals pass-<ms since 1970>-<pid>-<n>; those are older than any with a sequence.
// The header and the plan are written (in pieces of 64 KB), flushed (file and folder), and only
// then renamed to ".open"; the pass makes its first rename after that. The writer holds an
// exclusive lock on the file while the pass runs, so recovery never touches the journal of a live
// pass. Records are gathered and appended at least every 20 ms, and flushed to disk at least every
// 500 ms: a killed process loses at most the newest 20 ms of records, a power failure the newest
// half second. Recovery does not need them (JournalRecovery.cpp); they tell it which temporary
// names the pass has already left, and which files reached their new names, for undo.

#include "VLMain/core/RenameJournal.h"

#include "VLMain/core/RenameSteps.h"
#include "platform/core/FileSystem.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <time.h>

#include <algorithm>
#include <cerrno>

namespace vl {

namespace {

// A clock read cheap enough for every record; its millisecond grain suits the flush interval.
qint64 MonotonicNs()
{
    timespec ts;
    ::clock_gettime(CLOCK_MONOTONIC_COARSE, &ts);
    return qint64(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

constexpr QStringView kSequencePrefix = u"pass-n";

// The sequence number in a journal's name; -1 for a name of an older version.
qint64 SequenceOf(QStringView name)
{
    if (!name.startsWith(kSequencePrefix))
        return -1;
    const QStringView rest = name.sliced(kSequencePrefix.size());
    const qsizetype dash = rest.indexOf(u'-');
    bool ok = false;
    const qint64 value = rest.first(dash < 0 ? 0 : dash).toLongLong(&ok);
    return ok && value >= 0 ? value : -1;
}

} // namespace

QStringList JournalFiles(const QString &journalFolder, QStringView suffix)
{
    QStringList names
        = QDir(journalFolder)
              .entryList({u"pass-*"_qs + suffix}, QDir::Files | QDir::Hidden, QDir::Name);
    std::stable_sort(names.begin(), names.end(), [](const QString &a, const QString &b) {
        return SequenceOf(a) < SequenceOf(b);
    });
    for (QString &n : names)
        n = QDir(journalFolder).filePath(n);
    return names;
}

bool SameFolder(const QByteArray &a, const QByteArray &b)
{
    if (WithSlash(a) == WithSlash(b))
        return true;
    const QByteArray ra = RealPath(a);
    return !ra.isEmpty() && ra == RealPath(b);
}

bool AnotherLivePass(JournalStore &store, const QString &journalFolder, const QByteArray &folder,
                     const QString &ownPath)
{
    for (const QStringView suffix : {kJournalNewSuffix, kJournalOpenSuffix}) {
        for (const QString &path : JournalFiles(journalFolder, suffix)) {
            if (path == ownPath)
                continue;
            std::unique_ptr<JournalFile> file;
            if (store.Open(path, file) != EWOULDBLOCK)
                continue; // no pass holds it
            // Read without its lock, which its pass holds.
            QFile other(path);
            if (!other.open(QIODevice::ReadOnly))
                continue;
            const std::optional<JournalContents> journal = ParseJournal(other.readAll());
            if (journal && SameFolder(journal->folder, folder))
                return true;
        }
    }
    return false;
}

QString JournalFolderDistrust(JournalStore &store, const QString &journalFolder)
{
    const int error = store.CheckOwner(journalFolder);
    if (error == 0 || error == ENOENT)
        return {};
    if (error == EPERM)
        return QCoreApplication::translate(
                   "Journal", "папка журналов «%1» принадлежит другому пользователю или "
                              "открыта для записи другим")
            .arg(journalFolder);
    return QCoreApplication::translate("Journal", "папка журналов «%1»: %2")
        .arg(journalFolder, DescribeError(error, ErrorContext::JournalFolder));
}

void KeepNewestJournals(JournalStore &store, const QString &journalFolder)
{
    const QStringList done = JournalFiles(journalFolder, kJournalDoneSuffix);
    for (qsizetype i = 0; i + kKeptJournals < done.size(); ++i)
        store.Remove(done.at(i));
}

QString JournalFolder()
{
    const QString xdg = qEnvironmentVariable("XDG_STATE_HOME");
    const QString base
        = !xdg.isEmpty() && QDir::isAbsolutePath(xdg) ? xdg : QDir::homePath() + u"/.local/state";
    return base + u"/Vorlant";
}

RenameJournal::RenameJournal(JournalStore &store, std::unique_ptr<JournalFile> file, QString path,
                             QString folder, int syncIntervalMs) :
    store_(store),
    file_(std::move(file)),
    path_(std::move(path)),
    journalFolder_(std::move(folder)),
    syncIntervalNs_(std::max(syncIntervalMs, 0) * qint64(1000000)),
    lastSyncNs_(MonotonicNs()),
    lastWriteNs_(lastSyncNs_)
{ }

RenameJournal::~RenameJournal()
{
    if (file_)
        WritePending();
}

std::unique_ptr<RenameJournal> RenameJournal::Begin(JournalStore &store,
                                                    const QString &journalFolder,
                                                    const QByteArray &folder,
                                                    const QList<JournalEntry> &plan, bool oneStep,
                                                    QString *error, int syncIntervalMs, bool undo)
{
    // Recovery may run from another current directory.
    QByteArray absolute = folder;
    if (!absolute.startsWith('/'))
        absolute = WithSlash(QFile::encodeName(QDir::currentPath())) + absolute;
    const auto fail = [&](const QString &path, int code) -> std::unique_ptr<RenameJournal> {
        if (error)
            *error = QCoreApplication::translate("Journal",
                                                 "Журнал переименования не записан (%1): %2.")
                         .arg(path, DescribeError(code, ErrorContext::JournalFolder));
        return nullptr;
    };
    if (const int code = store.MakeFolder(journalFolder); code != 0)
        return fail(journalFolder, code);
    if (const QString distrust = JournalFolderDistrust(store, journalFolder); !distrust.isEmpty()) {
        if (error)
            *error = QCoreApplication::translate("Journal", "Журнал переименования не записан: %1.")
                         .arg(distrust);
        return nullptr;
    }

    // One above every sequence in the folder; passes that start at the same moment may share
    // it, and their pid and count keep the names apart.
    qint64 next = 0;
    for (const QString &name :
         QDir(journalFolder).entryList({u"pass-*"_qs}, QDir::Files | QDir::Hidden))
        next = std::max(next, SequenceOf(name) + 1);
    static int count = 0;
    const QString stem
        = QDir(journalFolder)
              .filePath(QStringLiteral("pass-n%1-%2-%3")
                            .arg(next, 10, 10, QLatin1Char('0'))
                            .arg(QCoreApplication::applicationPid(), 7, 10, QLatin1Char('0'))
                            .arg(count++));
    const QString newPath = stem + kJournalNewSuffix, openPath = stem + kJournalOpenSuffix;
    std::unique_ptr<JournalFile> file;
    if (const int code = store.Create(newPath, file); code != 0)
        return fail(newPath, code);
    int code = WriteJournalHeader(absolute, plan, oneStep, undo,
                                  [&file](const QByteArray &piece) { return file->Append(piece); });
    if (code == 0)
        code = file->Sync();
    if (code == 0)
        code = store.Rename(newPath, openPath);
    if (code == 0)
        code = store.SyncFolder(journalFolder);
    if (code != 0) {
        file.reset();
        store.Remove(newPath);
        store.Remove(openPath);
        return fail(newPath, code);
    }
    return std::unique_ptr<RenameJournal>(
        new RenameJournal(store, std::move(file), openPath, journalFolder, syncIntervalMs));
}

void RenameJournal::Record(int index, StepState state)
{
    // The first step is not written down: recovery finds the file under its temporary name or
    // not, and settles it from the folder alone. That halves the records of a pass.
    if (!file_ || state == StepState::AtTemp)
        return;
    // A file left under its temporary name keeps the journal too: it tells what the name was for.
    if (state == StepState::Renamed || state == StepState::LeftAtTemp)
        ++changed_;
    AppendJournalRecord(pending_, index, state);
    const qint64 now = MonotonicNs();
    if (syncIntervalNs_ == 0 || now - lastSyncNs_ >= syncIntervalNs_)
        Sync();
    else if (pending_.size() >= kPendingBytes || now - lastWriteNs_ >= kWriteIntervalNs)
        WritePending();
}

void RenameJournal::RecordTwoSteps()
{
    if (!file_)
        return;
    pending_ += kTwoStepsRecord;
    Sync();
}

void RenameJournal::Count(int error)
{
    if (error == 0)
        return;
    ++failedWrites_;
    if (firstError_ == 0)
        firstError_ = error;
}

void RenameJournal::WritePending()
{
    if (!pending_.isEmpty())
        Count(file_->Append(pending_));
    pending_.resize(0); // keeps its room: the next records fill it again
    lastWriteNs_ = MonotonicNs();
}

void RenameJournal::Sync()
{
    WritePending();
    Count(file_->Sync());
    lastSyncNs_ = MonotonicNs();
}

bool RenameJournal::Finish()
{
    if (!file_)
        return false;
    pending_ += "F\n";
    // A journal that lost a record must not count as finished, even where the end would now fit
    // (a failed write is cut back and frees its room): undo would miss that file. Such a journal,
    // like one whose end could not be written, stays ".open"; recovery then reads the folder,
    // settles every file and finishes it.
    int code = failedWrites_ != 0 ? firstError_ : file_->Append(pending_);
    if (code == 0)
        code = file_->Sync();
    pending_.clear();
    if (code == 0 && changed_ == 0) {
        file_.reset();
        store_.Remove(path_);
        path_.clear();
        return true;
    }
    QString donePath = path_;
    donePath.chop(kJournalOpenSuffix.size());
    donePath += kJournalDoneSuffix;
    if (code == 0)
        code = store_.Rename(path_, donePath);
    if (code == 0)
        path_ = donePath;
    if (failedWrites_ == 0)
        Count(code);
    file_.reset();
    KeepNewestJournals(store_, journalFolder_);
    return failedWrites_ == 0;
}

} // namespace vl
