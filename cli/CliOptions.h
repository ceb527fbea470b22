#pragma once

// The command line of vorlant-cli: what the user asked for, parsed from the program's arguments.

#include <QString>
#include <QStringList>

#include <optional>

namespace vl::cli {

// Exit statuses.
enum ExitStatus : int {
    kExitDone = 0, // everything asked for was done
    kExitFailed = 1, // some file could not be renamed, or another operation failed
    kExitUsage = 2, // the arguments are wrong: nothing was done
    kExitSelfCheck = 3, // the dictionaries failed their self-check: nothing was done
};

struct NameArgument {
    bool fullName = false; // --add-full rather than --add
    QString text;
};

struct CliOptions {
    bool help = false;
    bool version = false;
    bool apply = false;
    bool recursive = false;
    bool json = false;
    bool suggest = false; // rename unknown names to their suggested spellings
    bool addSuggested = false; // that, and add the suggestions to the user's names
    QList<NameArgument> names; // --add and --add-full, in the order given
    bool undo = false;
    QString undoFolder; // empty: the current folder
    QString forgetFolder; // --forget: drop the unfinished journals of this folder
    QString userNamesFile; // --user-names: the user name file to use instead of the usual one
    QStringList folders;
};

struct ParseResult {
    CliOptions options;
    QString error; // empty when the arguments are fine
};

// Parses the arguments after the program name. Options and folders may come in any order;
// "--" ends the options. Short options may be grouped ("-rx").
ParseResult ParseArguments(const QStringList &arguments);

// The text of --help.
QString UsageText();

} // namespace vl::cli
