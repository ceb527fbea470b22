// Recovery and undo.
//
// Recovery trusts the folder over the records, which makes it right from any prefix of the
// journal. From one listing of the folder, per planned rename with last record r:
//   - temporary name absent: nothing to move (the file is under its old or new name, or gone);
//   - temporary name present, and r is N or O: the pass moved the file away from it, so the file
//     there is someone else's and is left alone;
//   - temporary name present, r is P and the old name present too: the first step never
//     happened (it failed on that very file), and it is left alone;
//   - otherwise the file under the temporary name is the pass's: it goes to its new name, or to
//     its old name when the new one is taken, never replacing anything.

#include "VLMain/core/JournalRecovery.h"

#include "VLMain/core/RenameJournal.h"
#include "VLMain/core/RenameSteps.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <cerrno>
#include <memory>

namespace vl {

namespace {

// A ".new" file older than this belongs to a pass that died before its first rename.
constexpr qint64 kStaleNewMs = 60 * 60 * 1000;

bool SameFolder(const QByteArray &a, const QByteArray &b)
{
    if (WithSlash(a) == WithSlash(b))
        return true;
    const QByteArray ra = RealPath(a);
    return !ra.isEmpty() && ra == RealPath(b);
}

QString Quoted(const QByteArray &name)
{
    return vl::Quoted(QString::fromUtf8(name));
}

std::optional<JournalContents> ReadJournalFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    std::optional<JournalContents> journal = ParseJournal(file.readAll());
    if (journal)
        journal->path = path;
    return journal;
}

} // namespace

QString RecoveryReport::Summary() const
{
    if (toNewName == 0 && toOldName == 0 && leftAtTemp == 0 && unreachable == 0)
        return {};
    QString text = u"Переименование файлов было прервано. Восстановлено: под новым именем — "_qs
                   + QString::number(toNewName) + u", под прежним именем — "
                   + QString::number(toOldName) + u'.';
    if (leftAtTemp > 0)
        text += u"\nОстались под временным именем: " + QString::number(leftAtTemp) + u'.';
    for (qsizetype i = 0; i < problems.size() && i < 5; ++i)
        text += u'\n' + problems.at(i);
    if (problems.size() > 5)
        text += u"\n…";
    if (unreachable > 0)
        text += u"\nНедоступных папок: " + QString::number(unreachable)
                + u"; они будут восстановлены при следующем запуске.";
    return text;
}

namespace {

// Settles one unfinished journal, its lock held. Returns whether every file is settled.
bool RecoverJournal(JournalFile &file, JournalContents &journal, FileSystem &fs,
                    RecoveryReport &report)
{
    QList<QByteArray> listed;
    if (fs.ListNames(journal.folder, listed) != 0) {
        ++report.unreachable;
        return false;
    }
    QSet<QByteArray> present(listed.cbegin(), listed.cend());
    const auto record = [&](int i, StepState state) {
        journal.states[i] = state;
        file.Append(JournalRecordText(i, state));
    };
    bool settled = true;
    for (int i = 0; i < journal.entries.size(); ++i) {
        const JournalEntry &e = journal.entries.at(i);
        const StepState r = journal.states.at(i);
        // Without temporary names the file is under its old or its new name, or gone; a file under
        // the temporary name is someone else's.
        if (journal.oneStep || !present.contains(e.tempName)) {
            // A file whose step was not recorded: the folder tells where it went. One the pass
            // never reached is under its old name and needs no record.
            if (r == StepState::AtTemp || r == StepState::LeftAtTemp) {
                if (present.contains(e.oldName))
                    record(i, StepState::AtOld);
                else if (present.contains(e.newName))
                    record(i, StepState::Renamed);
            } else if (r == StepState::Planned && !present.contains(e.oldName)
                       && present.contains(e.newName)) {
                record(i,
                       StepState::Renamed); // both steps made, the process ended before the record
            }
            continue;
        }
        if (r == StepState::Renamed || r == StepState::AtOld
            || (r == StepState::Planned && present.contains(e.oldName)))
            continue; // someone else's file under that name
        int error = fs.RenameNoReplace(journal.folder, e.tempName, e.newName);
        if (error == 0) {
            present.remove(e.tempName);
            present.insert(e.newName);
            ++report.toNewName;
            record(i, StepState::Renamed);
            continue;
        }
        if (error == EEXIST)
            error = fs.RenameNoReplace(journal.folder, e.tempName, e.oldName);
        if (error == 0) {
            present.remove(e.tempName);
            present.insert(e.oldName);
            ++report.toOldName;
            record(i, StepState::AtOld);
            continue;
        }
        if (error == ENOENT)
            continue; // gone since the listing
        ++report.leftAtTemp;
        settled = false;
        record(i, StepState::LeftAtTemp);
        report.problems.append(Quoted(journal.folder + e.tempName) + u": " + DescribeError(error));
    }
    return settled;
}

} // namespace

RecoveryReport RecoverUnfinishedJournals(const QString &journalFolder, FileSystem &fs,
                                         const QString &onlyFolder)
{
    RecoveryReport report;
    const QByteArray only = QFile::encodeName(onlyFolder);
    JournalStore &store = fs.Journals();
    for (const QString &path : JournalFiles(journalFolder, kJournalOpenSuffix)) {
        std::unique_ptr<JournalFile> file;
        if (const int error = store.Open(path, file); error != 0) {
            if (error == EWOULDBLOCK)
                ++report.inUse;
            continue;
        }
        std::optional<JournalContents> journal = ParseJournal(file->ReadAll());
        if (!journal) {
            // Not a journal this program wrote: set aside, not deleted, and not read again.
            store.Rename(path, path + u".damaged");
            continue;
        }
        if (!only.isEmpty() && !SameFolder(journal->folder, only))
            continue;
        ++report.journals;
        if (journal->finished || RecoverJournal(*file, *journal, fs, report)) {
            if (!journal->finished)
                file->Append("F\n");
            file->Sync();
            QString done = path;
            done.chop(kJournalOpenSuffix.size());
            store.Rename(path, done + kJournalDoneSuffix);
        }
    }
    // Journals of passes that died before their first rename.
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    for (const QString &path : JournalFiles(journalFolder, kJournalNewSuffix)) {
        if (QFileInfo(path).lastModified().toMSecsSinceEpoch() > now - kStaleNewMs)
            continue;
        std::unique_ptr<JournalFile> file;
        if (store.Open(path, file) == 0)
            store.Remove(path);
    }
    KeepNewestJournals(store, journalFolder);
    return report;
}

std::optional<JournalContents> ReadLastJournal(const QString &folder, const QString &journalFolder)
{
    const QByteArray wanted = QFile::encodeName(folder);
    QStringList done = JournalFiles(journalFolder, kJournalDoneSuffix);
    for (auto it = done.crbegin(); it != done.crend(); ++it) {
        std::optional<JournalContents> journal = ReadJournalFile(*it);
        if (journal && journal->finished && SameFolder(journal->folder, wanted))
            return journal;
    }
    return std::nullopt;
}

UndoReport UndoPass(const JournalContents &journal, FileSystem &fs, const QString &journalFolder)
{
    UndoReport report;
    QList<JournalEntry> plan;
    for (qsizetype i = journal.entries.size() - 1; i >= 0; --i) {
        const JournalEntry &e = journal.entries.at(i);
        if (journal.states.at(i) == StepState::Renamed)
            plan.append({e.newName, {}, e.oldName});
    }
    if (plan.isEmpty())
        return report;
    ChooseTemporaryNames(fs, journal.folder, plan);
    const bool oneStep = TellsCaseApart(fs, journal.folder, plan);
    std::unique_ptr<RenameJournal> undoJournal = RenameJournal::Begin(
        fs.Journals(), journalFolder, journal.folder, plan, oneStep, &report.journalError);
    FolderRenamer renamer(fs, journal.folder, oneStep, [&] {
        if (undoJournal)
            undoJournal->RecordTwoSteps();
    });
    for (int i = 0; i < plan.size(); ++i) {
        const JournalEntry &e = plan.at(i);
        const RenameResult result
            = renamer.Rename(e.oldName, e.tempName, e.newName, [&](StepState state) {
                  if (undoJournal)
                      undoJournal->Record(i, state);
              });
        if (result.renamed)
            ++report.reversed;
        else
            report.notReversed.append(Quoted(e.oldName) + u": " + result.reason);
    }
    if (undoJournal)
        undoJournal->Finish();
    return report;
}

} // namespace vl
