#include "cli/CliOptions.h"

namespace vl::cli
{

namespace
{

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
            continue;
        }
        if (arg.startsWith(u"--")) {
            const qsizetype eq = arg.indexOf(u'=');
            const QString name = eq < 0 ? arg : arg.left(eq);
            const QString inlineValue = eq < 0 ? QString() : arg.mid(eq + 1);
            const bool hasInline = eq >= 0;
            if (name == u"--help") {
                o.help = true;
            } else if (name == u"--version") {
                o.version = true;
            } else if (name == u"--apply") {
                o.apply = true;
            } else if (name == u"--recursive") {
                o.recursive = true;
            } else if (name == u"--json") {
                o.json = true;
            } else if (name == u"--undo") {
                o.undo = true;
                if (hasInline)
                    o.undoFolder = inlineValue;
                else
                    undoTakesFolder = true;
                continue;
            } else if (name == u"--add" || name == u"--add-full") {
                QString value;
                if (!TakeValue(arguments, i, inlineValue, hasInline, value))
                    return fail(u"после " + name + u" нужно имя");
                if (value.isEmpty())
                    return fail(u"после " + name + u" нужно непустое имя");
                o.names.append({ name == u"--add-full", value });
                continue;
            } else if (name == u"--user-names") {
                QString value;
                if (!TakeValue(arguments, i, inlineValue, hasInline, value) || value.isEmpty())
                    return fail(u"после " + name + u" нужен путь к файлу");
                o.userNamesFile = value;
                continue;
            } else {
                return fail(u"неизвестный параметр " + Quoted(name));
            }
            if (hasInline)
                return fail(u"параметр " + name + u" не принимает значения");
            continue;
        }
        // One or more grouped short options.
        for (qsizetype k = 1; k < arg.size(); ++k) {
            switch (arg.at(k).unicode()) {
            case u'x':
                o.apply = true;
                break;
            case u'r':
                o.recursive = true;
                break;
            case u'h':
                o.help = true;
                break;
            default:
                return fail(u"неизвестный параметр " + Quoted(u'-' + arg.mid(k, 1)));
            }
        }
    }

    if (o.help || o.version)
        return result; // the others do not matter then
    if (o.undo) {
        if (o.apply || o.recursive || o.json || !o.names.isEmpty() || !o.folders.isEmpty())
            return fail(QStringLiteral("--undo не сочетается с другими параметрами и принимает не "
                                       "больше одной папки"));
        return result;
    }
    if (o.folders.isEmpty() && o.names.isEmpty())
        return fail(QStringLiteral("не указана папка"));
    if (o.folders.isEmpty() && (o.apply || o.recursive))
        return fail(QStringLiteral("параметрам -x и -r нужна папка"));
    for (const QString &folder : o.folders)
        if (folder.isEmpty())
            return fail(QStringLiteral("пустое имя папки"));
    return result;
}

QString UsageText()
{
    return QStringLiteral(
        "Использование:\n"
        "  vorlant-cli [-x] [-r] [--json] ПАПКА...\n"
        "  vorlant-cli --add ИМЯ | --add-full ИМЯ.РАСШ ... [ПАПКА...]\n"
        "  vorlant-cli --undo [ПАПКА]\n"
        "\n"
        "Придаёт именам файлов в папке их стилизованный регистр букв («readme.TXT» → "
        "«ReadMe.txt»)\n"
        "по тем же словарям и правилам, что и окно Vorlant, и с теми же именами пользователя.\n"
        "Без -x ничего не меняет, а только показывает, какие файлы и как будут переименованы.\n"
        "\n"
        "Параметры:\n"
        "  -x, --apply         переименовать файлы\n"
        "  -r, --recursive     обработать и все вложенные папки, каждую отдельно;\n"
        "                      символические ссылки на папки не просматриваются\n"
        "      --json          по одному объекту JSON на строку для каждого файла\n"
        "                      (поля folder, old, new, rule, state, error)\n"
        "      --add ИМЯ       добавить имя в словарь имён\n"
        "      --add-full ИМЯ  добавить полное имя файла (с точкой и расширением)\n"
        "                      в словарь полных имён\n"
        "      --undo [ПАПКА]  отменить последнее переименование в папке\n"
        "                      (по умолчанию — в текущей)\n"
        "  -h, --help          показать эту справку\n"
        "      --version       показать версию программы\n"
        "\n"
        "Коды завершения: 0 — всё сделано; 1 — часть файлов не переименована или другая\n"
        "ошибка; 2 — ошибка в параметрах; 3 — самопроверка словарей не пройдена.\n"
        "Подробнее: man vorlant-cli\n");
}

} // namespace vl::cli
