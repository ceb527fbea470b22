#include "VLMain/core/RenamePass.h"

#include "VLUtils/core/Collation.h"
#include "VLUtils/core/TextRules.h"

#include <QCoreApplication>
#include <QFile>
#include <QHash>
#include <QVarLengthArray>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <numeric>
#include <optional>
#include <vector>

namespace vl {

namespace {

// Whether a text is ASCII without an upper-case letter, as most extensions are: its lower-case
// form is itself.
bool IsAsciiLowerCase(QStringView text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) {
        return c.unicode() < 0x80 && (c.unicode() < u'A' || c.unicode() > u'Z');
    });
}

// The styled name in the form the rules build it: X + "." + e. On disk the dot goes when the
// extension is empty and the listed name does not end in a dot, so «README» becomes «ReadMe».
QString DiskForm(const QString &styled, const FileItem &item)
{
    if (styled.endsWith(u'.') && item.extension.isEmpty() && !item.diskName.endsWith('.'))
        return styled.chopped(1);
    return styled;
}

} // namespace

bool SeenCores::Add(QStringView core)
{
    // Equal under the collation means equal upper-case forms, so a hash of the upper-case form
    // finds what a front-to-back search would, without growing slower with every unknown name.
    const qsizetype before = cores_.size();
    cores_.insert(UpperCase(core));
    return cores_.size() != before;
}

ItemPlan ClassifyItem(const FileItem &item, const TDictionaries &dictionaries, SeenCores &seen)
{
    // A pass classifies every file of the folder, so the texts that are only looked up or
    // compared are views or stack buffers, and the ones that are kept share the item's where they
    // can.
    const QString &n = item.caption;
    const QString &ext = item.extension;
    const QString e = IsAsciiLowerCase(ext) ? ext : LowerCase(ext);
    QVarLengthArray<QChar, 256> oldText;
    oldText.append(n.constData(), n.size());
    oldText.append(u'.');
    oldText.append(ext.constData(), ext.size());
    const QStringView oldForm(oldText.constData(), oldText.size());
    ItemPlan plan;
    plan.state = ItemState::Recognised;
    QString styled;

    if (const int index = dictionaries.full.FindName(oldForm); index >= 0) {
        plan.rule = RenameRule::WholeName;
        styled = dictionaries.full.SpellingAt(index);
        plan.caption = styled;
        plan.captionAlways = true;
    } else {
        const NamePieceViews pieces = SplitNamePartViews(n);
        const int row = pieces.core.isEmpty() ? -1 : dictionaries.names.FindName(pieces.core);
        if (row >= 0) {
            plan.rule = RenameRule::KnownCore;
            const QString &spelling = dictionaries.names.SpellingAt(row);
            QString part;
            part.reserve(pieces.prefix.size() + spelling.size() + pieces.suffix.size());
            part.append(pieces.prefix).append(spelling);
            if (ShtmlTailStart(pieces.suffix) < 0)
                part.append(pieces.suffix);
            else
                part.append(NormalizeShtmlTail(pieces.suffix));
            styled = part + u'.' + e;
            plan.caption = part;
            plan.extension = e;
        } else {
            const QString part = ShtmlTailStart(n) < 0 ? n : NormalizeShtmlTail(n);
            styled = part + u'.' + e;
            plan.extension = e;
            if (CharCount(pieces.core) >= 2) {
                plan.rule = RenameRule::UnknownCore;
                plan.state = ItemState::Unrecognised;
                plan.setMark = seen.Add(pieces.core);
                plan.enablesAdd = true;
                plan.caption = n; // the caption stays as it was
            } else {
                plan.rule = RenameRule::ShortCore;
                plan.caption = part; // the name part as it will be on disk
            }
        }
    }
    // Compared with the name that the item's texts spell, so a caption edited in place keeps its
    // file's spelling until its name is in a dictionary.
    plan.newName = DiskForm(styled, item);
    plan.newDiskName = plan.newName.toUtf8();
    plan.rename = styled != oldForm && plan.newDiskName != item.diskName;
    return plan;
}

QString RefusalReason(const FileItem &item, const QString &newName)
{
    if (!item.nameIsText)
        return QCoreApplication::translate("RenamePass", "имя файла записано не в кодировке UTF-8");
    return CaseOnlyRefusal(item.diskName, newName);
}

namespace {

long long ProgressPercent(int index, int count)
{
    const long double share = static_cast<long double>(index) / static_cast<long double>(count);
    return std::llrint(share * 100.0L); // the default rounding: ties to even
}

} // namespace

QList<int> RenameOrder(const FileListModel &files)
{
    const int count = files.size();
    QList<int> order(count);
    std::iota(order.begin(), order.end(), 0);
    for (int row = 0; row < count; ++row)
        if (const int at = files.at(row).listedAt; at < 0 || at >= count)
            return order;

    // Each row's place: where the first row of its upper-case name was listed. Rows are told
    // apart by a hash of that name; two names whose hashes meet share a place, which only keeps
    // them in the list's order.
    struct Slot {
        quint32 hash = 0;
        int row = -1;
    };
    qsizetype size = 1;
    while (size < 2 * static_cast<qsizetype>(count))
        size *= 2;
    std::vector<Slot> table(size);
    QList<int> place(count);
    for (int row = 0; row < count; ++row) {
        const auto hash = static_cast<quint32>(CaseKeyHash(files.at(row).diskName));
        qsizetype at = hash & (size - 1);
        while (table[at].row >= 0 && table[at].hash != hash)
            at = (at + 1) & (size - 1);
        if (table[at].row < 0)
            table[at] = {hash, row};
        place[row] = files.at(table[at].row).listedAt;
    }
    // A counting sort by place, which keeps the rows of one place in the list's order.
    QList<int> start(count + 1, 0);
    for (const int p : place)
        ++start[p + 1];
    std::partial_sum(start.begin(), start.end(), start.begin());
    for (int row = 0; row < count; ++row)
        order[start[place[row]]++] = row;
    return order;
}

QString ProgressTitle(const QString &folder, int index, int count)
{
    return QCoreApplication::translate("RenamePass", "Переименование %1 (%2%)")
        .arg(folder, QString::number(ProgressPercent(index, count)));
}

PassReport RenameFiles(const QString &folder, FileListModel &files,
                       const TDictionaries &dictionaries, FileSystem &fs, RenamePassHooks &hooks,
                       const RenameOptions &options)
{
    PassReport report;
    const QByteArray folderBytes = QFile::encodeName(folder);
    const int count = files.size();

    // Every item is classified first, so that the journal holds the whole plan before the first
    // rename. Nothing changes the list while the pass runs, so the plans stay true.
    // Of each plan, what the renames need; the new name is in the journal's plan, and a refused
    // rename keeps only its reason.
    struct StepPlan {
        QString caption;
        QString extension;
        ItemState state = ItemState::Recognised;
        bool setMark = false;
        bool rename = false;
        bool captionAlways = false;
        bool shortCore = false;
    };
    QList<StepPlan> plans;
    plans.reserve(count);
    QHash<int, QString> refusals; // why each refused rename is refused
    QList<int> journalIndex(count, -1);
    QList<JournalEntry> journalPlan;
    // At most one entry per item: reserved at once, as growing it would hold two copies a while.
    journalPlan.reserve(count);
    {
        SeenCores seen;
        for (int i = 0; i < count; ++i) {
            const FileItem &item = files.at(i);
            ItemPlan plan = ClassifyItem(item, dictionaries, seen);
            hooks.Planned(i, plan);
            if (plan.rename) {
                if (QString reason = RefusalReason(item, plan.newName); reason.isEmpty()) {
                    journalIndex[i] = static_cast<int>(journalPlan.size());
                    journalPlan.append({item.diskName, {}, std::move(plan.newDiskName)});
                } else {
                    refusals.insert(i, std::move(reason));
                }
            }
            plans.append({std::move(plan.caption), std::move(plan.extension), plan.state,
                          plan.setMark, plan.rename, plan.captionAlways,
                          plan.rule == RenameRule::ShortCore});
        }
    }
    std::optional<FolderHold> hold;
    if (!journalPlan.isEmpty())
        hold.emplace(fs, folderBytes);
    // One listing-free look at the folder decides how its files are renamed; the journal says so
    // before the first rename.
    const bool oneStep = !journalPlan.isEmpty() && TellsCaseApart(fs, folderBytes, journalPlan);
    // In two steps a temporary name that is taken or too long is replaced by a spare one here, so
    // that the journal holds the names the steps will use, and a file whose own is taken is
    // renamed too. In one step no listing is made for them.
    if (!journalPlan.isEmpty())
        PlanTemporaryNames(fs, folderBytes, journalPlan, oneStep);
    const bool journalWanted = !options.journalFolder.isEmpty() && !journalPlan.isEmpty();
    std::unique_ptr<RenameJournal> journal;
    if (journalWanted) {
        // What recovery needs to tell the pass's files from others that take their temporary
        // names. A one-step pass uses no temporary name, and recovery of its journal goes by the
        // old and new names alone, so it saves the look at every file. (Should it switch to two
        // steps, the files after the switch are settled by their names, as in older journals.)
        if (!oneStep) {
            for (JournalEntry &e : journalPlan) {
                FileIdentity identity;
                if (fs.IdentifyFile(folderBytes, e.oldName, identity) == 0) {
                    e.device = identity.device;
                    e.inode = identity.inode;
                }
            }
        }
        journal
            = RenameJournal::Begin(fs.Journals(), options.journalFolder, folderBytes, journalPlan,
                                   oneStep, &report.journalError, options.journalSyncIntervalMs);
        if (journal)
            report.journalPath = journal->path();
    }
    if (journal
        && AnotherLivePass(fs.Journals(), options.journalFolder, folderBytes, journal->path())) {
        journal->Finish(); // renamed nothing: removed
        report.journalPath.clear();
        report.refusal = QCoreApplication::translate(
            "RenamePass", "В этой папке сейчас переименовывает файлы другой запуск "
                          "программы. Файлы не переименованы; повторите, когда он "
                          "закончит.");
        return report;
    }

    QList<int> renamedRows;
    renamedRows.reserve(journalPlan.size());
    FolderRenamer renamer(fs, folderBytes, oneStep, [&journal] {
        if (journal)
            journal->RecordTwoSteps();
    });
    if (journalWanted && !journal) {
        // Without a journal a file cut short between two steps would stay under its temporary
        // name with nothing to tell recovery so: two steps are not taken.
        if (!oneStep) {
            report.refusal = report.journalError
                             + QCoreApplication::translate(
                                 "RenamePass", " Файлы не переименованы: в этой папке имя "
                                               "меняется в два шага, а без журнала файл, "
                                               "прерванный между ними, остался бы под "
                                               "временным именем.");
            report.journalError.clear();
            return report;
        }
        report.journalError += QCoreApplication::translate(
            "RenamePass", " Файлы переименованы без журнала; отменить "
                          "это переименование будет нельзя.");
        renamer.RefuseTwoSteps(
            QCoreApplication::translate("RenamePass", "без журнала переименования имя в этой папке "
                                                      "не меняется: нужны два шага"));
    }
    // The views hear of the pass's changes once, at its end (or return), not file by file.
    struct HeldChanges {
        explicit HeldChanges(FileListModel &model) : files(model) { files.HoldChanges(); }
        ~HeldChanges() { files.ShowHeldChanges(); }
        FileListModel &files;
    } held(files);
    // The title changes with its percentage only: made again only then.
    QString title;
    long long titlePercent = -1;
    // Made in the folder's order, reported in the list's.
    const QList<int> order = RenameOrder(files);
    QList<std::pair<int, QString>> failures;
    for (int done = 0; done < count; ++done) {
        const int i = order.at(done);
        if (const long long percent = ProgressPercent(done, count); percent != titlePercent) {
            title = ProgressTitle(folder, done, count);
            titlePercent = percent;
        }
        hooks.BeforeItem(done, count, title);
        // Back in its row by SetItem below, before the hooks let anything look at the list.
        FileItem item = files.TakeItem(i);
        const QByteArray listedName = item.diskName;
        // Each plan is let go once used, so the list's own texts replace it.
        const StepPlan plan = std::move(plans[i]);
        item.state = plan.state;
        item.failure.clear();
        if (plan.setMark)
            item.checked = true;
        if (plan.captionAlways) {
            item.caption = plan.caption;
            item.extension = plan.extension;
        }
        if (plan.rename) {
            // A rename that passed the check has its place in the plan; a refused one its reason.
            QString reason = journalIndex.at(i) < 0 ? refusals.value(i) : QString();
            if (reason.isEmpty()) {
                StepObserver record;
                if (journal)
                    record = [&journal, index = journalIndex.at(i)](StepState state) {
                        journal->Record(index, state);
                    };
                const JournalEntry &entry = journalPlan.at(journalIndex.at(i));
                const QByteArray &newDiskName = entry.newName;
                const RenameResult result
                    = renamer.Rename(item.diskName, entry.tempName, newDiskName, record);
                if (result.renamed) {
                    item.diskName = newDiskName;
                    item.caption = plan.caption;
                    item.extension = plan.extension;
                    renamedRows.append(i);
                    ++report.renamed;
                } else {
                    reason = result.reason;
                    if (result.leftAtTemp)
                        item.diskName = entry.tempName;
                }
            }
            if (!reason.isEmpty()) {
                const FileItem onDisk = MakeFileItem(item.diskName);
                item.caption = onDisk.caption;
                item.extension = onDisk.extension;
                item.state = ItemState::NotRenamed;
                item.failure = reason;
                ++report.failed;
                failures.append({i, Quoted(QString::fromUtf8(listedName)) + u": " + reason});
            }
        } else if (plan.shortCore) {
            item.caption = plan.caption;
        }
        files.SetItem(i, std::move(item));
    }
    std::sort(failures.begin(), failures.end(),
              [](const auto &a, const auto &b) { return a.first < b.first; });
    for (auto &failure : failures)
        report.failures.append(std::move(failure.second));
    failures = {};
    hold.reset();
    plans = {};
    refusals = {};
    journalIndex = {};
    journalPlan = {};
    if (journal) {
        // The renames stand either way; a journal with gaps only makes their undo incomplete.
        if (!journal->Finish())
            report.journalError
                = QCoreApplication::translate(
                      "RenamePass", "Журнал переименования записан не полностью (%1): %2. "
                                    "Отменить переименование удастся не для всех файлов.")
                      .arg(journal->path(), DescribeError(journal->firstError()));
        report.journalPath = journal->path();
    }

    // Some file systems report success for a case-only rename and keep the old spelling: one
    // listing confirms that every renamed file is there under exactly its new name.
    // The listing is first only counted against the new names; only when one of them is not
    // there is it read whole, to find what became of that file.
    QSet<QByteArray> wanted;
    wanted.reserve(renamedRows.size());
    for (const int row : renamedRows)
        wanted.insert(files.at(row).diskName);
    qsizetype found = 0;
    const auto countFound = [&wanted, &found](QByteArrayView name) {
        found += wanted.contains(QByteArray::fromRawData(name.data(), name.size())) ? 1 : 0;
    };
    if (!renamedRows.isEmpty() && fs.ForEachName(folderBytes, countFound) == 0
        && found < wanted.size()) {
        wanted = {};
        std::sort(renamedRows.begin(), renamedRows.end()); // reported in the list's order
        QList<QByteArray> names;
        if (fs.ListNames(folderBytes, names) == 0) {
            const QSet<QByteArray> present(names.cbegin(), names.cend());
            for (const int row : renamedRows) {
                FileItem item = files.at(row);
                if (present.contains(item.diskName))
                    continue;
                const QString wanted = UpperCase(QString::fromUtf8(item.diskName));
                for (const QByteArray &name : names) {
                    if (UpperCase(QString::fromUtf8(name)) == wanted) {
                        const FileItem onDisk = MakeFileItem(name);
                        item.diskName = name;
                        item.caption = onDisk.caption;
                        item.extension = onDisk.extension;
                        break;
                    }
                }
                // A case variant of the name there: the file system kept the old spelling. None:
                // another program took the file away.
                item.state = ItemState::NotRenamed;
                item.failure
                    = item.diskName != files.at(row).diskName ? QCoreApplication::translate(
                          "RenamePass", "файловая система не сохранила новое написание имени")
                                                              : DescribeError(ENOENT);
                --report.renamed;
                ++report.failed;
                report.failures.append(Quoted(QString::fromUtf8(item.diskName)) + u": "
                                       + item.failure);
                files.SetItem(row, std::move(item));
            }
        }
    }
    return report;
}

QString FailureMessage(const PassReport &report)
{
    constexpr int kShown = 5;
    QString text = QCoreApplication::translate("RenamePass", "Не удалось переименовать файлов: %1.")
                       .arg(QString::number(report.failed));
    for (int i = 0; i < report.failures.size() && i < kShown; ++i)
        text += u'\n' + report.failures.at(i);
    if (report.failures.size() > kShown)
        text += u"\n…";
    return text;
}

} // namespace vl
