// The journal reader: any bytes are read without harm, and what it reads is what the writer
// writes again.

#include "FuzzSupport.h"

#include "VLMain/core/JournalFormat.h"

using namespace vl;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const std::optional<JournalContents> read = ParseJournal(bytes);
    if (!read)
        return 0;
    FUZZ_CHECK(read->entries.size() == read->states.size());
    FUZZ_CHECK(read->folder.startsWith('/') && read->folder.endsWith('/'));
    for (const JournalEntry &e : read->entries)
        FUZZ_CHECK(!e.oldName.isEmpty() && !e.tempName.isEmpty() && !e.newName.isEmpty());
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
