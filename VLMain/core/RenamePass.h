#pragma once

// The rename pass: every file item is classified against the two dictionaries and its file
// renamed to its styled name, never replacing a file: in one step where the folder tells letter
// case apart, else in two steps through a temporary name.

#include "VLMain/core/Dictionary.h"
#include "VLMain/core/FileListModel.h"
#include "VLMain/core/RenameJournal.h"
#include "VLMain/core/RenameSteps.h"
#include "platform/core/FileSystem.h"

#include <QCoreApplication>
#include <QSet>
#include <QString>
#include <QStringList>

namespace vl {

enum class RenameRule {
    WholeName = 1, // the whole file name is in the full-name dictionary
    KnownCore = 2, // the name core is in the name dictionary
    UnknownCore = 3, // a core of two or more characters that neither dictionary holds
    ShortCore = 4, // no core, or a one-character core that the name dictionary lacks
};

// The unknown cores met so far in one pass, by their upper-case forms.
class SeenCores
{
public:
    // True when the core was new, letter case ignored (and is now remembered).
    bool Add(QStringView core);

private:
    QSet<QString> cores_;
};

// What the pass decides for one item before it touches the disk.
struct ItemPlan {
    RenameRule rule = RenameRule::ShortCore;
    ItemState state = ItemState::Recognised;
    bool setMark = false; // the first unknown item of its core
    bool enablesAdd = false;
    bool rename = false; // the styled name differs from the listed one
    bool captionAlways = false; // rule 1 writes caption and extension before the rename
    QString newName; // the file's new name on disk
    QByteArray newDiskName; // the same in UTF-8, as the rename gives it
    // What the item shows: after a successful rename, or (rule 1) in any case.
    QString caption;
    QString extension;
};

ItemPlan ClassifyItem(const FileItem &item, const TDictionaries &dictionaries, SeenCores &seen);

// Why a rename may not be tried: empty when the rename only changes letter case and the new name
// is a safe file name.
QString RefusalReason(const FileItem &item, const QString &newName);

// "Переименование " + folder + " (" + p + "%)", p being index / count in per cent, rounded to the
// nearest integer with ties to even.
QString ProgressTitle(const QString &folder, int index, int count);

class RenamePassHooks
{
public:
    virtual ~RenamePassHooks() = default;
    // Called before each item, with the number of items done before it: show the title, step
    // the progress bar, let messages through.
    virtual void BeforeItem(int done, int count, const QString &title) = 0;
    // Called with each item's plan, in list order, before the first rename.
    virtual void Planned(int index, const ItemPlan &plan) { (void)index, (void)plan; }
};

struct PassReport {
    int renamed = 0;
    int failed = 0;
    QStringList failures; // "«name»: reason", in list order
    QString journalPath; // the pass's journal; empty when it kept none
    QString journalError; // why a journal was wanted but could not be written, or has gaps
    QString refusal; // why the pass renamed nothing at all; empty when it ran
};

struct RenameOptions {
    // Where the pass keeps its journal (JournalFolder() for the program); empty: no journal.
    QString journalFolder;
    int journalSyncIntervalMs = kDefaultSyncIntervalMs;
};

// The order in which a pass renames the list's rows: the folder's listing order (FileItem::
// listedAt), in which the file system finds its entries fastest. Rows whose names differ only in
// letter case can take each other's new names, so among them the list's order stands, at the
// place of the first of them; the outcome is the list order's. Where a row was not listed, the
// list's order.
QList<int> RenameOrder(const FileListModel &files);

// Runs the pass over every item of the list: plans them in the list's order, then renames them
// in RenameOrder's, and reports in the list's order. folder ends in "/". With a
// journal folder, the renames are planned and journalled before the first one is made. A
// journal that cannot be written is reported in journalError; the pass goes on without it only
// where each rename is one step, and refuses (refusal) where renames need two. It refuses as well
// while another pass on the same folder runs.
PassReport RenameFiles(const QString &folder, FileListModel &files,
                       const TDictionaries &dictionaries, FileSystem &fs, RenamePassHooks &hooks,
                       const RenameOptions &options = {});

// The message shown after a pass in which some renames failed.
QString FailureMessage(const PassReport &report);

inline QString RenameCaption()
{
    return QCoreApplication::translate("RenamePass", "Переименование файлов");
}

} // namespace vl
