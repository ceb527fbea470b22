<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="ru_RU">
<context>
    <name>AboutBox</name>
    <message>
        <source>О программе</source>
        <translation>About</translation>
    </message>
    <message>
        <source>О&amp;К</source>
        <translation>&amp;OK</translation>
    </message>
    <message>
        <source>Закрыть это окно</source>
        <translation>Close this window</translation>
    </message>
    <message>
        <source>Стилизованное переименование файлов</source>
        <translation>Styled File Renaming</translation>
    </message>
    <message>
        <source>Версия %1 (%2/%3 элементов)</source>
        <translation>Version %1 (%2/%3 items)</translation>
    </message>
</context>
<context>
    <name>AppWindow</name>
    <message>
        <source>&amp;Восстановить</source>
        <translation>&amp;Restore</translation>
    </message>
    <message>
        <source>&amp;Переместить</source>
        <translation>&amp;Move</translation>
    </message>
    <message>
        <source>&amp;Размер</source>
        <translation>&amp;Size</translation>
    </message>
    <message>
        <source>Све&amp;рнуть</source>
        <translation>Mi&amp;nimize</translation>
    </message>
    <message>
        <source>Ра&amp;звернуть</source>
        <translation>Ma&amp;ximize</translation>
    </message>
    <message>
        <source>&amp;Закрыть</source>
        <translation>&amp;Close</translation>
    </message>
</context>
<context>
    <name>Cli</name>
    <message>
        <source>справка: vorlant-cli --help</source>
        <translation>help: vorlant-cli --help</translation>
    </message>
    <message>
        <source>папка «%1» не найдена</source>
        <translation>folder “%1” not found</translation>
    </message>
    <message>
        <source>«%1» — не папка</source>
        <translation>“%1” is not a folder</translation>
    </message>
    <message>
        <source>в имени есть перевод строки или «/»</source>
        <translation>the name contains a line break or “/”</translation>
    </message>
    <message>
        <source>в полном имени файла нет точки</source>
        <translation>the full file name has no dot</translation>
    </message>
    <message>
        <source>в полное имя идёт его часть от первой до последней буквы, «%1», а в ней нет точки</source>
        <translation>a full name is taken from its first to its last letter, “%1”, and that part has no dot</translation>
    </message>
    <message>
        <source>имя «%1» не добавлено: %2</source>
        <translation>name “%1” not added: %2</translation>
    </message>
    <message>
        <source>Имя «%1» уже есть в словаре полных имён; добавлять нечего.</source>
        <translation>The name “%1” is already in the full names dictionary; nothing to add.</translation>
    </message>
    <message>
        <source>Имя «%1» уже есть в словаре имён; добавлять нечего.</source>
        <translation>The name “%1” is already in the names dictionary; nothing to add.</translation>
    </message>
    <message>
        <source>Имя «%1» добавлено в словарь полных имён.</source>
        <translation>The name “%1” was added to the full names dictionary.</translation>
    </message>
    <message>
        <source>Имя «%1» добавлено в словарь имён.</source>
        <translation>The name “%1” was added to the names dictionary.</translation>
    </message>
    <message>
        <source>Возвращено прежних имён: %1.</source>
        <translation>Former names restored: %1.</translation>
    </message>
    <message>
        <source>журнал не выполнен: %1</source>
        <translation>journal not carried out: %1</translation>
    </message>
    <message>
        <source>%1: нет журнала переименований этой папки, отменять нечего</source>
        <translation>%1: there is no rename journal of this folder, nothing to undo</translation>
    </message>
    <message>
        <source>%1: не удалось вернуть прежнее имя: %2</source>
        <translation>%1: could not restore the former name: %2</translation>
    </message>
    <message>
        <source>Возвращено прежних имён: %1, не возвращено: %2.</source>
        <translation>Former names restored: %1, not restored: %2.</translation>
    </message>
    <message>
        <source>журналы не тронуты: %1</source>
        <translation>journals left untouched: %1</translation>
    </message>
    <message>
        <source>%1: журнал идущего сейчас переименования не тронут</source>
        <translation>%1: the journal of a rename now running was left untouched</translation>
    </message>
    <message>
        <source>%1: нет прерванных переименований этой папки, забывать нечего.</source>
        <translation>%1: there are no interrupted renames of this folder, nothing to forget.</translation>
    </message>
    <message>
        <source>%1: забыто прерванных переименований: %2.</source>
        <translation>%1: interrupted renames forgotten: %2.</translation>
    </message>
    <message>
        <source>самопроверка словарей не пройдена; исправьте файл имён пользователя %1</source>
        <translation>the dictionaries failed their self-check; correct the user name file %1</translation>
    </message>
    <message>
        <source>%1; добавленные имена не сохранены</source>
        <translation>%1; the added names were not saved</translation>
    </message>
    <message>
        <source>параметр записан не в кодировке UTF-8</source>
        <translation>an argument is not in UTF-8</translation>
    </message>
    <message>
        <source>переименовать файлы</source>
        <translation>rename the files</translation>
    </message>
    <message>
        <source>обработать и все вложенные папки, каждую отдельно;
символические ссылки на папки не просматриваются</source>
        <translation>process all subfolders too, each one separately;
symbolic links to folders are not followed</translation>
    </message>
    <message>
        <source>по одному объекту JSON на строку для каждого файла
(поля folder, old, new, rule, state, error, suggestion)</source>
        <translation>one JSON object per line for each file
(fields folder, old, new, rule, state, error, suggestion)</translation>
    </message>
    <message>
        <source>переименовать и нераспознанные файлы, у которых есть
предложенное написание (из слов словарей), по нему</source>
        <translation>also rename unrecognised files that have a suggested
spelling (from the dictionaries&apos; words), by it</translation>
    </message>
    <message>
        <source>как --suggest, и добавить предложенные написания
в имена пользователя</source>
        <translation>as --suggest, and add the suggested spellings
to the user&apos;s names</translation>
    </message>
    <message>
        <source>ИМЯ</source>
        <translation>NAME</translation>
    </message>
    <message>
        <source>добавить имя в словарь имён</source>
        <translation>add a name to the names dictionary</translation>
    </message>
    <message>
        <source>добавить полное имя файла (с точкой и расширением)
в словарь полных имён</source>
        <translation>add a full file name (with dot and extension)
to the full names dictionary</translation>
    </message>
    <message>
        <source>[ПАПКА]</source>
        <translation>[FOLDER]</translation>
    </message>
    <message>
        <source>отменить последнее переименование в папке
(по умолчанию — в текущей)</source>
        <translation>undo the last rename in a folder
(by default the current one)</translation>
    </message>
    <message>
        <source>ПАПКА</source>
        <translation>FOLDER</translation>
    </message>
    <message>
        <source>забыть прерванное переименование в ПАПКЕ,
которой больше нет (её журнал)</source>
        <translation>forget the interrupted rename in FOLDER,
which is gone (its journal)</translation>
    </message>
    <message>
        <source>ФАЙЛ</source>
        <translation>FILE</translation>
    </message>
    <message>
        <source>брать имена пользователя из ФАЙЛА и записывать их туда
вместо обычного файла имён пользователя</source>
        <translation>read the user&apos;s names from FILE and write them there
instead of the usual user name file</translation>
    </message>
    <message>
        <source>показать эту справку</source>
        <translation>show this help</translation>
    </message>
    <message>
        <source>показать версию программы</source>
        <translation>show the program&apos;s version</translation>
    </message>
    <message>
        <source>неизвестный параметр %1</source>
        <translation>unknown option %1</translation>
    </message>
    <message>
        <source>после %1 нужно имя</source>
        <translation>%1 needs a name after it</translation>
    </message>
    <message>
        <source>после %1 нужно непустое имя</source>
        <translation>%1 needs a non-empty name after it</translation>
    </message>
    <message>
        <source>после %1 нужен путь к папке</source>
        <translation>%1 needs a folder path after it</translation>
    </message>
    <message>
        <source>после %1 нужен путь к файлу</source>
        <translation>%1 needs a file path after it</translation>
    </message>
    <message>
        <source>параметр %1 не принимает значения</source>
        <translation>option %1 takes no value</translation>
    </message>
    <message>
        <source>--forget не сочетается с другими параметрами</source>
        <translation>--forget cannot be combined with other options</translation>
    </message>
    <message>
        <source>--undo не сочетается с %1</source>
        <translation>--undo cannot be combined with %1</translation>
    </message>
    <message>
        <source>; папку с таким именем указывают после «--»: vorlant-cli --undo -- %1</source>
        <translation>; a folder of that name goes after “--”: vorlant-cli --undo -- %1</translation>
    </message>
    <message>
        <source>--undo принимает не больше одной папки</source>
        <translation>--undo takes at most one folder</translation>
    </message>
    <message>
        <source>не указана папка</source>
        <translation>no folder given</translation>
    </message>
    <message>
        <source>параметрам -x и -r нужна папка</source>
        <translation>options -x and -r need a folder</translation>
    </message>
    <message>
        <source>параметрам --suggest и --add-suggested нужна папка</source>
        <translation>options --suggest and --add-suggested need a folder</translation>
    </message>
    <message>
        <source>пустое имя папки</source>
        <translation>empty folder name</translation>
    </message>
    <message>
        <source>Использование:
  vorlant-cli [-x] [-r] [--json] [--suggest | --add-suggested] ПАПКА...
  vorlant-cli --add ИМЯ | --add-full ИМЯ.РАСШ ... [ПАПКА...]
  vorlant-cli --undo [ПАПКА]
  vorlant-cli --forget ПАПКА

Придаёт именам файлов в папке их стилизованный регистр букв («readme.TXT» → «ReadMe.txt»)
по тем же словарям и правилам, что и окно Vorlant, и с теми же именами пользователя.
Без -x ничего не меняет, а только показывает, какие файлы и как будут переименованы.

Параметры:
</source>
        <translation>Usage:
  vorlant-cli [-x] [-r] [--json] [--suggest | --add-suggested] FOLDER...
  vorlant-cli --add NAME | --add-full NAME.EXT ... [FOLDER...]
  vorlant-cli --undo [FOLDER]
  vorlant-cli --forget FOLDER

Gives the file names in a folder their styled letter case (“readme.TXT” → “ReadMe.txt”)
by the same dictionaries and rules as the Vorlant window, and with the same user names.
Without -x it changes nothing and only shows which files would be renamed and how.

Options:
</translation>
    </message>
    <message>
        <source>
Коды завершения: 0 — всё сделано; 1 — часть файлов не переименована или другая
ошибка; 2 — ошибка в параметрах; 3 — самопроверка словарей не пройдена.
Подробнее: man vorlant-cli
</source>
        <translation>
Exit codes: 0 - all done; 1 - some files not renamed, or another error;
2 - an error in the options; 3 - the dictionaries failed their self-check.
More: man vorlant-cli
</translation>
    </message>
    <message>
        <source>%1: не переименован в %2: %3</source>
        <translation>%1: not renamed to %2: %3</translation>
    </message>
    <message>
        <source>%1: не будет переименован в %2: %3</source>
        <translation>%1: will not be renamed to %2: %3</translation>
    </message>
    <message>
        <source>не распознано: %1</source>
        <translation>not recognised: %1</translation>
    </message>
    <message>
        <source>не распознано: %1 (предлагается: %2)</source>
        <translation>not recognised: %1 (suggested: %2)</translation>
    </message>
    <message>
        <source>Итого — папок: %1, файлов: %2, переименовано: %3</source>
        <translation>Total: folders: %1, files: %2, renamed: %3</translation>
    </message>
    <message>
        <source>Итого — папок: %1, файлов: %2, будет переименовано: %3</source>
        <translation>Total: folders: %1, files: %2, to be renamed: %3</translation>
    </message>
    <message>
        <source> (из них по предложенным написаниям: %1)</source>
        <translation> (by suggested spellings: %1)</translation>
    </message>
    <message>
        <source>, не распознано: %1</source>
        <translation>, not recognised: %1</translation>
    </message>
    <message>
        <source>, не переименовано: %1</source>
        <translation>, not renamed: %1</translation>
    </message>
    <message>
        <source>, не удастся переименовать: %1</source>
        <translation>, cannot be renamed: %1</translation>
    </message>
    <message>
        <source>, ошибок: %1</source>
        <translation>, errors: %1</translation>
    </message>
    <message>
        <source>%1: не удалось прочитать папку: %2</source>
        <translation>%1: could not read the folder: %2</translation>
    </message>
    <message>
        <source>%1: имя папки записано не в кодировке UTF-8, папка пропущена</source>
        <translation>%1: the folder name is not in UTF-8, folder skipped</translation>
    </message>
</context>
<context>
    <name>Dialogs</name>
    <message>
        <source>Да</source>
        <translation>Yes</translation>
    </message>
    <message>
        <source>Нет</source>
        <translation>No</translation>
    </message>
</context>
<context>
    <name>Dictionary</name>
    <message>
        <source>Приложение не будет запущено. Продолжить проверку?</source>
        <translation>The application will not start. Continue the check?</translation>
    </message>
    <message>
        <source>Найдены повторяющиеся имена файлов (%1).</source>
        <translation>Repeated file names found (%1).</translation>
    </message>
    <message>
        <source>Найдено избыточное имя файла (%1).</source>
        <translation>Redundant file name found (%1).</translation>
    </message>
    <message>
        <source>Найдено лишнее имя файла (%1).</source>
        <translation>Superfluous file name found (%1).</translation>
    </message>
    <message>
        <source>Ошибка самопроверки Vorlant</source>
        <translation>Vorlant Self-Check Error</translation>
    </message>
</context>
<context>
    <name>FileList</name>
    <message>
        <source>Не обработано</source>
        <translation>Not processed</translation>
    </message>
    <message>
        <source>Распознано</source>
        <translation>Recognised</translation>
    </message>
    <message>
        <source>Не распознано</source>
        <translation>Not recognised</translation>
    </message>
    <message>
        <source>Добавлено</source>
        <translation>Added</translation>
    </message>
    <message>
        <source>Не переименовано</source>
        <translation>Not renamed</translation>
    </message>
    <message>
        <source>Имя файла</source>
        <translation>File name</translation>
    </message>
    <message>
        <source>Расширение</source>
        <translation>Extension</translation>
    </message>
    <message>
        <source>Состояние</source>
        <translation>State</translation>
    </message>
    <message>
        <source>Предлагаемое написание: </source>
        <translation>Suggested spelling: </translation>
    </message>
</context>
<context>
    <name>Journal</name>
    <message>
        <source>журнал «%1» принадлежит другому пользователю или открыт для записи другим; он не выполнен</source>
        <translation>the journal “%1” belongs to another user or is open to writing by others; it was not carried out</translation>
    </message>
    <message>
        <source>журнал «%1»: %2</source>
        <translation>journal “%1”: %2</translation>
    </message>
    <message>
        <source>Журналы переименования не прочитаны: %1.</source>
        <translation>The rename journals were not read: %1.</translation>
    </message>
    <message>
        <source>Переименование файлов было прервано. Восстановлено: под новым именем — %1, под прежним именем — %2.</source>
        <translation>A rename of files was interrupted. Recovered: under the new name - %1, under the former name - %2.</translation>
    </message>
    <message>
        <source>Остались под временным именем: %1.</source>
        <translation>Left under a temporary name: %1.</translation>
    </message>
    <message>
        <source>Прерванная отмена переименования доведена до конца. Возвращено прежних имён: %1.</source>
        <translation>An interrupted undo of a rename was finished. Former names restored: %1.</translation>
    </message>
    <message>
        <source>Не выполнено по журналу: %1.</source>
        <translation>Not carried out from the journal: %1.</translation>
    </message>
    <message>
        <source>Переименование в папках, которых сейчас нет, было прервано; оно будет завершено, когда папка появится снова. Забыть его: vorlant-cli --forget ПАПКА.</source>
        <translation>A rename in folders that are not there now was interrupted; it will be finished when the folder appears again. To forget it: vorlant-cli --forget FOLDER.</translation>
    </message>
    <message>
        <source>в этой папке сейчас переименовывает файлы другой запуск программы; повторите отмену, когда он закончит</source>
        <translation>another run of the program is renaming files in this folder now; undo again when it has finished</translation>
    </message>
    <message>
        <source> Отмена не выполнена: в этой папке имя меняется в два шага, а без журнала файл, прерванный между ними, остался бы под временным именем.</source>
        <translation> The undo was not done: in this folder a name changes in two steps, and without a journal a file cut short between them would stay under its temporary name.</translation>
    </message>
    <message>
        <source> Имена возвращены без журнала.</source>
        <translation> The names were restored without a journal.</translation>
    </message>
    <message>
        <source>без журнала переименования имя в этой папке не меняется: нужны два шага</source>
        <translation>without a rename journal no name in this folder is changed: it takes two steps</translation>
    </message>
    <message>
        <source>папка журналов «%1» принадлежит другому пользователю или открыта для записи другим</source>
        <translation>the journal folder “%1” belongs to another user or is open to writing by others</translation>
    </message>
    <message>
        <source>папка журналов «%1»: %2</source>
        <translation>journal folder “%1”: %2</translation>
    </message>
    <message>
        <source>Журнал переименования не записан (%1): %2.</source>
        <translation>The rename journal was not written (%1): %2.</translation>
    </message>
    <message>
        <source>Журнал переименования не записан: %1.</source>
        <translation>The rename journal was not written: %1.</translation>
    </message>
</context>
<context>
    <name>MainForm</name>
    <message>
        <source>&amp;О программе</source>
        <translation>&amp;About</translation>
    </message>
    <message>
        <source>Стилизованное переименование файлов</source>
        <translation>Styled File Renaming</translation>
    </message>
    <message>
        <source>Ворлант</source>
        <translation>Vorlant</translation>
    </message>
    <message>
        <source>Эти имена не добавлены, потому что программа не смогла бы с ними запуститься:
</source>
        <translation>These names were not added, because the program could not start with them:
</translation>
    </message>
    <message>
        <source>Выберите для переименования:</source>
        <translation>Choose a folder to rename in:</translation>
    </message>
    <message>
        <source>Текущая папка:</source>
        <translation>Current folder:</translation>
    </message>
    <message>
        <source>&amp;Переименовать</source>
        <translation>&amp;Rename</translation>
    </message>
    <message>
        <source>Переименовать файлы в соответствии со стилем</source>
        <translation>Rename the files to match the style</translation>
    </message>
    <message>
        <source>&amp;Добавить имена</source>
        <translation>&amp;Add Names</translation>
    </message>
    <message>
        <source>Добавить отмеченные имена файлов в базу данных</source>
        <translation>Add the checked file names to the database</translation>
    </message>
    <message>
        <source>&amp;Отметить все имена</source>
        <translation>&amp;Check All Names</translation>
    </message>
    <message>
        <source>&amp;Снять всю отметку</source>
        <translation>&amp;Uncheck All</translation>
    </message>
    <message>
        <source>&amp;Принять предложенные написания</source>
        <translation>&amp;Accept Suggested Spellings</translation>
    </message>
</context>
<context>
    <name>NameEditing</name>
    <message>
        <source>в имени нет ни одной буквы</source>
        <translation>the name has no letter</translation>
    </message>
    <message>
        <source>имя файла записано не в UTF-8, и его знаки не прочитать</source>
        <translation>the file name is not in UTF-8, and its characters cannot be read</translation>
    </message>
    <message>
        <source>имя из одной буквы</source>
        <translation>a one-letter name</translation>
    </message>
    <message>
        <source>имя оканчивается на .shtml</source>
        <translation>the name ends in .shtml</translation>
    </message>
    <message>
        <source>Имя файла нельзя изменить на другое, можно только изменить регистр составляющих его символов.</source>
        <translation>A file name cannot be changed to another one; only the case of its characters can be changed.</translation>
    </message>
</context>
<context>
    <name>RenamePass</name>
    <message>
        <source>имя файла записано не в кодировке UTF-8</source>
        <translation>the file name is not in UTF-8</translation>
    </message>
    <message>
        <source>Переименование %1 (%2%)</source>
        <translation>Renaming %1 (%2%)</translation>
    </message>
    <message>
        <source>В этой папке сейчас переименовывает файлы другой запуск программы. Файлы не переименованы; повторите, когда он закончит.</source>
        <translation>Another run of the program is renaming files in this folder now. The files were not renamed; try again when it has finished.</translation>
    </message>
    <message>
        <source> Файлы не переименованы: в этой папке имя меняется в два шага, а без журнала файл, прерванный между ними, остался бы под временным именем.</source>
        <translation> The files were not renamed: in this folder a name changes in two steps, and without a journal a file cut short between them would stay under its temporary name.</translation>
    </message>
    <message>
        <source> Файлы переименованы без журнала; отменить это переименование будет нельзя.</source>
        <translation> The files were renamed without a journal; this rename cannot be undone.</translation>
    </message>
    <message>
        <source>без журнала переименования имя в этой папке не меняется: нужны два шага</source>
        <translation>without a rename journal no name in this folder is changed: it takes two steps</translation>
    </message>
    <message>
        <source>Журнал переименования записан не полностью (%1): %2. Отменить переименование удастся не для всех файлов.</source>
        <translation>The rename journal was not written in full (%1): %2. The rename cannot be undone for every file.</translation>
    </message>
    <message>
        <source>файловая система не сохранила новое написание имени</source>
        <translation>the file system did not keep the new spelling of the name</translation>
    </message>
    <message>
        <source>Не удалось переименовать файлов: %1.</source>
        <translation>Files that could not be renamed: %1.</translation>
    </message>
    <message>
        <source>Переименование файлов</source>
        <translation>Renaming Files</translation>
    </message>
</context>
<context>
    <name>RenameSteps</name>
    <message>
        <source>новое имя отличается от прежнего не только регистром букв</source>
        <translation>the new name differs from the former one in more than letter case</translation>
    </message>
    <message>
        <source>имя файла записано не в кодировке UTF-8</source>
        <translation>the file name is not in UTF-8</translation>
    </message>
    <message>
        <source>временное имя не из тех, что даёт программа</source>
        <translation>the temporary name is not one the program gives</translation>
    </message>
    <message>
        <source>запись журнала отклонена: %1 → %2 через %3: %4</source>
        <translation>journal record refused: %1 → %2 via %3: %4</translation>
    </message>
    <message>
        <source>имя занято другим файлом</source>
        <translation>the name is taken by another file</translation>
    </message>
    <message>
        <source>папка не найдена</source>
        <translation>folder not found</translation>
    </message>
    <message>
        <source>файл не найден: возможно, он удалён или переименован</source>
        <translation>file not found: it may have been deleted or renamed</translation>
    </message>
    <message>
        <source>нет прав на чтение этой папки</source>
        <translation>no permission to read this folder</translation>
    </message>
    <message>
        <source>нет прав на запись в папку журналов</source>
        <translation>no permission to write to the journal folder</translation>
    </message>
    <message>
        <source>нет прав на переименование в этой папке</source>
        <translation>no permission to rename in this folder</translation>
    </message>
    <message>
        <source>папка находится на диске только для чтения</source>
        <translation>the folder is on a read-only disk</translation>
    </message>
    <message>
        <source>часть пути не является папкой</source>
        <translation>a part of the path is not a folder</translation>
    </message>
    <message>
        <source>слишком длинное имя файла</source>
        <translation>file name too long</translation>
    </message>
    <message>
        <source>на диске нет места</source>
        <translation>no space left on the disk</translation>
    </message>
    <message>
        <source>файл занят другой программой</source>
        <translation>the file is in use by another program</translation>
    </message>
    <message>
        <source>ошибка ввода-вывода</source>
        <translation>input/output error</translation>
    </message>
    <message>
        <source>системная ошибка %1</source>
        <translation>system error %1</translation>
    </message>
    <message>
        <source>временное имя %1 занято</source>
        <translation>the temporary name %1 is taken</translation>
    </message>
    <message>
        <source>; файл остался под временным именем %1</source>
        <translation>; the file stayed under the temporary name %1</translation>
    </message>
</context>
</TS>
