// The journal reader: any bytes are read without harm, and what it reads is what the writer
// writes again. Every planned rename it accepts for recovery and undo changes letter case only,
// within the folder, through a temporary name made from the old one.

#include "FuzzSupport.h"

#include "VLMain/core/JournalFormat.h"
#include "VLMain/core/RenameSteps.h"
#include "VLUtils/core/TextRules.h"

using namespace vl;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const std::optional<JournalContents> read = ParseJournal(bytes);
    if (!read)
        return 0;
    FUZZ_CHECK(read->entries.size() == read->states.size());
    FUZZ_CHECK(read->folder.startsWith('/') && read->folder.endsWith('/'));
    for (const JournalEntry &e : read->entries) {
        FUZZ_CHECK(!e.oldName.isEmpty() && !e.tempName.isEmpty() && !e.newName.isEmpty());
        if (!JournalEntryRefusal(e).isEmpty())
            continue;
        for (const QByteArray *name : {&e.oldName, &e.tempName, &e.newName})
            FUZZ_CHECK(!name->contains('/') && !name->contains('\0') && *name != "."
                       && *name != "..");
        const QString oldName = QString::fromUtf8(e.oldName),
                      newName = QString::fromUtf8(e.newName);
        FUZZ_CHECK(oldName.toUtf8() == e.oldName && newName.toUtf8() == e.newName);
        FUZZ_CHECK(UpperCase(oldName) == UpperCase(newName));
        FUZZ_CHECK(LowerCase(oldName) == LowerCase(newName));
        FUZZ_CHECK(e.tempName.endsWith(".tmp") && e.tempName != e.oldName);
        FUZZ_CHECK(e.tempName.startsWith(e.oldName.left(1)));
    }
    if (!read->begun)
        return 0;

    QByteArray again = JournalHeaderText(read->folder, read->entries, read->oneStep);
    for (int i = 0; i < read->states.size(); ++i)
        if (read->states[i] != StepState::Planned)
            again += JournalRecordText(i, read->states[i]);
    if (read->finished)
        again += "F\n";
    const std::optional<JournalContents> reread = ParseJournal(again);
    FUZZ_CHECK(reread);
    FUZZ_CHECK(reread->folder == read->folder);
    FUZZ_CHECK(reread->entries == read->entries);
    FUZZ_CHECK(reread->states == read->states);
    FUZZ_CHECK(reread->oneStep == read->oneStep);
    FUZZ_CHECK(reread->finished == read->finished && reread->begun);
    return 0;
}
