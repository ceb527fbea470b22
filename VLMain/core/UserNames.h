#pragma once

// The user name file: the names the user added to the dictionaries, kept from run to run in the
// INI file "Vorlant.ini". Section "NAME.EXT" holds the full-name dictionary's user list, section
// "NAMES" the name dictionary's, one entry per name under the keys "0", "1", ... in list order.

#include "VLMain/core/Dictionary.h"

#include <QString>

namespace vl {

inline constexpr char16_t kUserNamesFileName[] = u"Vorlant.ini";
inline constexpr char16_t kFullNamesSection[] = u"NAME.EXT";
inline constexpr char16_t kNamesSection[] = u"NAMES";

// Where the file lives: "Vorlant.ini" in programFolder when that folder is writable or already
// holds the file, else "Vorlant/Vorlant.ini" in configFolder. Both folders are absolute.
QString UserNamesPathIn(const QString &programFolder, const QString &configFolder);

// The file's path for this program: the folder of the executable, and $XDG_CONFIG_HOME (when set
// to an absolute path) or ~/.config. A caller that is told another path (the window's options,
// the command line's --user-names) uses that instead.
QString UserNamesPath();

// Loads the names of both sections into the user lists and spelling lists, with no test of the
// names (the self-check that follows sees them). A missing file, or anything at the path that is
// not a file, loads nothing.
void LoadUserNames(TDictionaries &dictionaries, const QString &path);

// Writes both user lists, each section whole, replacing the file atomically. Names that another
// copy of the program saved meanwhile are kept: the file is read again and joined under a lock.
// A section left without names is removed; the file's other sections, comments and blank lines
// stay. When both lists are empty nothing is written or created. A name that holds a line break
// cannot stand on one line and is left out. Throws PlatformError "Unable to write to <full path>"
// when the file cannot be written; the old file is then as it was.
void SaveUserNames(const TDictionaries &dictionaries, const QString &path);

} // namespace vl
