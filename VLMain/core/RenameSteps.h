#pragma once

// One file's rename within its folder, never replacing a file, and the texts that tell the user
// why a rename failed. Where the file system tells letter case apart the rename is one no-replace
// step. Where it folds case, «readme.txt» and «ReadMe.txt» are one entry and a one-step rename
// between them would do nothing; there the file goes through a temporary name in two steps.

#include "VLMain/core/JournalFormat.h"
#include "platform/core/FileSystem.h"

#include <QByteArray>
#include <QString>

#include <functional>

namespace vl {

// The result of one rename.
struct RenameResult {
    bool renamed = false;
    QString reason; // why it failed, in the user's language
    bool leftAtTemp = false; // the file could not be moved back and still has the temporary name
};

// The temporary name of a file: its name with its dot, followed by ".tmp" («README..tmp»).
QByteArray TemporaryName(const QByteArray &diskName);

// The longest file name, in bytes, that Linux file systems take.
inline constexpr int kMaxNameBytes = 255;

// A spare temporary name, for a file whose own is taken or too long: the start of its name, cut
// at a character so that the whole fits in kMaxNameBytes, then "~", the number and ".tmp"
// («README~2.tmp»). number counts from 1.
QByteArray SpareTemporaryName(const QByteArray &diskName, int number);

// Gives each planned rename a temporary name that fits in kMaxNameBytes and that neither a name
// in the folder nor an earlier entry of the plan holds, letter case ignored (on a folder that
// folds case «README.TXT.TMP» takes «readme.TXT.tmp»): the file's own where it is free, else its
// first free spare one. folderNames: every name in the folder. Done before the plan is written
// down, so that the journal records the names that the steps use.
void ChooseTemporaryNames(QList<JournalEntry> &plan, const QList<QByteArray> &folderNames);

// The same for a plan in folder, read from fs; where the folder cannot be listed, the plan's own
// names are all that is known to be there.
void ChooseTemporaryNames(FileSystem &fs, const QByteArray &folder, QList<JournalEntry> &plan);

// The temporary names of a plan for a folder that tells case apart (oneStep), or that folds case.
// In one step the renames need none: each entry gets its own, without a listing, for the steps to
// use should a file of the folder prove to fold case after all; a file whose own is taken then is
// refused, and loses nothing. Otherwise as ChooseTemporaryNames.
void PlanTemporaryNames(FileSystem &fs, const QByteArray &folder, QList<JournalEntry> &plan,
                        bool oneStep);

// Whether tempName is one that a pass makes for diskName: its own temporary name or a spare one.
// Recovery and undo carry out no step to or from any other name.
bool IsTemporaryNameOf(const QByteArray &tempName, const QByteArray &diskName);

// Why a file under oldName may not be renamed to newName: empty when newName is a single safe
// file name (not empty, ".", "..", without "/" or NUL) that differs from oldName only in letter
// case. The rename pass asks this of every rename it plans.
QString CaseOnlyRefusal(const QString &oldName, const QString &newName);
// The same for a name as listed, in UTF-8.
QString CaseOnlyRefusal(const QByteArray &oldName, const QString &newName);

// The upper-case form of a name, in UTF-8: two names equal but for letter case have the same one.
QByteArray CaseKeyBytes(QByteArrayView name);
// A hash of CaseKeyBytes(name), made without building it where the name is ASCII.
size_t CaseKeyHash(QByteArrayView name);

// Why a planned rename read from a journal may not be carried out: empty when it passes the test
// of a planned rename (both names UTF-8, CaseOnlyRefusal) and its temporary name is one that a
// pass makes from the old name. Recovery and undo carry out no other.
QString JournalEntryRefusal(const JournalEntry &entry);

// The message for a journal record that is not carried out: "запись журнала отклонена: …".
QString RefusedEntryText(const JournalEntry &entry, const QString &reason);

// Told where the file stands after each step: AtTemp, then Renamed, or AtOld or LeftAtTemp.
using StepObserver = std::function<void(StepState)>;

RenameResult RenameInTwoSteps(FileSystem &fs, const QByteArray &folder, const QByteArray &oldName,
                              const QByteArray &tempName, const QByteArray &newName,
                              const StepObserver &observer = {});

// Whether a folder tells letter case apart, judged from the first planned renames without
// touching the folder: a new name that differs from the old one only in case names the same file
// exactly where the file system folds case (or, where inodes differ, when the folder lists no
// entry of that exact spelling). False where it folds case or cannot tell.
bool TellsCaseApart(FileSystem &fs, const QByteArray &folder, const QList<JournalEntry> &plan);

// The renames of one pass in one folder. Each is one no-replace step while the folder is taken
// to tell case apart. When such a step finds its new name taken by the file itself (the same
// device and inode, or, where the inodes cannot tell, no other entry of that name in any case),
// the folder folds case: switched is told once, before the first rename in two steps, and every
// later rename of the pass goes in two steps at once.
class FolderRenamer
{
public:
    FolderRenamer(FileSystem &fs, const QByteArray &folder, bool oneStep,
                  std::function<void()> switched = {});
    // Makes every rename that would need two steps fail with reason instead (a pass without a
    // journal: a file cut short between two steps would stay under a name nobody knows of).
    void RefuseTwoSteps(const QString &reason) { twoStepsRefusal_ = reason; }

    RenameResult Rename(const QByteArray &oldName, const QByteArray &tempName,
                        const QByteArray &newName, const StepObserver &observer = {});
    bool oneStep() const { return oneStep_; }

private:
    // Whether the no-replace step old -> new failed because newName is the file itself.
    bool TakenByItself(const QByteArray &oldName, const QByteArray &newName);

    FileSystem &fs_;
    QByteArray folder_;
    bool oneStep_;
    bool inodesTell_ = false; // a clash has shown that this folder's inodes tell files apart
    std::function<void()> switched_;
    QString twoStepsRefusal_;
};

// What was being done when a call failed: the reason for EACCES and ENOENT depends on it.
enum class ErrorContext {
    Rename, // renaming a file in its folder
    ReadFolder, // listing a folder
    JournalFolder, // making or writing the journal folder
};

// A failure reason for an errno of the rename calls, or of the other calls in context.
QString DescribeError(int error, ErrorContext context = ErrorContext::Rename);

// A name in the guillemets the messages put around names.
QString Quoted(const QString &name);

} // namespace vl
