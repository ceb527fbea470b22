#include "VLMain/core/UserNames.h"

#include "platform/core/IniFile.h"
#include "platform/core/PlatformError.h"
#include "platform/core/ProcessInfo.h"

#include <QDir>
#include <QFileInfo>

namespace vl {

namespace {

QString ProgramFolder()
{
    return QFileInfo(ProgramPath()).absolutePath();
}

QString ConfigFolder()
{
    const QString xdg = qEnvironmentVariable("XDG_CONFIG_HOME");
    // A relative value is to be ignored.
    if (!xdg.isEmpty() && QDir::isAbsolutePath(xdg))
        return xdg;
    return QDir::homePath() + u"/.config";
}

void LoadSection(const IniFile &ini, QStringView section, TDictionary &dictionary)
{
    // Views of the file's text: each name is made once, in the dictionary's order.
    QList<QStringView> names;
    ini.ForEachValue(section, [&](QStringView name) { names.append(name); });
    dictionary.LoadUserNameViews(names);
}

// This run's user list joined by the names that the file's section holds now, in list order; a
// name of the file equal to one of the list, letter case aside, gives way to it.
QStringList JoinedNames(const QStringList &userList, const IniFile &ini, QStringView section)
{
    SortedTextList joined(false);
    joined.InsertAll(userList);
    joined.InsertAll(ini.SectionValues(section));
    return joined.rows();
}

// Erases the section and writes it anew from the list; an empty list leaves it erased.
void WriteSection(IniFile &ini, QStringView section, const QStringList &names)
{
    ini.EraseSection(section);
    int key = 0;
    for (const QString &name : names) {
        // Only a name with a line break is refused; it is left out so that the rest is saved.
        if (ini.WriteKey(section, QString::number(key), name))
            ++key;
    }
}

} // namespace

QString UserNamesPathIn(const QString &programFolder, const QString &configFolder)
{
    const QString besideProgram
        = QDir(programFolder).filePath(QString::fromUtf16(kUserNamesFileName));
    const QFileInfo folder(programFolder);
    if ((folder.isDir() && folder.isWritable()) || QFileInfo(besideProgram).isFile())
        return besideProgram;
    return QDir(configFolder).filePath(u"Vorlant/" + QString::fromUtf16(kUserNamesFileName));
}

QString UserNamesPath()
{
    return UserNamesPathIn(ProgramFolder(), ConfigFolder());
}

void LoadUserNames(TDictionaries &dictionaries, const QString &path)
{
    // A folder, a device or a pipe of that name counts as no file.
    if (!QFileInfo(path).isFile())
        return;
    const IniFile ini(path);
    LoadSection(ini, kFullNamesSection, dictionaries.full);
    LoadSection(ini, kNamesSection, dictionaries.names);
}

void SaveUserNames(const TDictionaries &dictionaries, const QString &path)
{
    const QStringList &fullNames = dictionaries.full.UserList();
    const QStringList &names = dictionaries.names.UserList();
    if (fullNames.isEmpty() && names.isEmpty())
        return;
    const QString fullPath = QFileInfo(path).absoluteFilePath();
    const auto fail = [&] { throw PlatformError(u"Unable to write to " + fullPath); };
    if (!QDir().mkpath(QFileInfo(fullPath).absolutePath()))
        fail();
    // Another copy of the program may be saving its own additions: under the lock, the file is
    // read afresh and its names joined to this run's, so that what either added survives.
    const IniFileLock lock(fullPath);
    if (!lock.held())
        fail();
    // The whole file is read, changed in memory and replaced in one step, so that a failure
    // leaves the old file whole rather than with a section erased.
    IniFile ini(fullPath);
    WriteSection(ini, kFullNamesSection, JoinedNames(fullNames, ini, kFullNamesSection));
    WriteSection(ini, kNamesSection, JoinedNames(names, ini, kNamesSection));
    if (!ini.Flush())
        fail();
}

} // namespace vl
