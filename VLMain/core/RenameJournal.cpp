// The rename journal's writer.
//
// Life of a journal file, in the journal folder:
//   pass-<ms since 1970>-<pid>-<n>.new   being written; no rename has been made
//   pass-...open                         the plan is on disk; the pass runs or was cut short
//   pass-...done                         finished; the newest ten are kept for undo
// The header and the plan are written in one write, flushed (file and folder), and only then
// renamed to ".open"; the pass makes its first rename after that. The writer holds an exclusive
// lock on the file while the pass runs, so recovery never touches the journal of a live pass.
// Records are gathered and appended at least every 20 ms, and flushed to disk at least every
// 500 ms: a killed process loses at most the newest 20 ms of records, a power failure the newest
// half second. Recovery does not need them (JournalRecovery.cpp); they tell it which temporary
// names the pass has already left, and which files reached their new names, for undo.

#include "VLMain/core/RenameJournal.h"

#include "VLMain/core/RenameSteps.h"

#include <QCoreApplication>
#include <QDateTime>
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

} // namespace

QStringList JournalFiles(const QString &journalFolder, QStringView suffix)
{
    QStringList names
        = QDir(journalFolder)
              .entryList({u"pass-*"_qs + suffix}, QDir::Files | QDir::Hidden, QDir::Name);
    for (QString &n : names)
        n = QDir(journalFolder).filePath(n);
    return names;
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
                                                    QString *error, int syncIntervalMs)
{
    // Recovery may run from another current directory.
    QByteArray absolute = folder;
    if (!absolute.startsWith('/'))
        absolute = WithSlash(QFile::encodeName(QDir::currentPath())) + absolute;
    const auto fail = [&](const QString &path, int code) -> std::unique_ptr<RenameJournal> {
        if (error)
            *error = u"Журнал переименования не записан (" + path + u"): " + DescribeError(code)
                     + u". Файлы переименованы без журнала.";
        return nullptr;
    };
    if (const int code = store.MakeFolder(journalFolder); code != 0)
        return fail(journalFolder, code);

    static int sequence = 0;
    const QString stem
        = QDir(journalFolder)
              .filePath(QStringLiteral("pass-%1-%2-%3")
                            .arg(QDateTime::currentMSecsSinceEpoch(), 13, 10, QLatin1Char('0'))
                            .arg(QCoreApplication::applicationPid(), 7, 10, QLatin1Char('0'))
                            .arg(sequence++));
    const QString newPath = stem + kJournalNewSuffix, openPath = stem + kJournalOpenSuffix;
    std::unique_ptr<JournalFile> file;
    if (const int code = store.Create(newPath, file); code != 0)
        return fail(newPath, code);
    int code = file->Append(JournalHeaderText(absolute, plan, oneStep));
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
    pending_ += JournalRecordText(index, state);
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
    pending_.clear();
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
    int code = file_->Append(pending_);
    if (code == 0)
        code = file_->Sync();
    pending_.clear();
    QString donePath = path_;
    donePath.chop(kJournalOpenSuffix.size());
    donePath += kJournalDoneSuffix;
    // A journal whose last record could not be written stays ".open"; recovery then finds every
    // file settled and finishes it.
    if (code == 0)
        code = store_.Rename(path_, donePath);
    if (code == 0)
        path_ = donePath;
    Count(code);
    file_.reset();
    KeepNewestJournals(store_, journalFolder_);
    return failedWrites_ == 0;
}

} // namespace vl
