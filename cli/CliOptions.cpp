#include "cli/CliOptions.h"

#include <QCoreApplication>

using namespace Qt::StringLiterals;

namespace vl::cli {

namespace {

// Every option of the command line, in the order --help lists them. The parser knows the options
// by this table, --help is written from it, and the CLI tests check the manual page against
// --help.
enum class OptionId {
    Apply,
    Recursive,
    Json,
    Suggest,
    AddSuggested,
    Add,
    AddFull,
    Undo,
    Forget,
    UserNames,
    Help,
    Version
};

struct OptionRow {
    OptionId id;
    char16_t shortName; // 0: none
    const char16_t *longName;
    const char *valueName; // empty: takes no value; in brackets: an optional one
    const char *help; // lines of the help text, "\n" between them
};

const OptionRow kOptions[] = {
    {OptionId::Apply, u'x', u"--apply", "", QT_TRANSLATE_NOOP("Cli", "переименовать файлы")},
    {OptionId::Recursive, u'r', u"--recursive", "",
     QT_TRANSLATE_NOOP("Cli", "обработать и все вложенные папки, каждую отдельно;\n"
                              "символические ссылки на папки не просматриваются")},
    {OptionId::Json, 0, u"--json", "",
     QT_TRANSLATE_NOOP("Cli", "по одному объекту JSON на строку для каждого файла\n"
                              "(поля folder, old, new, rule, state, error, suggestion)")},
    {OptionId::Suggest, 0, u"--suggest", "",
     QT_TRANSLATE_NOOP("Cli", "переименовать и нераспознанные файлы, у которых есть\n"
                              "предложенное написание (из слов словарей), по нему")},
    {OptionId::AddSuggested, 0, u"--add-suggested", "",
     QT_TRANSLATE_NOOP("Cli",
                       "как --suggest, и добавить предложенные написания\nв имена пользователя")},
    {OptionId::Add, 0, u"--add", QT_TRANSLATE_NOOP("Cli", "ИМЯ"),
     QT_TRANSLATE_NOOP("Cli", "добавить имя в словарь имён")},
    {OptionId::AddFull, 0, u"--add-full", QT_TRANSLATE_NOOP("Cli", "ИМЯ"),
     QT_TRANSLATE_NOOP(
         "Cli", "добавить полное имя файла (с точкой и расширением)\nв словарь полных имён")},
    {OptionId::Undo, 0, u"--undo", QT_TRANSLATE_NOOP("Cli", "[ПАПКА]"),
     QT_TRANSLATE_NOOP("Cli",
                       "отменить последнее переименование в папке\n(по умолчанию — в текущей)")},
    {OptionId::Forget, 0, u"--forget", QT_TRANSLATE_NOOP("Cli", "ПАПКА"),
     QT_TRANSLATE_NOOP(
         "Cli", "забыть прерванное переименование в ПАПКЕ,\nкоторой больше нет (её журнал)")},
    {OptionId::UserNames, 0, u"--user-names", QT_TRANSLATE_NOOP("Cli", "ФАЙЛ"),
     QT_TRANSLATE_NOOP("Cli", "брать имена пользователя из ФАЙЛА и записывать их туда\n"
                              "вместо обычного файла имён пользователя")},
    {OptionId::Help, u'h', u"--help", "", QT_TRANSLATE_NOOP("Cli", "показать эту справку")},
    {OptionId::Version, 0, u"--version", "", QT_TRANSLATE_NOOP("Cli", "показать версию программы")},
};

const OptionRow *FindLong(QStringView name)
{
    for (const OptionRow &option : kOptions)
        if (name == QStringView(option.longName))
            return &option;
    return nullptr;
}

const OptionRow *FindShort(QChar name)
{
    for (const OptionRow &option : kOptions)
        if (option.shortName != 0 && name == QChar(option.shortName))
            return &option;
    return nullptr;
}

QString Quoted(const QString &text)
{
    return u'«' + text + u'»';
}

// Takes the value of an option that needs one, given as "--opt=value" or as the next argument.
bool TakeValue(const QStringList &arguments, qsizetype &i, const QString &inlineValue,
               bool hasInline, QString &value)
{
    if (hasInline) {
        value = inlineValue;
        return true;
    }
    if (i + 1 >= arguments.size())
        return false;
    value = arguments.at(++i);
    return true;
}

} // namespace

ParseResult ParseArguments(const QStringList &arguments)
{
    ParseResult result;
    CliOptions &o = result.options;
    bool optionsEnded = false;
    bool undoTakesFolder = false; // the argument right after --undo may be its folder
    QString beside; // the first option given beside --undo, as it was written
    const auto fail = [&](const QString &error) {
        result.error = error;
        return result;
    };

    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &arg = arguments.at(i);
        const bool mayBeUndoFolder = std::exchange(undoTakesFolder, false);
        if (optionsEnded || arg == u"-" || !arg.startsWith(u'-')) {
            if (mayBeUndoFolder)
                o.undoFolder = arg;
            else
                o.folders.append(arg);
            continue;
        }
        if (arg == u"--") {
            optionsEnded = true;
            // "--undo -- -x": the folder that --undo takes may follow the end of the options.
            undoTakesFolder = mayBeUndoFolder;
            continue;
        }
        if (beside.isEmpty() && arg != u"--undo" && !arg.startsWith(u"--undo=")
            && !arg.startsWith(u"--user-names"))
            beside = arg;
        if (arg.startsWith(u"--")) {
            const qsizetype eq = arg.indexOf(u'=');
            const QString name = eq < 0 ? arg : arg.left(eq);
            const QString inlineValue = eq < 0 ? QString() : arg.mid(eq + 1);
            const bool hasInline = eq >= 0;
            const OptionRow *option = FindLong(name);
            if (!option)
                return fail(QCoreApplication::translate("Cli", "неизвестный параметр %1")
                                .arg(Quoted(name)));
            switch (option->id) {
            case OptionId::Help:
                o.help = true;
                break;
            case OptionId::Version:
                o.version = true;
                break;
            case OptionId::Apply:
                o.apply = true;
                break;
            case OptionId::Recursive:
                o.recursive = true;
                break;
            case OptionId::Json:
                o.json = true;
                break;
            case OptionId::Suggest:
                o.suggest = true;
                break;
            case OptionId::AddSuggested:
                o.addSuggested = true;
                break;
            case OptionId::Undo:
                o.undo = true;
                if (hasInline)
                    o.undoFolder = inlineValue;
                else
                    undoTakesFolder = true;
                continue;
            case OptionId::Add:
            case OptionId::AddFull: {
                QString value;
                if (!TakeValue(arguments, i, inlineValue, hasInline, value))
                    return fail(QCoreApplication::translate("Cli", "после %1 нужно имя").arg(name));
                if (value.isEmpty())
                    return fail(QCoreApplication::translate("Cli", "после %1 нужно непустое имя")
                                    .arg(name));
                o.names.append({option->id == OptionId::AddFull, value});
                continue;
            }
            case OptionId::Forget: {
                QString value;
                if (!TakeValue(arguments, i, inlineValue, hasInline, value) || value.isEmpty())
                    return fail(QCoreApplication::translate("Cli", "после %1 нужен путь к папке")
                                    .arg(name));
                o.forgetFolder = value;
                continue;
            }
            case OptionId::UserNames: {
                QString value;
                if (!TakeValue(arguments, i, inlineValue, hasInline, value) || value.isEmpty())
                    return fail(QCoreApplication::translate("Cli", "после %1 нужен путь к файлу")
                                    .arg(name));
                o.userNamesFile = value;
                continue;
            }
            }
            if (hasInline)
                return fail(QCoreApplication::translate("Cli", "параметр %1 не принимает значения")
                                .arg(name));
            continue;
        }
        // One or more grouped short options.
        for (qsizetype k = 1; k < arg.size(); ++k) {
            const OptionRow *option = FindShort(arg.at(k));
            if (!option)
                return fail(QCoreApplication::translate("Cli", "неизвестный параметр %1")
                                .arg(Quoted(u'-' + arg.mid(k, 1))));
            switch (option->id) {
            case OptionId::Apply:
                o.apply = true;
                break;
            case OptionId::Recursive:
                o.recursive = true;
                break;
            case OptionId::Help:
                o.help = true;
                break;
            default:
                break; // the table gives no other option a short name
            }
        }
    }

    if (o.help || o.version)
        return result; // the others do not matter then
    if (!o.forgetFolder.isEmpty()) {
        if (o.undo || o.apply || o.recursive || o.json || !o.names.isEmpty()
            || !o.folders.isEmpty())
            return fail(
                QCoreApplication::translate("Cli", "--forget не сочетается с другими параметрами"));
        return result;
    }
    if (o.undo) {
        if (o.apply || o.recursive || o.json || o.suggest || o.addSuggested || !o.names.isEmpty()) {
            const QString option = beside.section(u'=', 0, 0);
            QString error = QCoreApplication::translate("Cli", "--undo не сочетается с %1")
                                .arg(Quoted(option));
            // The user may have meant a folder of that name.
            if (option != u"--add" && option != u"--add-full")
                error += QCoreApplication::translate(
                             "Cli", "; папку с таким именем указывают после «--»: vorlant-cli "
                                    "--undo -- %1")
                             .arg(beside);
            return fail(error);
        }
        if (!o.folders.isEmpty())
            return fail(
                QCoreApplication::translate("Cli", "--undo принимает не больше одной папки"));
        return result;
    }
    if (o.folders.isEmpty() && o.names.isEmpty())
        return fail(QCoreApplication::translate("Cli", "не указана папка"));
    if (o.folders.isEmpty() && (o.apply || o.recursive))
        return fail(QCoreApplication::translate("Cli", "параметрам -x и -r нужна папка"));
    if (o.folders.isEmpty() && (o.suggest || o.addSuggested))
        return fail(QCoreApplication::translate(
            "Cli", "параметрам --suggest и --add-suggested нужна папка"));
    for (const QString &folder : o.folders)
        if (folder.isEmpty())
            return fail(QCoreApplication::translate("Cli", "пустое имя папки"));
    return result;
}

QString UsageText()
{
    // The options' column: "  -x, --apply" or "      --add ИМЯ", padded to the help text.
    constexpr qsizetype kHelpColumn = 22;
    QString options;
    for (const OptionRow &option : kOptions) {
        QString head
            = option.shortName != 0 ? u"  -"_s + QChar(option.shortName) + u", " : u"      "_s;
        head += QStringView(option.longName);
        if (option.valueName[0] != 0)
            head += u' ' + QCoreApplication::translate("Cli", option.valueName);
        const QStringList lines = QCoreApplication::translate("Cli", option.help).split(u'\n');
        if (head.size() > kHelpColumn - 2) // too long for the column: the help starts below it
            options += std::exchange(head, QString()) + u'\n';
        for (qsizetype l = 0; l < lines.size(); ++l) {
            const QString left = l == 0 ? head : QString();
            options += left.leftJustified(kHelpColumn - 2, u' ') + u"  " + lines.at(l) + u'\n';
        }
    }
    return QCoreApplication::translate(
               "Cli", "Использование:\n"
                      "  vorlant-cli [-x] [-r] [--json] [--suggest | --add-suggested] ПАПКА...\n"
                      "  vorlant-cli --add ИМЯ | --add-full ИМЯ.РАСШ ... [ПАПКА...]\n"
                      "  vorlant-cli --undo [ПАПКА]\n"
                      "  vorlant-cli --forget ПАПКА\n"
                      "\n"
                      "Придаёт именам файлов в папке их стилизованный регистр букв («readme.TXT» → "
                      "«ReadMe.txt»)\n"
                      "по тем же словарям и правилам, что и окно Vorlant, и с теми же именами "
                      "пользователя.\n"
                      "Без -x ничего не меняет, а только показывает, какие файлы и как будут "
                      "переименованы.\n"
                      "\n"
                      "Параметры:\n")
           + options
           + QCoreApplication::translate(
               "Cli",
               "\n"
               "Коды завершения: 0 — всё сделано; 1 — часть файлов не переименована или другая\n"
               "ошибка; 2 — ошибка в параметрах; 3 — самопроверка словарей не пройдена.\n"
               "Подробнее: man vorlant-cli\n");
}

} // namespace vl::cli
