#pragma once

// One folder's rename pass from the command line: listed by the window's folder scan, then either
// previewed (the plan of every file, nothing touched) or run by the window's rename pass.

#include "VLMain/core/Dictionary.h"
#include "VLMain/core/FileListModel.h"
#include "VLMain/core/JournalRecovery.h"
#include "VLMain/core/RenamePass.h"
#include "VLMain/core/SpellingSuggestion.h"
#include "platform/core/FileSystem.h"

#include <QByteArray>
#include <QHash>
#include <QPair>
#include <QSet>
#include <QString>

namespace vl::cli {

struct PassSettings {
    bool apply = false;
    bool json = false;
    QString journalFolder; // where --apply keeps its journal; empty: none
};

// Counts over every folder of one run.
struct Totals {
    int folders = 0;
    int files = 0;
    int renamed = 0; // renamed, or to be renamed in a preview
    int failed = 0; // not renamed, or to be refused in a preview
    int unknown = 0; // names that no dictionary holds
    int suggested = 0; // of the renamed: by a suggested spelling (--suggest)
    int errors = 0; // folders that could not be read, journals that could not be kept
};

class FolderPass
{
public:
    FolderPass(const TDictionaries &dictionaries, const PassSettings &settings, Totals &totals,
               FileSystem &fs);

    // Lists and previews or renames one folder (an absolute path ending in "/"). Results go to
    // stdout, failures to stderr.
    void Run(const QString &folder);

    // From now on unknown names with a suggested spelling are renamed by it: each suggestion is
    // added to the name dictionary (which must be the one given above) before its folder's pass,
    // as if the user had added it.
    void AcceptSuggestions(TDictionaries &dictionaries) { acceptInto_ = &dictionaries; }
    // The suggested spellings added so far, in the order added.
    const QStringList &AcceptedSuggestions() const { return accepted_; }

private:
    // Writes what became, or would become, of each file: after is the list after the pass,
    // listed the names the files had before it, rules the rule of each item's plan.
    void Show(const QString &folder, const FileListModel &after, const QList<QByteArray> &listed,
              const QByteArray &rules, const QHash<int, QString> &suggestions,
              const QSet<int> &accepted);
    // The file name that the suggestion gives the item; empty where there is none. unknown: the
    // pass has classified the item as a name that no dictionary holds.
    QString SuggestionFor(const FileItem &item, bool unknown);

    const TDictionaries &dictionaries_;
    PassSettings settings_;
    Totals &totals_;
    FileSystem &fs_;
    SpellingSuggester suggester_;
    FileItemMaker itemMaker_; // the items of listed names that Show looks at again
    TDictionaries *acceptInto_ = nullptr;
    QStringList accepted_;
};

// Shows what recovering a pass that was cut short did, on stderr; what it could not settle counts
// as an error.
void ReportRecovery(const RecoveryReport &report, Totals &totals);

// The summary line of a run.
QString SummaryLine(const Totals &totals, bool apply);

// Runs pass over folder and, when recursive, over every folder below it (depth first, each
// folder's subfolders in name order). Symbolic links to folders are not followed, and a folder
// met twice (through a bind mount, or given twice) is passed once. A folder that cannot be read
// is reported and counted as an error.
class FolderWalker
{
public:
    FolderWalker(FolderPass &pass, bool recursive, Totals &totals, FileSystem &fs);
    void Walk(const QString &folder);

private:
    FolderPass &pass_;
    bool recursive_;
    Totals &totals_;
    FileSystem &fs_;
    QSet<QPair<quint64, quint64>> visited_;
};

} // namespace vl::cli
