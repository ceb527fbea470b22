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
#include <string>
#include <vector>

namespace vl::cli {

namespace {

// The scan's view of a window that is not there: no messages to let through, no buttons. Not
// being due, the listing reaches the list in one batch.
class QuietScanHooks final : public ScanHooks
{
public:
    bool MessagesDue() override { return false; }
};

// Set beside the rule where the plan renames the file.
constexpr int kRenames = 0x10;

// Keeps the rule of each item's plan, and steps the progress bar when there is one.
class PassHooks final : public RenamePassHooks
{
public:
    PassHooks(QByteArray &rules, ProgressBar *bar) : rules_(rules), bar_(bar) { }
    void BeforeItem(int done, int, const QString &) override
    {
        if (bar_)
            bar_->Show(done);
    }
    void Planned(int index, const ItemPlan &plan) override
    {
        rules_[index]
            = static_cast<char>(static_cast<int>(plan.rule) | (plan.rename ? kRenames : 0));
    }

private:
    QByteArray &rules_;
    ProgressBar *bar_;
};

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

// A translated line about one file, cut at its arguments once per folder, so that the lines of a
// large folder cost no translation and no parsing of the text each: %1 is the file's name as
// listed, %2 (where there is one) its suggested name.
class FileLineFormat
{
public:
    FileLineFormat(const QString &text, bool withSuggestion)
    {
        // Where arg() puts the arguments, in the translation's order: two characters that no text
        // of the program holds mark them.
        constexpr QChar kName(0xe000);
        constexpr QChar kSuggestion(0xe001);
        const QString marked = withSuggestion ? text.arg(QString(kName), QString(kSuggestion))
                                              : text.arg(QString(kName));
        qsizetype from = 0;
        for (qsizetype i = 0; i < marked.size(); ++i) {
            if (marked.at(i) != kName && marked.at(i) != kSuggestion)
                continue;
            pieces_.push_back(Piece(QStringView(marked).sliced(from, i - from)));
            suggestionAt_.append(marked.at(i) == kSuggestion);
            from = i + 1;
        }
        pieces_.push_back(Piece(QStringView(marked).sliced(from)));
    }

    void Write(OutLine &line, const QByteArray &name, QStringView suggestion) const
    {
        line.Utf8(pieces_.front());
        for (qsizetype i = 0; i < suggestionAt_.size(); ++i) {
            if (suggestionAt_.at(i))
                line.Name(suggestion);
            else
                line.Name(QByteArrayView(name));
            line.Utf8(pieces_.at(static_cast<std::size_t>(i + 1)));
        }
    }

private:
    static std::string Piece(QStringView text) { return Printable(text).toStdString(); }

    std::vector<std::string> pieces_; // the text between the arguments, printable, in UTF-8
    QList<bool> suggestionAt_; // for each argument: the suggestion, not the name
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
    std::unique_ptr<DirectoryListing> NewKindListing() override { return real_.NewKindListing(); }
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

} // namespace

FolderPass::FolderPass(const TDictionaries &dictionaries, const PassSettings &settings,
                       Totals &totals, FileSystem &fs) :
    dictionaries_(dictionaries),
    settings_(settings),
    totals_(totals),
    fs_(fs),
    suggester_(dictionaries)
{ }

QString FolderPass::SuggestionFor(const FileItem &item, bool unknown)
{
    // The file name as the pass writes it: the extension in lower case, and a final dot only
    // where the listed name has one.
    const bool dot = !item.extension.isEmpty() || item.diskName.endsWith('.');
    if (unknown) {
        // The pass has found that no dictionary holds the name: only the suggestion is asked.
        const NamePieces pieces = SplitNamePart(item.caption);
        const QString core = suggester_.Suggest(pieces.core);
        if (core.isEmpty())
            return {};
        if (!dot)
            return pieces.prefix + core + pieces.suffix;
        return pieces.prefix + core + pieces.suffix + u'.' + LowerCase(item.extension);
    }
    const QString caption = suggester_.CaptionFor(item);
    if (caption.isEmpty() || !dot)
        return caption;
    return caption + u'.' + LowerCase(item.extension);
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

    // The pass renames the list's items; of what they were, only the names are kept.
    QList<QByteArray> listed;
    listed.reserve(files.size());
    for (const FileItem &item : files.items())
        listed.append(item.diskName);

    // Suggestions to accept are asked before any is accepted, as only names the dictionaries
    // lack get one; otherwise they are asked for the unknown names only, when shown.
    QHash<int, QString> suggestions;
    QSet<int> accepted;
    if (acceptInto_) {
        for (int i = 0; i < files.size(); ++i)
            if (QString suggestion = SuggestionFor(files.at(i), false); !suggestion.isEmpty())
                suggestions.insert(i, std::move(suggestion));
        for (int i = 0; i < files.size(); ++i) {
            if (!suggestions.contains(i))
                continue;
            const QString core = ExtractNameCore(suggester_.CaptionFor(files.at(i)));
            if (!AddRefusalReason(core).isEmpty())
                continue;
            accepted.insert(i);
            if (!acceptInto_->names.ContainsName(core)) {
                acceptInto_->names.AddName(core);
                accepted_.append(core);
            }
        }
    }

    QByteArray rules(files.size(), static_cast<char>(RenameRule::ShortCore));
    if (settings_.apply) {
        if (!files.isEmpty()) {
            ProgressBar bar(folder, files.size());
            PassHooks hooks(rules, &bar);
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
    } else {
        // The real pass over the list, on the folder's names.
        DryRunFileSystem dryRun(fs_, QFile::encodeName(folder));
        PassHooks hooks(rules, nullptr);
        RenameFiles(folder, files, dictionaries_, dryRun, hooks, RenameOptions {});
    }
    Show(folder, files, listed, rules, suggestions, accepted);
}

void FolderPass::Show(const QString &folder, const FileListModel &after,
                      const QList<QByteArray> &listed, const QByteArray &rules,
                      const QHash<int, QString> &suggestions, const QSet<int> &accepted)
{
    const FileLineFormat unknownLine(QCoreApplication::translate("Cli", "не распознано: %1"),
                                     false);
    const FileLineFormat suggestedLine(
        QCoreApplication::translate("Cli", "не распознано: %1 (предлагается: %2)"), true);
    OutLine line; // the text lines; a line of JSON goes out on its own, with none of them
    bool started = false; // the folder's heading is written before its first line
    QStringList errors;
    for (int i = 0; i < after.size(); ++i) {
        const FileItem &now = after.at(i);
        const QByteArray &listedName = listed.at(i);
        const auto rule = static_cast<RenameRule>(rules.at(i) & ~kRenames);
        const bool planned = (rules.at(i) & kRenames) != 0;
        const bool unknown = rule == RenameRule::UnknownCore;
        QString error;
        if (now.state == ItemState::NotRenamed)
            error = now.failure.isEmpty() ? StateText(ItemState::NotRenamed) : now.failure;
        const bool renamed = error.isEmpty() && now.diskName != listedName;
        QString suggestion;
        if (acceptInto_)
            suggestion = suggestions.value(i);
        else if (unknown)
            suggestion = SuggestionFor(itemMaker_.Make(listedName), true);

        totals_.renamed += renamed ? 1 : 0;
        totals_.failed += error.isEmpty() ? 0 : 1;
        totals_.unknown += unknown ? 1 : 0;
        totals_.suggested += accepted.contains(i) && renamed ? 1 : 0;

        if (!error.isEmpty() || settings_.json) {
            const QString old = QString::fromUtf8(listedName);
            // A renamed file has its new name on disk, a file left alone its old one; only a
            // rename that failed or was not tried has its plan made again, from the item as
            // listed, for the name it was to get.
            QString newName = old;
            if (renamed) {
                newName = QString::fromUtf8(now.diskName);
            } else if (planned) {
                SeenCores seen;
                newName = ClassifyItem(MakeFileItem(listedName), dictionaries_, seen).newName;
            }
            if (!error.isEmpty())
                errors.append(
                    (settings_.apply
                         ? QCoreApplication::translate("Cli", "%1: не переименован в %2: %3")
                         : QCoreApplication::translate("Cli", "%1: не будет переименован в %2: %3"))
                        .arg(folder + old, newName, error));
            if (settings_.json) {
                WriteOut(JsonLine(folder, old, newName, rule,
                                  QString::fromUtf8(StateSourceText(now.state)), error,
                                  suggestion));
                continue;
            }
        }
        if (!renamed && !unknown)
            continue;
        if (!started)
            line.Name(folder).Utf8("\n").Write();
        started = true;
        if (renamed) {
            line.Utf8("  ").Name(QByteArrayView(listedName)).Utf8(" → ");
            line.Name(QByteArrayView(now.diskName)).Utf8("\n").Write();
        }
        if (unknown) {
            line.Utf8("  ");
            (suggestion.isEmpty() ? unknownLine : suggestedLine)
                .Write(line, listedName, suggestion);
            line.Utf8("\n").Write();
        }
    }
    // The lines go out before the messages about them, as each is written after stdout.
    line.Flush();
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
