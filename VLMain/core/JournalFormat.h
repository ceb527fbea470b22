#pragma once

// The rename journal's text: the plan of a pass and the records of its steps, written by the
// journal and read back by recovery and undo. The format is described at the top of
// JournalFormat.cpp.

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>
#include <optional>

namespace vl {

// One planned rename: the file goes from oldName through tempName to newName, all in one folder.
// device and inode identify the file as it was planned (0 and 0: not known, as in journals of
// older versions); recovery moves a file under the temporary name only when it is this one.
struct JournalEntry {
    QByteArray oldName;
    QByteArray tempName;
    QByteArray newName;
    quint64 device = 0;
    quint64 inode = 0;

    bool identified() const { return device != 0 || inode != 0; }
    bool operator==(const JournalEntry &) const = default;
};

// Where a planned rename stands, by the last record the journal holds for it.
enum class StepState : char {
    Planned = 'P', // nothing recorded: the file has not been touched
    AtTemp = 'T', // the first step is done: the file is under its temporary name
    Renamed = 'N', // both steps are done: the file is under its new name
    AtOld = 'O', // a step failed: the file is (again) under its old name
    LeftAtTemp = 'K', // a step failed and the file could not leave its temporary name
};

// A journal as read back.
struct JournalContents {
    QString path; // the journal file; empty for parsed bytes
    QByteArray folder; // the renamed folder, ending in "/"
    QList<JournalEntry> entries;
    QList<StepState> states; // one per entry
    bool begun = false; // the plan is complete, so renames may have happened
    bool oneStep = false; // every rename was one step: no temporary name was ever used
    bool finished = false; // the pass (or its recovery) came to its end
    bool undo = false; // the pass undoes an earlier one: its recovery carries it to its end
    bool missingTold = false; // the user has been told that the folder is not there
};

// The journal's text for a plan and its records, and the parse of such a text. Parsing accepts
// any bytes: a torn last line is ignored, malformed records are skipped, and a text without a
// complete plan reads as not begun. nullopt when the header is not a journal's.
QByteArray JournalHeaderText(const QByteArray &folder, const QList<JournalEntry> &plan,
                             bool oneStep = false, bool undo = false);
// The same text given to write in pieces of about 64 KB, so that the plan of a large pass is
// never held as one text. Stops at the first piece that write fails (a non-zero errno) and
// returns that; 0 when every piece was written.
int WriteJournalHeader(const QByteArray &folder, const QList<JournalEntry> &plan, bool oneStep,
                       bool undo, const std::function<int(const QByteArray &piece)> &write);
// The record of a pass that goes on in two steps after it began in one.
inline constexpr char kTwoStepsRecord[] = "S\n";
// The record that the user has been told that the journal's folder is not there.
inline constexpr char kMissingToldRecord[] = "M\n";
QByteArray JournalRecordText(int index, StepState state);
// The same appended to out, with no text of its own: a pass writes one record per file.
void AppendJournalRecord(QByteArray &out, int index, StepState state);
std::optional<JournalContents> ParseJournal(const QByteArray &bytes);

// The folder with a "/" at its end.
QByteArray WithSlash(QByteArray folder);

} // namespace vl
