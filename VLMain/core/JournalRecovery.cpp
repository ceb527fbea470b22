// Recovery and undo.
//
// Recovery trusts the folder over the records, which makes it right from any prefix of the
// journal. From one listing of the folder, per planned rename with last record r:
//   - temporary name absent: nothing to move (the file is under its old or new name, or gone);
//   - temporary name present, and r is N or O: the pass moved the file away from it, so the file
//     there is someone else's and is left alone;
//   - the plan identifies the file (device and inode): the file under the temporary name is the
//     pass's exactly when it is that file, whatever else the folder holds;
//   - without an identity (journals of older versions): with r P and the old name present too,
//     the first step never happened (it failed on that very file), and it is left alone;
//   - otherwise the file under the temporary name is the pass's: it goes to its new name, or to
//     its old name when the new one is taken, never replacing anything.
// Before any of that, every planned rename must pass the test the pass gave it (a change of
// letter case within the folder, through a temporary name made from the old one): one that fails
// was not written by a pass, and is refused.

#include "VLMain/core/JournalRecovery.h"

#include "VLMain/core/RenameJournal.h"
#include "VLMain/core/RenameSteps.h"

#include <QCoreApplication>
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

QString Quoted(const QByteArray &name)
{
    return vl::Quoted(QString::fromUtf8(name));
}

// Why the journal file at path is not to be trusted; empty when it is the user's own.
QString FileDistrust(JournalStore &store, const QString &path)
{
    const int error = store.CheckOwner(path);
    if (error == 0)
        return {};
    if (error == EPERM)
        return QCoreApplication::translate(
                   "Journal", "журнал «%1» принадлежит другому пользователю или открыт для "
                              "записи другим; он не выполнен")
            .arg(path);
    return QCoreApplication::translate("Journal", "журнал «%1»: %2")
        .arg(path, DescribeError(error, ErrorContext::JournalFolder));
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
    constexpr int kShown = 5;
    const auto list = [](QString &text, const QStringList &lines) {
        for (qsizetype i = 0; i < lines.size() && i < kShown; ++i)
            text += u'\n' + lines.at(i);
        if (lines.size() > kShown)
            text += u"\n…";
    };
    QString text;
    if (!distrust.isEmpty())
        text = QCoreApplication::translate("Journal", "Журналы переименования не прочитаны: %1.")
                   .arg(distrust);
    if (toNewName > 0 || toOldName > 0 || leftAtTemp > 0) {
        text += (text.isEmpty() ? u""_qs : u"\n"_qs)
                + QCoreApplication::translate(
                      "Journal", "Переименование файлов было прервано. Восстановлено: под "
                                 "новым именем — %1, под прежним именем — %2.")
                      .arg(QString::number(toNewName), QString::number(toOldName));
        if (leftAtTemp > 0)
            text += u'\n'
                    + QCoreApplication::translate("Journal", "Остались под временным именем: %1.")
                          .arg(QString::number(leftAtTemp));
        list(text, problems);
    }
    if (undosFinished > 0)
        text += (text.isEmpty() ? u""_qs : u"\n"_qs)
                + QCoreApplication::translate("Journal",
                                              "Прерванная отмена переименования доведена до конца. "
                                              "Возвращено прежних имён: %1.")
                      .arg(QString::number(undoReversed));
    if (!refused.isEmpty()) {
        text += text.isEmpty() ? u""_qs : u"\n"_qs;
        text += QCoreApplication::translate("Journal", "Не выполнено по журналу: %1.")
                    .arg(QString::number(refused.size()));
        list(text, refused);
    }
    if (!missingFolders.isEmpty()) {
        text += text.isEmpty() ? u""_qs : u"\n"_qs;
        text += QCoreApplication::translate(
            "Journal", "Переименование в папках, которых сейчас нет, было прервано; "
                       "оно будет завершено, когда папка появится снова. Забыть его: "
                       "vorlant-cli --forget ПАПКА.");
        list(text, missingFolders);
    }
    return text;
}

bool RecoveryReport::NeedsWarning() const
{
    return leftAtTemp > 0 || !refused.isEmpty() || !distrust.isEmpty() || !missingFolders.isEmpty();
}

namespace {

// Appends records to a journal read back, unless its torn last line could not be cut off: a
// record appended to it would run on from that line.
class RecordWriter
{
public:
    RecordWriter(JournalFile &file, bool usable) : file_(file), usable_(usable) { }
    void Append(const QByteArray &bytes)
    {
        if (usable_)
            file_.Append(bytes);
    }

private:
    JournalFile &file_;
    bool usable_;
};

// Whether the file under name is the one the plan identifies. Without an identity in the plan,
// or where the file system cannot tell, there is nothing to prove it either way (nullopt).
std::optional<bool> IsPlannedFile(FileSystem &fs, const QByteArray &folder, const QByteArray &name,
                                  const JournalEntry &e)
{
    if (!e.identified())
        return std::nullopt;
    FileIdentity identity;
    const int error = fs.IdentifyFile(folder, name, identity);
    if (error == ENOSYS)
        return std::nullopt;
    return error == 0 && identity == FileIdentity {e.device, e.inode};
}

// Carries an interrupted undo on: every file it did not reach yet goes to its earlier name, as
// the undo would have taken it. Returns whether every file is settled.
bool FinishUndo(RecordWriter &writer, JournalContents &journal, QSet<QByteArray> &present,
                const QList<bool> &refused, FileSystem &fs, RecoveryReport &report)
{
    FolderRenamer renamer(fs, journal.folder, journal.oneStep,
                          [&writer] { writer.Append(kTwoStepsRecord); });
    bool settled = true;
    for (int i = 0; i < journal.entries.size(); ++i) {
        const JournalEntry &e = journal.entries.at(i);
        if (refused.at(i) || journal.states.at(i) != StepState::Planned
            || !present.contains(e.oldName))
            continue;
        if (IsPlannedFile(fs, journal.folder, e.oldName, e) == false)
            continue; // another file has taken the name since the undo began
        const RenameResult result
            = renamer.Rename(e.oldName, e.tempName, e.newName, [&](StepState state) {
                  if (state == StepState::AtTemp)
                      return;
                  journal.states[i] = state;
                  writer.Append(JournalRecordText(i, state));
              });
        if (result.renamed) {
            present.remove(e.oldName);
            present.insert(e.newName);
            ++report.undoReversed;
        } else {
            report.problems.append(Quoted(journal.folder + e.oldName) + u": " + result.reason);
            if (result.leftAtTemp) {
                ++report.leftAtTemp;
                settled = false;
            }
        }
    }
    ++report.undosFinished;
    return settled;
}

// Settles one unfinished journal, its lock held. Returns whether every file is settled.
bool RecoverJournal(RecordWriter &writer, JournalContents &journal, FileSystem &fs,
                    RecoveryReport &report)
{
    QList<QByteArray> listed;
    if (const int error = fs.ListNames(journal.folder, listed); error != 0) {
        ++report.unreachable;
        if (!journal.missingTold) {
            // Said once; the journal stays for when the folder is back.
            report.missingFolders.append(Quoted(journal.folder) + u": "
                                         + DescribeError(error, ErrorContext::ReadFolder));
            writer.Append(kMissingToldRecord);
            journal.missingTold = true;
        }
        return false;
    }
    QSet<QByteArray> present(listed.cbegin(), listed.cend());
    const auto record = [&](int i, StepState state) {
        journal.states[i] = state;
        writer.Append(JournalRecordText(i, state));
    };
    QList<bool> refused(journal.entries.size(), false);
    bool settled = true;
    for (int i = 0; i < journal.entries.size(); ++i) {
        const JournalEntry &e = journal.entries.at(i);
        if (const QString reason = JournalEntryRefusal(e); !reason.isEmpty()) {
            refused[i] = true;
            report.refused.append(Quoted(journal.folder) + u": " + RefusedEntryText(e, reason));
            continue;
        }
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
        if (r == StepState::Renamed || r == StepState::AtOld)
            continue; // someone else's file under that name
        if (const std::optional<bool> planned = IsPlannedFile(fs, journal.folder, e.tempName, e)) {
            if (!*planned)
                continue; // not the file the pass planned to rename
        } else if (r == StepState::Planned && present.contains(e.oldName)) {
            continue; // nothing proves it the pass's, and the old name is there
        }
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
    if (settled && journal.undo)
        settled = FinishUndo(writer, journal, present, refused, fs, report);
    return settled;
}

} // namespace

RecoveryReport RecoverUnfinishedJournals(const QString &journalFolder, FileSystem &fs,
                                         const QString &onlyFolder)
{
    RecoveryReport report;
    const QByteArray only = QFile::encodeName(onlyFolder);
    JournalStore &store = fs.Journals();
    report.distrust = JournalFolderDistrust(store, journalFolder);
    if (!report.distrust.isEmpty())
        return report;
    for (const QString &path : JournalFiles(journalFolder, kJournalOpenSuffix)) {
        if (const QString distrust = FileDistrust(store, path); !distrust.isEmpty()) {
            // Set aside, so that it is said once; never carried out.
            report.refused.append(distrust);
            store.Rename(path, path + u".refused");
            continue;
        }
        std::unique_ptr<JournalFile> file;
        if (const int error = store.Open(path, file); error != 0) {
            if (error == EWOULDBLOCK)
                ++report.inUse;
            continue;
        }
        const QByteArray bytes = file->ReadAll();
        std::optional<JournalContents> journal = ParseJournal(bytes);
        if (!journal) {
            // Not a journal this program wrote: set aside, not deleted, and not read again.
            store.Rename(path, path + u".damaged");
            continue;
        }
        if (!only.isEmpty() && !SameFolder(journal->folder, only))
            continue;
        ++report.journals;
        // A last line that a power cut tore is cut off before anything is appended.
        bool usable = true;
        if (!bytes.endsWith('\n'))
            usable = file->Truncate(bytes.lastIndexOf('\n') + 1) == 0;
        RecordWriter writer(*file, usable);
        if (journal->finished || RecoverJournal(writer, *journal, fs, report)) {
            if (!journal->finished)
                writer.Append("F\n");
            file->Sync();
            QString done = path;
            done.chop(kJournalOpenSuffix.size());
            store.Rename(path, done + kJournalDoneSuffix);
        } else {
            file->Sync();
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

ForgetReport ForgetJournals(const QString &journalFolder, JournalStore &store,
                            const QByteArray &folder)
{
    ForgetReport report;
    report.distrust = JournalFolderDistrust(store, journalFolder);
    if (!report.distrust.isEmpty())
        return report;
    for (const QString &path : JournalFiles(journalFolder, kJournalOpenSuffix)) {
        std::unique_ptr<JournalFile> file;
        if (const int error = store.Open(path, file); error != 0) {
            if (error == EWOULDBLOCK)
                ++report.inUse;
            continue;
        }
        const std::optional<JournalContents> journal = ParseJournal(file->ReadAll());
        if (!journal || !SameFolder(journal->folder, folder))
            continue;
        file.reset();
        if (store.Remove(path) == 0)
            ++report.forgotten;
    }
    return report;
}

std::optional<JournalContents> ReadLastJournal(const QString &folder, const QString &journalFolder,
                                               QString *distrust)
{
    JournalStore &store = SystemJournalStore();
    const auto refuse = [distrust](const QString &why) {
        if (distrust && distrust->isEmpty())
            *distrust = why;
    };
    if (const QString why = JournalFolderDistrust(store, journalFolder); !why.isEmpty()) {
        refuse(why);
        return std::nullopt;
    }
    const QByteArray wanted = QFile::encodeName(folder);
    QStringList done = JournalFiles(journalFolder, kJournalDoneSuffix);
    for (auto it = done.crbegin(); it != done.crend(); ++it) {
        if (const QString why = FileDistrust(store, *it); !why.isEmpty()) {
            refuse(why);
            continue;
        }
        std::optional<JournalContents> journal = ReadJournalFile(*it);
        if (journal && journal->finished && SameFolder(journal->folder, wanted)
            && journal->states.contains(StepState::Renamed))
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
        if (journal.states.at(i) != StepState::Renamed)
            continue;
        if (const QString reason = JournalEntryRefusal(e); !reason.isEmpty()) {
            report.refused.append(RefusedEntryText(e, reason));
            continue;
        }
        JournalEntry back {e.newName, {}, e.oldName};
        if (FileIdentity identity; fs.IdentifyFile(journal.folder, e.newName, identity) == 0) {
            back.device = identity.device;
            back.inode = identity.inode;
        }
        plan.append(back);
    }
    if (plan.isEmpty())
        return report;
    const FolderHold hold(fs, journal.folder);
    const bool oneStep = TellsCaseApart(fs, journal.folder, plan);
    PlanTemporaryNames(fs, journal.folder, plan, oneStep);
    std::unique_ptr<RenameJournal> undoJournal
        = RenameJournal::Begin(fs.Journals(), journalFolder, journal.folder, plan, oneStep,
                               &report.journalError, kDefaultSyncIntervalMs, true);
    if (undoJournal
        && AnotherLivePass(fs.Journals(), journalFolder, journal.folder, undoJournal->path())) {
        undoJournal->Finish();
        report.refusal = QCoreApplication::translate(
            "Journal", "в этой папке сейчас переименовывает файлы другой запуск "
                       "программы; повторите отмену, когда он закончит");
        return report;
    }
    FolderRenamer renamer(fs, journal.folder, oneStep, [&] {
        if (undoJournal)
            undoJournal->RecordTwoSteps();
    });
    if (!undoJournal) {
        if (!oneStep) {
            report.refusal = report.journalError
                             + QCoreApplication::translate(
                                 "Journal", " Отмена не выполнена: в этой папке имя меняется "
                                            "в два шага, а без журнала файл, прерванный между "
                                            "ними, остался бы под временным именем.");
            report.journalError.clear();
            return report;
        }
        report.journalError
            += QCoreApplication::translate("Journal", " Имена возвращены без журнала.");
        renamer.RefuseTwoSteps(
            QCoreApplication::translate("Journal", "без журнала переименования имя в этой папке "
                                                   "не меняется: нужны два шага"));
    }
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
