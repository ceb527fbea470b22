// The entry of vorlant-cli: the window's dictionaries, user names and rename pass, driven from
// the command line.

#include "cli/CliConsole.h"
#include "cli/CliOptions.h"
#include "cli/CliPass.h"

#include "VLMain/core/FolderScan.h"
#include "VLMain/core/JournalRecovery.h"
#include "VLMain/core/NameEditing.h"
#include "VLMain/core/RenameJournal.h"
#include "VLMain/core/UserNames.h"
#include "VLUtils/core/InterfaceLanguage.h"
#include "VLUtils/core/TextRules.h"
#include "VLUtils/core/VersionInfo.h"
#include "platform/core/PlatformError.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace vl::cli {

namespace {

// Reports each fault of the self-check on stderr and goes on, so that every fault is seen at once.
class StderrPrompt final : public SelfCheckPrompt
{
public:
    bool Continue(const QString &message) override
    {
        // The message ends with the window's question, which has no place here.
        WriteError(message.section(u'\r', 0, 0));
        return true;
    }
};

// The arguments as text. An argument that is not UTF-8 cannot name a file of this program, and
// decoding it would silently name another one.
bool DecodeArguments(int argc, char **argv, QStringList &arguments)
{
    for (int i = 1; i < argc; ++i) {
        const QByteArray bytes(argv[i]);
        QString text = QString::fromUtf8(bytes);
        if (text.toUtf8() != bytes)
            return false;
        arguments.append(std::move(text));
    }
    return true;
}

int UsageError(const QString &error)
{
    WriteError(error);
    WriteError(QCoreApplication::translate("Cli", "справка: vorlant-cli --help"));
    return kExitUsage;
}

// The folder arguments as absolute paths with their links resolved, ending in "/".
bool ResolveFolders(const QStringList &arguments, QStringList &folders, QString &error)
{
    for (const QString &argument : arguments) {
        const QFileInfo info(argument);
        if (!info.exists()) {
            error = QCoreApplication::translate("Cli", "папка «%1» не найдена").arg(argument);
            return false;
        }
        if (!info.isDir()) {
            error = QCoreApplication::translate("Cli", "«%1» — не папка").arg(argument);
            return false;
        }
        folders.append(WithSeparator(info.canonicalFilePath()));
    }
    return true;
}

// Why a name given on the command line cannot be added, beyond the window's reasons.
QString CommandLineRefusal(const NameArgument &name, const QString &core)
{
    if (core.contains(u'\n') || core.contains(u'\r') || core.contains(u'/'))
        return QCoreApplication::translate("Cli", "в имени есть перевод строки или «/»");
    if (name.fullName && !core.contains(u'.')) {
        if (!name.text.contains(u'.'))
            return QCoreApplication::translate("Cli", "в полном имени файла нет точки");
        // «Setup.1»: the dictionary takes the name from its first to its last letter, «Setup».
        return QCoreApplication::translate(
                   "Cli", "в полное имя идёт его часть от первой до последней буквы, «%1», а в "
                          "ней нет точки")
            .arg(core);
    }
    return {};
}

// Adds the names as the window's add button does: the name core of each text, refused when it
// could not pass the next start's self-check, nothing when the dictionary holds it already.
// True when every name was added or already there.
bool AddNames(const QList<NameArgument> &names, TDictionaries &dictionaries, bool &added,
              bool toStderr)
{
    bool allDone = true;
    const auto say = [toStderr](const QString &line) {
        if (toStderr)
            WriteError(line);
        else
            WriteOut(Printable(line) + u'\n');
    };
    for (const NameArgument &name : names) {
        const QString core = ExtractNameCore(name.text);
        QString reason = AddRefusalReason(core);
        if (reason.isEmpty())
            reason = CommandLineRefusal(name, core);
        if (!reason.isEmpty()) {
            WriteError(QCoreApplication::translate("Cli", "имя «%1» не добавлено: %2")
                           .arg(name.text, reason));
            allDone = false;
            continue;
        }
        TDictionary &dictionary = name.fullName ? dictionaries.full : dictionaries.names;
        if (dictionary.ContainsName(core)) {
            say(name.fullName
                    ? QCoreApplication::translate(
                          "Cli", "Имя «%1» уже есть в словаре полных имён; добавлять нечего.")
                          .arg(core)
                    : QCoreApplication::translate(
                          "Cli", "Имя «%1» уже есть в словаре имён; добавлять нечего.")
                          .arg(core));
            continue;
        }
        dictionary.AddName(core);
        added = true;
        say(name.fullName
                ? QCoreApplication::translate("Cli", "Имя «%1» добавлено в словарь полных имён.")
                      .arg(core)
                : QCoreApplication::translate("Cli", "Имя «%1» добавлено в словарь имён.")
                      .arg(core));
    }
    return allDone;
}

// Reverses the last pass on the folder from its journal.
int Undo(const QString &argument)
{
    QStringList folders;
    if (QString error;
        !ResolveFolders({argument.isEmpty() ? QDir::currentPath() : argument}, folders, error))
        return UsageError(error);
    const QString &folder = folders.first();
    const QString journalFolder = JournalFolder();
    Totals totals;
    const RecoveryReport recovery
        = RecoverUnfinishedJournals(journalFolder, SystemFileSystem(), folder);
    ReportRecovery(recovery, totals);
    if (recovery.undosFinished > 0) {
        // An undo of this folder was cut short: finishing it was what was asked for.
        WriteOut(folder + u'\n'
                 + QCoreApplication::translate("Cli", "Возвращено прежних имён: %1.")
                       .arg(QString::number(recovery.undoReversed))
                 + u'\n');
        return totals.errors == 0 && recovery.refused.isEmpty() ? kExitDone : kExitFailed;
    }

    QString distrust;
    const std::optional<JournalContents> journal
        = ReadLastJournal(folder, journalFolder, &distrust);
    if (!distrust.isEmpty())
        WriteError(QCoreApplication::translate("Cli", "журнал не выполнен: %1").arg(distrust));
    if (!journal) {
        WriteError(QCoreApplication::translate(
                       "Cli", "%1: нет журнала переименований этой папки, отменять нечего")
                       .arg(folder));
        return kExitFailed;
    }
    const UndoReport report = UndoPass(*journal, SystemFileSystem(), journalFolder);
    if (!report.refusal.isEmpty()) {
        WriteError(folder + u": " + report.refusal);
        return kExitFailed;
    }
    for (const QString &refused : report.refused)
        WriteError(folder + u": " + refused);
    for (const QString &failure : report.notReversed)
        WriteError(QCoreApplication::translate("Cli", "%1: не удалось вернуть прежнее имя: %2")
                       .arg(folder, failure));
    if (!report.journalError.isEmpty())
        WriteError(folder + u": " + report.journalError);
    WriteOut(Printable(folder) + u'\n'
             + (report.notReversed.isEmpty()
                    ? QCoreApplication::translate("Cli", "Возвращено прежних имён: %1.")
                          .arg(QString::number(report.reversed))
                    : QCoreApplication::translate("Cli",
                                                  "Возвращено прежних имён: %1, не возвращено: %2.")
                          .arg(QString::number(report.reversed),
                               QString::number(report.notReversed.size())))
             + u'\n');
    return report.notReversed.isEmpty() && report.refused.isEmpty() && totals.errors == 0
               ? kExitDone
               : kExitFailed;
}

// Drops the unfinished journals of a folder, which need not exist any more.
int Forget(const QString &argument)
{
    const QString folder
        = WithSeparator(QDir::cleanPath(QDir::current().absoluteFilePath(argument)));
    const QString journalFolder = JournalFolder();
    Totals totals;
    // A folder that is there is recovered first; only what cannot be settled is forgotten.
    if (QFileInfo(folder).isDir())
        ReportRecovery(RecoverUnfinishedJournals(journalFolder, SystemFileSystem(), folder),
                       totals);
    const ForgetReport report
        = ForgetJournals(journalFolder, SystemJournalStore(), QFile::encodeName(folder));
    if (!report.distrust.isEmpty()) {
        WriteError(
            QCoreApplication::translate("Cli", "журналы не тронуты: %1").arg(report.distrust));
        return kExitFailed;
    }
    if (report.inUse > 0)
        WriteError(
            QCoreApplication::translate("Cli", "%1: журнал идущего сейчас переименования не тронут")
                .arg(folder));
    if (report.forgotten == 0) {
        WriteOut(QCoreApplication::translate(
                     "Cli", "%1: нет прерванных переименований этой папки, забывать нечего.")
                     .arg(folder)
                 + u'\n');
        return report.inUse > 0 ? kExitFailed : kExitDone;
    }
    WriteOut(QCoreApplication::translate("Cli", "%1: забыто прерванных переименований: %2.")
                 .arg(folder, QString::number(report.forgotten))
             + u'\n');
    return kExitDone;
}

// Saves the user's names after names were added; false, and said, when the file cannot be written.
bool SaveAddedNames(const TDictionaries &dictionaries, const QString &userNames)
{
    try {
        SaveUserNames(dictionaries, userNames);
        return true;
    } catch (const PlatformError &error) {
        WriteError(QCoreApplication::translate("Cli", "%1; добавленные имена не сохранены")
                       .arg(error.message()));
        return false;
    }
}

int Run(const CliOptions &options)
{
    if (options.help) {
        WriteOut(UsageText());
        return kExitDone;
    }
    if (options.version) {
        WriteOut(u"vorlant-cli " + ProgramVersion() + u'\n');
        return kExitDone;
    }

    if (options.undo)
        return Undo(options.undoFolder);
    if (!options.forgetFolder.isEmpty())
        return Forget(options.forgetFolder);

    QStringList folders;
    if (QString error; !ResolveFolders(options.folders, folders, error))
        return UsageError(error);

    const QString userNames = options.userNamesFile.isEmpty()
                                  ? UserNamesPath()
                                  : QFileInfo(options.userNamesFile).absoluteFilePath();
    TDictionaries dictionaries;
    StderrPrompt prompt;
    const bool fault = PrepareDictionaries(dictionaries, prompt,
                                           [&](TDictionaries &d) { LoadUserNames(d, userNames); });
    if (fault) {
        WriteError(QCoreApplication::translate(
                       "Cli", "самопроверка словарей не пройдена; исправьте файл имён "
                              "пользователя %1")
                       .arg(userNames));
        return kExitSelfCheck;
    }

    int status = kExitDone;
    if (!options.names.isEmpty()) {
        bool added = false;
        if (!AddNames(options.names, dictionaries, added, options.json))
            status = kExitFailed;
        if (added) {
            if (!SaveAddedNames(dictionaries, userNames))
                status = kExitFailed;
        }
    }

    if (!folders.isEmpty()) {
        Totals totals;
        PassSettings settings;
        settings.apply = options.apply;
        settings.json = options.json;
        settings.journalFolder = JournalFolder();
        FolderPass pass(dictionaries, settings, totals, SystemFileSystem());
        if (options.suggest || options.addSuggested)
            pass.AcceptSuggestions(dictionaries);
        FolderWalker walker(pass, options.recursive, totals, SystemFileSystem());
        for (const QString &folder : folders)
            walker.Walk(folder);
        if (!options.json)
            WriteOut(SummaryLine(totals, options.apply));
        if (totals.failed > 0 || totals.errors > 0)
            status = kExitFailed;
        // Accepted for this run only, unless the user asked to keep them.
        if (options.addSuggested && !pass.AcceptedSuggestions().isEmpty()) {
            for (const QString &name : pass.AcceptedSuggestions()) {
                const QString line
                    = QCoreApplication::translate("Cli", "Имя «%1» добавлено в словарь имён.")
                          .arg(name);
                options.json ? WriteError(line) : WriteOut(line + u'\n');
            }
            if (!SaveAddedNames(dictionaries, userNames))
                status = kExitFailed;
        }
    }
    return status;
}

} // namespace

} // namespace vl::cli

int main(int argc, char **argv)
{
    using namespace vl::cli;
    // For the program's own folder, where the user name file may live, and for the translation
    // of the messages.
    QCoreApplication app(argc, argv);
    vl::InstallInterfaceTranslation(
        vl::ChooseInterfaceLanguage(vl::LocaleVariablesFromEnvironment()));
    QStringList arguments;
    if (!DecodeArguments(argc, argv, arguments))
        return UsageError(
            QCoreApplication::translate("Cli", "параметр записан не в кодировке UTF-8"));
    const ParseResult parsed = ParseArguments(arguments);
    if (!parsed.error.isEmpty())
        return UsageError(parsed.error);
    int status = kExitFailed;
    try {
        status = Run(parsed.options);
    } catch (const vl::PlatformError &error) {
        WriteError(error.message());
    }
    FlushOut();
    return status;
}
