#include "cli/CliPass.h"

#include "cli/CliConsole.h"

#include "VLMain/core/FolderScan.h"
#include "VLMain/core/NameEditing.h"
#include "VLMain/core/RenamePass.h"
#include "VLUtils/core/Collation.h"
#include "VLUtils/core/TextRules.h"

#include <QFile>
#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cerrno>
#include <memory>

namespace vl::cli {

namespace {

// The scan's view of a window that is not there: no messages to let through, no buttons. Not
// being due, the listing reaches the list in one batch.
class QuietScanHooks final : public ScanHooks
{
public:
    bool MessagesDue() override { return false; }
};

class ProgressHooks final : public RenamePassHooks
{
public:
    explicit ProgressHooks(ProgressBar &bar) : bar_(bar) { }
    void BeforeItem(int index, int, const QString &) override { bar_.Show(index); }

private:
    ProgressBar &bar_;
};

// The plan of one item on its own. A pass shares its seen-core list between items, but that list
// decides only which item gets the check mark, which the command line does not show; alone, an
// item's plan does not grow dearer with every unknown name listed before it.
ItemPlan PlanOf(const FileItem &item, const TDictionaries &dictionaries)
{
    SeenCores seen;
    return ClassifyItem(item, dictionaries, seen);
}

QString NameOf(const FileItem &item)
{
    return QString::fromUtf8(item.diskName);
}

QString JsonLine(const QString &folder, const QString &oldName, const QString &newName,
                 RenameRule rule, const QString &state, const QString &error,
                 const QString &suggestion)
{
    QJsonObject object;
    object.insert(QStringLiteral("folder"), folder);
    object.insert(QStringLiteral("old"), oldName);
    object.insert(QStringLiteral("new"), newName);
    object.insert(QStringLiteral("rule"), static_cast<int>(rule));
    object.insert(QStringLiteral("state"), state);
    object.insert(QStringLiteral("error"),
                  error.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(error));
    object.insert(QStringLiteral("suggestion"),
                  suggestion.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(suggestion));
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact)) + u'\n';
}

// The lines of one folder: a heading with the folder, then one line per file worth showing.
class FolderText
{
public:
    explicit FolderText(const QString &folder) : folder_(folder) { }

    void Add(const QString &line)
    {
        if (text_.isEmpty())
            text_ = Printable(folder_) + u'\n';
        text_ += u"  " + Printable(line) + u'\n';
    }
    const QString &text() const { return text_; }

private:
    QString folder_;
    QString text_;
};

// The folder as the rename pass sees it, with nothing touched: the listed names in a set, compared
// without regard to case where the real folder folds case, names longer than 255 bytes refused,
// each rename changing the set. The preview runs the real pass on it, so it says what -x does.
// A folder in which nothing may be renamed (no right to write, a read-only disk) fails every
// rename, as the system would.
class DryRunFileSystem final : public FileSystem
{
public:
    DryRunFileSystem(FileSystem &real, const QByteArray &folder) : real_(real)
    {
        QList<QByteArray> names;
        real.ListNames(folder, names);
        writeError_ = real.WriteAccess(folder);
        // A name under another spelling of its case is the same file where the folder folds case.
        for (const QByteArray &name : names) {
            const QByteArray other = name.toUpper() != name ? name.toUpper() : name.toLower();
            bool same = false;
            if (other != name && real.SameFile(folder, name, other, same) != ENOENT) {
                foldCase_ = same;
                break;
            }
            if (other != name)
                break;
        }
        for (const QByteArray &name : names)
            names_.insert(Key(name), name);
    }

    std::unique_ptr<DirectoryListing> NewListing() override { return real_.NewListing(); }
    int RenameNoReplace(const QByteArray &, const QByteArray &from, const QByteArray &to) override
    {
        if (writeError_ != 0)
            return writeError_;
        if (to.size() > kLongestName)
            return ENAMETOOLONG;
        if (!names_.contains(Key(from)))
            return ENOENT;
        if (names_.contains(Key(to)))
            return EEXIST;
        names_.remove(Key(from));
        names_.insert(Key(to), to);
        return 0;
    }
    int ListNames(const QByteArray &, QList<QByteArray> &names) override
    {
        names = names_.values();
        return 0;
    }
    int SameFile(const QByteArray &, const QByteArray &a, const QByteArray &b, bool &same) override
    {
        if (!names_.contains(Key(a)) || !names_.contains(Key(b)))
            return ENOENT;
        same = Key(a) == Key(b);
        return 0;
    }
    int ListSubfolders(const QByteArray &folder, FolderIdentity &identity,
                       QList<QByteArray> *subfolders) override
    {
        return real_.ListSubfolders(folder, identity, subfolders);
    }
    int WriteAccess(const QByteArray &) override { return writeError_; }
    JournalStore &Journals() override { return real_.Journals(); }

private:
    static constexpr qsizetype kLongestName = 255;

    QByteArray Key(const QByteArray &name) const
    {
        return foldCase_ ? UpperCase(QString::fromUtf8(name)).toUtf8() : name;
    }

    FileSystem &real_;
    QHash<QByteArray, QByteArray> names_; // key -> the name as listed or renamed
    bool foldCase_ = false;
    int writeError_ = 0;
};

class QuietPassHooks final : public RenamePassHooks
{
public:
    void BeforeItem(int, int, const QString &) override { }
};

} // namespace

FolderPass::FolderPass(const TDictionaries &dictionaries, const PassSettings &settings,
                       Totals &totals, FileSystem &fs) :
    dictionaries_(dictionaries),
    settings_(settings),
    totals_(totals),
    fs_(fs),
    suggester_(dictionaries)
{ }

QStringList FolderPass::Suggestions(const QList<FileItem> &items)
{
    QStringList names;
    names.reserve(items.size());
    for (const FileItem &item : items) {
        const QString caption = suggester_.CaptionFor(item);
        // The file name as the pass writes it: the extension in lower case, and a final dot only
        // where the listed name has one.
        QString name = caption;
        if (!caption.isEmpty() && (!item.extension.isEmpty() || item.diskName.endsWith('.')))
            name += u'.' + LowerCase(item.extension);
        names.append(name);
    }
    return names;
}

void FolderPass::Run(const QString &folder)
{
    // As the window does before it lists a folder: a pass on it that was cut short is finished
    // first. A preview leaves that to the next -x, as it touches nothing.
    if (settings_.apply && !settings_.journalFolder.isEmpty())
        ReportRecovery(RecoverUnfinishedJournals(settings_.journalFolder, fs_, folder), totals_);

    // The same listing and the same order as the window's.
    FileListModel files;
    SortFlags flags;
    flags.SetAll();
    QuietScanHooks scanHooks;
    FolderScanner scanner(files, flags, scanHooks, fs_);
    scanner.ScanFolder(folder);
    ++totals_.folders;
    totals_.files += files.size();

    const QList<FileItem> before = files.items();
    // Only names the dictionaries lack get a suggestion, so it is asked before any is accepted.
    const QStringList suggestions = Suggestions(before);
    QList<bool> accepted(before.size(), false);
    if (acceptInto_) {
        for (qsizetype i = 0; i < before.size(); ++i) {
            if (suggestions.at(i).isEmpty())
                continue;
            const QString core = ExtractNameCore(suggester_.CaptionFor(before.at(i)));
            accepted[i] = true;
            if (!AddRefusalReason(core).isEmpty()) {
                accepted[i] = false;
            } else if (!acceptInto_->names.ContainsName(core)) {
                acceptInto_->names.AddName(core);
                accepted_.append(core);
            }
        }
    }
    QList<ItemPlan> plans;
    plans.reserve(before.size());
    for (const FileItem &item : before)
        plans.append(PlanOf(item, dictionaries_));

    QList<Outcome> outcomes;
    if (settings_.apply) {
        if (!files.isEmpty()) {
            ProgressBar bar(folder, files.size());
            ProgressHooks hooks(bar);
            RenameOptions options;
            options.journalFolder = settings_.journalFolder;
            const PassReport report
                = RenameFiles(folder, files, dictionaries_, fs_, hooks, options);
            // The renames stand; only their undo is lost.
            if (!report.journalError.isEmpty())
                WriteError(folder + u": " + report.journalError);
            if (!report.refusal.isEmpty()) {
                WriteError(folder + u": " + report.refusal);
                ++totals_.errors;
            }
        }
        outcomes = ApplyOutcomes(before, plans, files);
    } else {
        // The real pass over a copy of the list, on the folder's names.
        FileListModel copy;
        copy.Append(before);
        DryRunFileSystem dryRun(fs_, QFile::encodeName(folder));
        QuietPassHooks hooks;
        RenameFiles(folder, copy, dictionaries_, dryRun, hooks, RenameOptions {});
        outcomes = ApplyOutcomes(before, plans, copy);
    }
    Show(folder, before, plans, outcomes, suggestions, accepted);
}

QList<FolderPass::Outcome> FolderPass::ApplyOutcomes(const QList<FileItem> &before,
                                                     const QList<ItemPlan> &plans,
                                                     const FileListModel &after)
{
    QList<Outcome> outcomes;
    outcomes.reserve(before.size());
    for (int i = 0; i < after.size(); ++i) {
        const FileItem &now = after.at(i);
        Outcome outcome;
        outcome.state = now.state;
        outcome.newName = plans.at(i).rename ? plans.at(i).newName : NameOf(before.at(i));
        if (now.state == ItemState::NotRenamed)
            outcome.error = now.failure.isEmpty() ? StateText(ItemState::NotRenamed) : now.failure;
        outcome.renamed = outcome.error.isEmpty() && now.diskName != before.at(i).diskName;
        outcomes.append(std::move(outcome));
    }
    return outcomes;
}

void FolderPass::Show(const QString &folder, const QList<FileItem> &items,
                      const QList<ItemPlan> &plans, const QList<Outcome> &outcomes,
                      const QStringList &suggestions, const QList<bool> &accepted)
{
    FolderText text(folder);
    QString json;
    QStringList errors;
    for (qsizetype i = 0; i < items.size(); ++i) {
        const QString old = NameOf(items.at(i));
        const ItemPlan &plan = plans.at(i);
        const Outcome &outcome = outcomes.at(i);
        const bool unknown = plan.rule == RenameRule::UnknownCore;
        totals_.renamed += outcome.renamed ? 1 : 0;
        totals_.failed += outcome.error.isEmpty() ? 0 : 1;
        totals_.unknown += unknown ? 1 : 0;
        totals_.suggested += accepted.at(i) && outcome.renamed ? 1 : 0;

        if (!outcome.error.isEmpty())
            errors.append(
                (settings_.apply
                     ? QCoreApplication::translate("Cli", "%1: не переименован в %2: %3")
                     : QCoreApplication::translate("Cli", "%1: не будет переименован в %2: %3"))
                    .arg(folder + old, outcome.newName, outcome.error));
        if (settings_.json) {
            json += JsonLine(folder, old, outcome.newName, plan.rule,
                             QString::fromUtf8(StateSourceText(outcome.state)), outcome.error,
                             suggestions.at(i));
            continue;
        }
        if (outcome.renamed)
            text.Add(old + u" → " + outcome.newName);
        if (unknown)
            text.Add(
                suggestions.at(i).isEmpty()
                    ? QCoreApplication::translate("Cli", "не распознано: %1").arg(old)
                    : QCoreApplication::translate("Cli", "не распознано: %1 (предлагается: %2)")
                          .arg(old, suggestions.at(i)));
    }
    WriteOut(settings_.json ? json : text.text());
    for (const QString &error : errors)
        WriteError(error);
}

void ReportRecovery(const RecoveryReport &report, Totals &totals)
{
    if (const QString summary = report.Summary(); !summary.isEmpty())
        for (const QString &line : summary.split(u'\n'))
            WriteError(line);
    if (report.leftAtTemp > 0 || report.unreachable > 0 || !report.refused.isEmpty()
        || !report.distrust.isEmpty())
        ++totals.errors;
}

QString SummaryLine(const Totals &t, bool apply)
{
    QString line = (apply ? QCoreApplication::translate(
                        "Cli", "Итого — папок: %1, файлов: %2, переименовано: %3")
                          : QCoreApplication::translate(
                              "Cli", "Итого — папок: %1, файлов: %2, будет переименовано: %3"))
                       .arg(QString::number(t.folders), QString::number(t.files),
                            QString::number(t.renamed));
    if (t.suggested > 0)
        line += QCoreApplication::translate("Cli", " (из них по предложенным написаниям: %1)")
                    .arg(QString::number(t.suggested));
    line += QCoreApplication::translate("Cli", ", не распознано: %1")
                .arg(QString::number(t.unknown));
    if (t.failed > 0)
        line += (apply ? QCoreApplication::translate("Cli", ", не переименовано: %1")
                       : QCoreApplication::translate("Cli", ", не удастся переименовать: %1"))
                    .arg(QString::number(t.failed));
    if (t.errors > 0)
        line += QCoreApplication::translate("Cli", ", ошибок: %1").arg(QString::number(t.errors));
    return line + u".\n";
}

FolderWalker::FolderWalker(FolderPass &pass, bool recursive, Totals &totals, FileSystem &fs) :
    pass_(pass),
    recursive_(recursive),
    totals_(totals),
    fs_(fs)
{ }

void FolderWalker::Walk(const QString &top)
{
    QStringList stack {WithSeparator(top)};
    while (!stack.isEmpty()) {
        const QString folder = stack.takeLast();
        // Subfolders are read before the pass; the pass renames files only. Links to folders are
        // not followed.
        FolderIdentity identity;
        QList<QByteArray> names;
        if (const int error = fs_.ListSubfolders(QFile::encodeName(folder), identity,
                                                 recursive_ ? &names : nullptr);
            error != 0) {
            WriteError(QCoreApplication::translate("Cli", "%1: не удалось прочитать папку: %2")
                           .arg(folder, DescribeError(error, ErrorContext::ReadFolder)));
            ++totals_.errors;
            continue;
        }
        if (visited_.contains({identity.device, identity.inode}))
            continue;
        visited_.insert({identity.device, identity.inode});

        QStringList subfolders;
        for (const QByteArray &name : names) {
            const QString text = QString::fromUtf8(name);
            if (text.toUtf8() != name) {
                WriteError(
                    QCoreApplication::translate(
                        "Cli", "%1: имя папки записано не в кодировке UTF-8, папка пропущена")
                        .arg(folder + text));
                ++totals_.errors;
                continue;
            }
            subfolders.append(text);
        }

        pass_.Run(folder);
        std::sort(subfolders.begin(), subfolders.end(), [](const QString &a, const QString &b) {
            const int order = CompareNames(a, b);
            return order != 0 ? order < 0 : a < b;
        });
        for (auto it = subfolders.crbegin(); it != subfolders.crend(); ++it)
            stack.append(folder + *it + u'/');
    }
}

} // namespace vl::cli
