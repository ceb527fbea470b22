// The rename journal's text.
//
// Format, version 1. Text, one record per line, every line ended by LF, fields separated by one
// space. Names are bytes on disk, so each name field is percent-encoded: every byte outside "!"
// to "~", and "%" itself, is written as "%" and two upper-case hex digits. A name holding a
// space, a line break or bytes that are not UTF-8 thus stays on its one line, byte for byte.
//
//   VORLANT-JOURNAL 1
//   folder <the renamed folder, ending in "/">
//   steps 1                                     the folder tells case apart: each rename is one
//                                               step, old to new; no temporary name is used
//                                               (without this line every rename has two steps)
//   undo                                        the pass undoes an earlier one
//   P <old name> <temporary name> <new name>    one line per planned rename, in pass order
//   I <device> <inode>                          after a P line: the file it plans to rename,
//                                               in decimal (missing in journals of older
//                                               versions, of one-step passes and of FUSE
//                                               folders; readers that lack it skip the line)
//   B                                           the plan is complete
//   T <i>    the first step of planned rename i (counted from 0) is done; read, but no longer
//            written: the folder tells recovery whether a file is under its temporary name
//   N <i>    its second step is done: the file is under its new name
//   O <i>    a step failed: the file is under its old name (again)
//   K <i>    a step failed and the file could not leave its temporary name
//   S        the folder turned out to fold case: from here on renames go in two steps, through
//            their temporary names, as in a journal without "steps 1"
//   M        the user has been told that the folder is not there (said once, not at every start)
//   F        the pass (or its recovery) has finished
//
// Unknown lines are skipped, so a reader reads what it knows of a newer journal.

#include "VLMain/core/JournalFormat.h"

#include <charconv>

namespace vl {

namespace {

constexpr char kMagic[] = "VORLANT-JOURNAL 1";

constexpr char kHex[] = "0123456789ABCDEF";

bool IsPlainByte(char ch)
{
    const auto b = static_cast<unsigned char>(ch);
    return b > 0x20 && b < 0x7F && b != '%';
}

// Writes name encoded at o, which has room for three bytes per byte of it; returns the end.
char *Encode(char *o, const QByteArray &name)
{
    for (const char ch : name) {
        if (IsPlainByte(ch)) {
            *o++ = ch;
        } else {
            const auto b = static_cast<unsigned char>(ch);
            *o++ = '%';
            *o++ = kHex[b >> 4];
            *o++ = kHex[b & 15];
        }
    }
    return o;
}

void AppendEncoded(QByteArray &out, const QByteArray &name)
{
    const qsizetype start = out.size();
    out.resize(start + 3 * name.size());
    out.resize(Encode(out.data() + start, name) - out.constData());
}

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The decoded field, or nullopt when it is empty or not in the encoding the writer uses.
std::optional<QByteArray> Decode(QByteArrayView field)
{
    if (field.isEmpty())
        return std::nullopt;
    QByteArray out;
    out.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        const auto b = static_cast<unsigned char>(field[i]);
        if (b == '%') {
            if (i + 2 >= field.size())
                return std::nullopt;
            const int hi = HexValue(field[i + 1]), lo = HexValue(field[i + 2]);
            if (hi < 0 || lo < 0)
                return std::nullopt;
            out.append(static_cast<char>(hi * 16 + lo));
            i += 2;
        } else if (b > 0x20 && b < 0x7F) {
            out.append(static_cast<char>(b));
        } else {
            return std::nullopt;
        }
    }
    return out;
}

bool IsState(char c)
{
    return c == 'T' || c == 'N' || c == 'O' || c == 'K';
}

// A record index: decimal digits only, below the number of planned renames.
int ParseIndex(QByteArrayView digits, qsizetype count)
{
    if (digits.isEmpty() || digits.size() > 10)
        return -1;
    qint64 value = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9')
            return -1;
        value = value * 10 + (c - '0');
    }
    return value < count ? static_cast<int>(value) : -1;
}

// A decimal number of at most 20 digits that fits 64 bits.
std::optional<quint64> ParseNumber(QByteArrayView digits)
{
    if (digits.isEmpty() || digits.size() > 20)
        return std::nullopt;
    quint64 value = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9')
            return std::nullopt;
        const quint64 digit = static_cast<quint64>(c - '0');
        if (value > (~quint64(0) - digit) / 10)
            return std::nullopt;
        value = value * 10 + digit;
    }
    return value;
}

} // namespace

QByteArray WithSlash(QByteArray folder)
{
    if (!folder.endsWith('/'))
        folder.append('/');
    return folder;
}

int WriteJournalHeader(const QByteArray &folder, const QList<JournalEntry> &plan, bool oneStep,
                       bool undo, const std::function<int(const QByteArray &piece)> &write)
{
    constexpr qsizetype kPiece = 64 * 1024;
    QByteArray out;
    out.reserve(kPiece + 1024);
    out += kMagic;
    out += "\nfolder ";
    AppendEncoded(out, WithSlash(folder));
    out += '\n';
    if (oneStep)
        out += "steps 1\n";
    if (undo)
        out += "undo\n";
    for (const JournalEntry &e : plan) {
        if (out.size() >= kPiece) {
            if (const int error = write(out); error != 0)
                return error;
            out.resize(0); // keeps its room for the next piece
        }
        // Each line is written through a pointer into room for its longest form, then cut to
        // what was used: the plan of a large pass has a line or two per file.
        const qsizetype start = out.size();
        out.resize(start + 3 * (e.oldName.size() + e.tempName.size() + e.newName.size()) + 64);
        char *o = out.data() + start;
        *o++ = 'P';
        *o++ = ' ';
        o = Encode(o, e.oldName);
        *o++ = ' ';
        o = Encode(o, e.tempName);
        *o++ = ' ';
        o = Encode(o, e.newName);
        *o++ = '\n';
        if (e.identified()) {
            *o++ = 'I';
            *o++ = ' ';
            o = std::to_chars(o, o + 20, e.device).ptr;
            *o++ = ' ';
            o = std::to_chars(o, o + 20, e.inode).ptr;
            *o++ = '\n';
        }
        out.resize(o - out.constData());
    }
    out += "B\n";
    return write(out);
}

QByteArray JournalHeaderText(const QByteArray &folder, const QList<JournalEntry> &plan,
                             bool oneStep, bool undo)
{
    QByteArray text;
    WriteJournalHeader(folder, plan, oneStep, undo, [&text](const QByteArray &piece) {
        text += piece;
        return 0;
    });
    return text;
}

void AppendJournalRecord(QByteArray &out, int index, StepState state)
{
    char line[16] = {static_cast<char>(state), ' '};
    char *const end = std::to_chars(line + 2, line + sizeof line - 1, index).ptr;
    *end = '\n';
    out.append(line, end + 1 - line);
}

QByteArray JournalRecordText(int index, StepState state)
{
    QByteArray out;
    AppendJournalRecord(out, index, state);
    return out;
}

std::optional<JournalContents> ParseJournal(const QByteArray &bytes)
{
    JournalContents journal;
    qsizetype pos = 0;
    int lineNumber = 0;
    bool lastWasPlan = false; // the line before was a P line that was read
    while (pos < bytes.size()) {
        const qsizetype end = bytes.indexOf('\n', pos);
        if (end < 0)
            break; // a torn last line: the write it belongs to never completed
        const QByteArrayView line(bytes.constData() + pos, end - pos);
        pos = end + 1;
        ++lineNumber;
        if (lineNumber == 1) {
            if (line != QByteArrayView(kMagic))
                return std::nullopt;
            continue;
        }
        if (lineNumber == 2) {
            if (!line.startsWith("folder "))
                return std::nullopt;
            const std::optional<QByteArray> folder = Decode(line.sliced(7));
            if (!folder || !folder->startsWith('/') || folder->contains('\0'))
                return std::nullopt;
            journal.folder = WithSlash(*folder);
            continue;
        }
        if (!journal.begun) {
            if (line == "B") {
                journal.begun = true;
                continue;
            }
            if (line == "steps 1" && journal.entries.isEmpty()) {
                journal.oneStep = true;
                continue;
            }
            if (line == "undo" && journal.entries.isEmpty()) {
                journal.undo = true;
                continue;
            }
            if (line.startsWith("I ") && !journal.entries.isEmpty()) {
                // Belongs to the P line right before it, which holds no identity yet.
                JournalEntry &last = journal.entries.last();
                const QByteArrayView rest = line.sliced(2);
                const qsizetype space = rest.indexOf(' ');
                const auto device = space < 0 ? std::nullopt : ParseNumber(rest.first(space));
                const auto inode = space < 0 ? std::nullopt : ParseNumber(rest.sliced(space + 1));
                if (device && inode && (*device != 0 || *inode != 0) && !last.identified()
                    && lastWasPlan) {
                    last.device = *device;
                    last.inode = *inode;
                }
                lastWasPlan = false;
                continue;
            }
            lastWasPlan = false;
            if (!line.startsWith("P "))
                continue;
            const QByteArrayView rest = line.sliced(2);
            const qsizetype a = rest.indexOf(' '), b = a < 0 ? -1 : rest.sliced(a + 1).indexOf(' ');
            if (a < 0 || b < 0)
                continue;
            const auto oldName = Decode(rest.first(a)), tempName = Decode(rest.sliced(a + 1, b)),
                       newName = Decode(rest.sliced(a + 2 + b));
            if (!oldName || !tempName || !newName)
                continue;
            journal.entries.append({*oldName, *tempName, *newName});
            journal.states.append(StepState::Planned);
            lastWasPlan = true;
            continue;
        }
        if (line == "F") {
            journal.finished = true;
            continue;
        }
        if (line == "S") {
            journal.oneStep = false;
            continue;
        }
        if (line == "M") {
            journal.missingTold = true;
            continue;
        }
        if (line.size() < 3 || !IsState(line[0]) || line[1] != ' ')
            continue;
        const int index = ParseIndex(line.sliced(2), journal.entries.size());
        if (index >= 0)
            journal.states[index] = static_cast<StepState>(line[0]);
    }
    if (lineNumber < 2)
        return std::nullopt;
    return journal;
}

} // namespace vl
