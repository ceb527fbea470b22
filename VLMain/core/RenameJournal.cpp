// The rename journal.
//
// Format, version 1. Text, one record per line, every line ended by LF, fields separated by one
// space. Names are bytes on disk, so each name field is percent-encoded: every byte outside "!"
// to "~", and "%" itself, is written as "%" and two upper-case hex digits. A name holding a
// space, a line break or bytes that are not UTF-8 thus stays on its one line, byte for byte.
//
//   VORLANT-JOURNAL 1
//   folder <the renamed folder, ending in "/">
//   P <old name> <temporary name> <new name>    one line per planned rename, in pass order
//   B                                           the plan is complete
//   T <i>    the first step of planned rename i (counted from 0) is done; read, but no longer
//            written: the folder tells recovery whether a file is under its temporary name
//   N <i>    its second step is done: the file is under its new name
//   O <i>    a step failed: the file is under its old name (again)
//   K <i>    a step failed and the file could not leave its temporary name
//   F        the pass (or its recovery) has finished
//
// Life of a journal file, in the journal folder:
//   pass-<ms since 1970>-<pid>-<n>.new   being written; no rename has been made
//   pass-...open                         the plan is on disk; the pass runs or was cut short
//   pass-...done                         finished; the newest ten are kept for undo
// The header and the plan are written in one write, flushed (file and folder), and only then
// renamed to ".open"; the pass makes its first rename after that. The writer holds an exclusive
// lock on the file while the pass runs, so recovery never touches the journal of a live pass.
// Records are gathered and appended at least every 20 ms, and flushed to disk at least every
// 500 ms: a killed process loses at most the newest 20 ms of records, a power failure the newest
// half second. Recovery does not need them (below); they tell it which temporary names the pass
// has already left, and which files reached their new names, for undo.
//
// Recovery trusts the folder over the records, which makes it right from any prefix of the
// journal. From one listing of the folder, per planned rename with last record r:
//   - temporary name absent: nothing to move (the file is under its old or new name, or gone);
//   - temporary name present, and r is N or O: the pass moved the file away from it, so the file
//     there is someone else's and is left alone;
//   - temporary name present, r is P and the old name present too: the first step never
//     happened (it failed on that very file), and it is left alone;
//   - otherwise the file under the temporary name is the pass's: it goes to its new name, or to
//     its old name when the new one is taken, never replacing anything.

#include "VLMain/core/RenameJournal.h"

#include "VLMain/core/RenamePass.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <fcntl.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>

namespace vl {

namespace {

constexpr char kMagic[] = "VORLANT-JOURNAL 1";
constexpr QStringView kNewSuffix = u".new";
constexpr QStringView kOpenSuffix = u".open";
constexpr QStringView kDoneSuffix = u".done";
// A ".new" file older than this belongs to a pass that died before its first rename.
constexpr qint64 kStaleNewMs = 60 * 60 * 1000;

QString &FolderOverride()
{
    static QString path;
    return path;
}

constexpr char kHex[] = "0123456789ABCDEF";

// A clock read cheap enough for every record; its millisecond grain suits the flush interval.
qint64 MonotonicNs()
{
    timespec ts;
    ::clock_gettime(CLOCK_MONOTONIC_COARSE, &ts);
    return qint64(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

bool IsPlainByte(char ch)
{
    const auto b = static_cast<unsigned char>(ch);
    return b > 0x20 && b < 0x7F && b != '%';
}

void AppendEncoded(QByteArray &out, const QByteArray &name)
{
    const char *p = name.constData();
    const char *const end = p + name.size();
    while (p < end) {
        const char *run = p;
        while (p < end && IsPlainByte(*p))
            ++p;
        out.append(run, p - run);
        if (p < end) {
            const auto b = static_cast<unsigned char>(*p++);
            const char escaped[3] = {'%', kHex[b >> 4], kHex[b & 15]};
            out.append(escaped, 3);
        }
    }
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

QByteArray WithSlash(QByteArray folder)
{
    if (!folder.endsWith('/'))
        folder.append('/');
    return folder;
}

bool SameFolder(const QByteArray &a, const QByteArray &b)
{
    if (WithSlash(a) == WithSlash(b))
        return true;
    char ra[PATH_MAX], rb[PATH_MAX];
    return ::realpath(a.constData(), ra) && ::realpath(b.constData(), rb) && qstrcmp(ra, rb) == 0;
}

QString Quoted(const QByteArray &name)
{
    return u'«' + QString::fromUtf8(name) + u'»';
}

// The journal's file primitives: whole writes, flushes, the lock.

int WriteAll(int fd, const QByteArray &bytes)
{
    const char *p = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, static_cast<size_t>(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        p += n;
        left -= n;
    }
    return 0;
}

int SyncFolder(const QString &folder)
{
    const int dfd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd < 0)
        return errno;
    const int result = ::fsync(dfd) == 0 ? 0 : errno;
    ::close(dfd);
    return result;
}

QByteArray ReadWhole(int fd)
{
    QByteArray bytes;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return bytes;
        bytes.append(buffer, n);
    }
}

// The journal files of a folder with the given suffix, oldest first (their names begin with
// the time of their pass).
QStringList JournalFiles(const QString &journalFolder, QStringView suffix)
{
    QStringList names = QDir(journalFolder).entryList({u"pass-*"_qs + suffix}, QDir::Files | QDir::Hidden,
                                                      QDir::Name);
    for (QString &n : names)
        n = QDir(journalFolder).filePath(n);
    return names;
}

void KeepNewestDone(const QString &journalFolder)
{
    const QStringList done = JournalFiles(journalFolder, kDoneSuffix);
    for (qsizetype i = 0; i + kKeptJournals < done.size(); ++i)
        QFile::remove(done.at(i));
}

std::optional<JournalContents> ReadJournalFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    std::optional<JournalContents> journal = ParseJournal(file.readAll());
    if (journal)
        journal->path = path;
    return journal;
}

} // namespace

QByteArray JournalHeaderText(const QByteArray &folder, const QList<JournalEntry> &plan)
{
    qsizetype size = 64 + folder.size();
    for (const JournalEntry &e : plan)
        size += 6 + e.oldName.size() + e.tempName.size() + e.newName.size();
    QByteArray out;
    out.reserve(size + size / 8); // room for some escaped bytes
    out += kMagic;
    out += "\nfolder ";
    AppendEncoded(out, WithSlash(folder));
    out += '\n';
    for (const JournalEntry &e : plan) {
        out += "P ";
        AppendEncoded(out, e.oldName);
        out += ' ';
        AppendEncoded(out, e.tempName);
        out += ' ';
        AppendEncoded(out, e.newName);
        out += '\n';
    }
    out += "B\n";
    return out;
}

QByteArray JournalRecordText(int index, StepState state)
{
    QByteArray out(1, static_cast<char>(state));
    out += ' ';
    out += QByteArray::number(index);
    out += '\n';
    return out;
}

std::optional<JournalContents> ParseJournal(const QByteArray &bytes)
{
    JournalContents journal;
    qsizetype pos = 0;
    int lineNumber = 0;
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
            continue;
        }
        if (line == "F") {
            journal.finished = true;
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

QString JournalFolder()
{
    if (!FolderOverride().isEmpty())
        return FolderOverride();
    const QString xdg = qEnvironmentVariable("XDG_STATE_HOME");
    const QString base = !xdg.isEmpty() && QDir::isAbsolutePath(xdg) ? xdg
                                                                      : QDir::homePath() + u"/.local/state";
    return base + u"/Vorlant";
}

void SetJournalFolderOverride(const QString &path)
{
    FolderOverride() = path;
}

// RenameJournal

RenameJournal::RenameJournal(int fd, QString path, QString folder, int syncIntervalMs)
    : fd_(fd), path_(std::move(path)), journalFolder_(std::move(folder)),
      syncIntervalNs_(std::max(syncIntervalMs, 0) * qint64(1000000)), lastSyncNs_(MonotonicNs()),
      lastWriteNs_(lastSyncNs_)
{
}

RenameJournal::~RenameJournal()
{
    if (fd_ >= 0) {
        WritePending();
        ::close(fd_);
    }
}

std::unique_ptr<RenameJournal> RenameJournal::Begin(const QString &journalFolder, const QByteArray &folder,
                                                    const QList<JournalEntry> &plan, QString *error,
                                                    int syncIntervalMs)
{
    // Recovery may run from another current directory.
    QByteArray absolute = folder;
    if (!absolute.startsWith('/'))
        absolute = WithSlash(QFile::encodeName(QDir::currentPath())) + absolute;
    const auto fail = [&](const QString &path, int code) -> std::unique_ptr<RenameJournal> {
        if (error)
            *error = u"Журнал переименования не записан (" + path + u"): " + DescribeError(code)
                     + u". Файлы переименованы без журнала.";
        return nullptr;
    };
    errno = 0;
    if (!QDir().mkpath(journalFolder))
        return fail(journalFolder, errno ? errno : EACCES);
    ::chmod(QFile::encodeName(journalFolder).constData(), 0700);

    static int sequence = 0;
    const QString stem = QDir(journalFolder).filePath(
        QStringLiteral("pass-%1-%2-%3")
            .arg(QDateTime::currentMSecsSinceEpoch(), 13, 10, QLatin1Char('0'))
            .arg(::getpid(), 7, 10, QLatin1Char('0'))
            .arg(sequence++));
    const QString newPath = stem + kNewSuffix, openPath = stem + kOpenSuffix;
    const QByteArray nativeNew = QFile::encodeName(newPath);
    const int fd = ::open(nativeNew.constData(), O_WRONLY | O_CREAT | O_EXCL | O_APPEND | O_CLOEXEC, 0600);
    if (fd < 0)
        return fail(newPath, errno);
    int code = ::flock(fd, LOCK_EX | LOCK_NB) == 0 ? 0 : errno;
    if (code == 0)
        code = WriteAll(fd, JournalHeaderText(absolute, plan));
    if (code == 0 && ::fdatasync(fd) != 0)
        code = errno;
    if (code == 0 && ::rename(nativeNew.constData(), QFile::encodeName(openPath).constData()) != 0)
        code = errno;
    if (code == 0)
        code = SyncFolder(journalFolder);
    if (code != 0) {
        ::close(fd);
        ::unlink(nativeNew.constData());
        ::unlink(QFile::encodeName(openPath).constData());
        return fail(newPath, code);
    }
    return std::unique_ptr<RenameJournal>(new RenameJournal(fd, openPath, journalFolder, syncIntervalMs));
}

void RenameJournal::Record(int index, StepState state)
{
    // The first step is not written down: recovery finds the file under its temporary name or
    // not, and settles it from the folder alone. That halves the records of a pass.
    if (fd_ < 0 || state == StepState::AtTemp)
        return;
    pending_ += JournalRecordText(index, state);
    const qint64 now = MonotonicNs();
    if (syncIntervalNs_ == 0 || now - lastSyncNs_ >= syncIntervalNs_)
        Sync();
    else if (pending_.size() >= kPendingBytes || now - lastWriteNs_ >= kWriteIntervalNs)
        WritePending();
}

void RenameJournal::WritePending()
{
    if (!pending_.isEmpty() && WriteAll(fd_, pending_) != 0)
        ++failedWrites_;
    pending_.clear();
    lastWriteNs_ = MonotonicNs();
}

void RenameJournal::Sync()
{
    WritePending();
    if (::fdatasync(fd_) != 0)
        ++failedWrites_;
    lastSyncNs_ = MonotonicNs();
}

bool RenameJournal::Finish()
{
    if (fd_ < 0)
        return false;
    pending_ += "F\n";
    bool ok = WriteAll(fd_, pending_) == 0 && ::fdatasync(fd_) == 0;
    pending_.clear();
    QString donePath = path_;
    donePath.chop(kOpenSuffix.size());
    donePath += kDoneSuffix;
    // A journal whose last record could not be written stays ".open"; recovery then finds every
    // file settled and finishes it.
    if (ok && ::rename(QFile::encodeName(path_).constData(), QFile::encodeName(donePath).constData()) == 0)
        path_ = donePath;
    else
        ok = false;
    ::close(fd_);
    fd_ = -1;
    KeepNewestDone(journalFolder_);
    return ok;
}

// Recovery

QString RecoveryReport::Summary() const
{
    if (toNewName == 0 && toOldName == 0 && leftAtTemp == 0 && unreachable == 0)
        return {};
    QString text = u"Переименование файлов было прервано. Восстановлено: под новым именем — "_qs
                   + QString::number(toNewName) + u", под прежним именем — " + QString::number(toOldName)
                   + u'.';
    if (leftAtTemp > 0)
        text += u"\nОстались под временным именем: " + QString::number(leftAtTemp) + u'.';
    for (qsizetype i = 0; i < problems.size() && i < 5; ++i)
        text += u'\n' + problems.at(i);
    if (problems.size() > 5)
        text += u"\n…";
    if (unreachable > 0)
        text += u"\nНедоступных папок: " + QString::number(unreachable)
                + u"; они будут восстановлены при следующем запуске.";
    return text;
}

namespace {

// Settles one unfinished journal, its lock held. Returns whether every file is settled.
bool RecoverJournal(int fd, JournalContents &journal, FileSystem &fs, RecoveryReport &report)
{
    QList<QByteArray> listed;
    if (fs.ListNames(journal.folder, listed) != 0) {
        ++report.unreachable;
        return false;
    }
    QSet<QByteArray> present(listed.cbegin(), listed.cend());
    const auto record = [&](int i, StepState state) {
        journal.states[i] = state;
        WriteAll(fd, JournalRecordText(i, state));
    };
    bool settled = true;
    for (int i = 0; i < journal.entries.size(); ++i) {
        const JournalEntry &e = journal.entries.at(i);
        const StepState r = journal.states.at(i);
        if (!present.contains(e.tempName)) {
            // A file whose step was not recorded: the folder tells where it went. One the pass
            // never reached is under its old name and needs no record.
            if (r == StepState::AtTemp || r == StepState::LeftAtTemp) {
                if (present.contains(e.oldName))
                    record(i, StepState::AtOld);
                else if (present.contains(e.newName))
                    record(i, StepState::Renamed);
            } else if (r == StepState::Planned && !present.contains(e.oldName) && present.contains(e.newName)) {
                record(i, StepState::Renamed); // both steps made, the process ended before the record
            }
            continue;
        }
        if (r == StepState::Renamed || r == StepState::AtOld
            || (r == StepState::Planned && present.contains(e.oldName)))
            continue; // someone else's file under that name
        int error = fs.RenameNoReplace(journal.folder, e.tempName, e.newName);
        if (error == 0) {
            present.remove(e.tempName);
            present.insert(e.newName);
            ++report.toNewName;
            record(i, StepState::Renamed);
            continue;
        }
        if (error == EEXIST)
            error = fs.RenameNoReplace(journal.folder, e.tempName, e.oldName);
        if (error == 0) {
            present.remove(e.tempName);
            present.insert(e.oldName);
            ++report.toOldName;
            record(i, StepState::AtOld);
            continue;
        }
        if (error == ENOENT)
            continue; // gone since the listing
        ++report.leftAtTemp;
        settled = false;
        record(i, StepState::LeftAtTemp);
        report.problems.append(Quoted(journal.folder + e.tempName) + u": " + DescribeError(error));
    }
    return settled;
}

} // namespace

RecoveryReport RecoverUnfinishedJournals(const QString &journalFolder, FileSystem &fs, const QString &onlyFolder)
{
    RecoveryReport report;
    const QByteArray only = QFile::encodeName(onlyFolder);
    for (const QString &path : JournalFiles(journalFolder, kOpenSuffix)) {
        const QByteArray native = QFile::encodeName(path);
        const int fd = ::open(native.constData(), O_RDWR | O_APPEND | O_CLOEXEC);
        if (fd < 0)
            continue;
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            ++report.inUse;
            ::close(fd);
            continue;
        }
        std::optional<JournalContents> journal = ParseJournal(ReadWhole(fd));
        if (!journal) {
            // Not a journal this program wrote: set aside, not deleted, and not read again.
            const QByteArray damaged = native + ".damaged";
            ::rename(native.constData(), damaged.constData());
            ::close(fd);
            continue;
        }
        if (!only.isEmpty() && !SameFolder(journal->folder, only)) {
            ::close(fd);
            continue;
        }
        ++report.journals;
        if (journal->finished || RecoverJournal(fd, *journal, fs, report)) {
            if (!journal->finished)
                WriteAll(fd, "F\n");
            ::fdatasync(fd);
            QByteArray done = native;
            done.chop(kOpenSuffix.size());
            done += ".done";
            ::rename(native.constData(), done.constData());
        }
        ::close(fd);
    }
    // Journals of passes that died before their first rename.
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    for (const QString &path : JournalFiles(journalFolder, kNewSuffix)) {
        if (QFileInfo(path).lastModified().toMSecsSinceEpoch() > now - kStaleNewMs)
            continue;
        const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
        if (fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0)
            QFile::remove(path);
        if (fd >= 0)
            ::close(fd);
    }
    KeepNewestDone(journalFolder);
    return report;
}

std::optional<JournalContents> ReadLastJournal(const QString &folder, const QString &journalFolder)
{
    const QByteArray wanted = QFile::encodeName(folder);
    QStringList done = JournalFiles(journalFolder, kDoneSuffix);
    for (auto it = done.crbegin(); it != done.crend(); ++it) {
        std::optional<JournalContents> journal = ReadJournalFile(*it);
        if (journal && journal->finished && SameFolder(journal->folder, wanted))
            return journal;
    }
    return std::nullopt;
}

UndoReport UndoPass(const JournalContents &journal, FileSystem &fs, const QString &journalFolder)
{
    UndoReport report;
    QList<JournalEntry> plan;
    for (qsizetype i = journal.entries.size() - 1; i >= 0; --i) {
        const JournalEntry &e = journal.entries.at(i);
        if (journal.states.at(i) == StepState::Renamed)
            plan.append({e.newName, TemporaryName(e.newName), e.oldName});
    }
    if (plan.isEmpty())
        return report;
    std::unique_ptr<RenameJournal> undoJournal
        = RenameJournal::Begin(journalFolder, journal.folder, plan, &report.journalError);
    for (int i = 0; i < plan.size(); ++i) {
        const JournalEntry &e = plan.at(i);
        const RenameResult result = RenameInTwoSteps(fs, journal.folder, e.oldName, e.tempName, e.newName,
                                                     [&](StepState state) {
                                                         if (undoJournal)
                                                             undoJournal->Record(i, state);
                                                     });
        if (result.renamed)
            ++report.reversed;
        else
            report.notReversed.append(Quoted(e.oldName) + u": " + result.reason);
    }
    if (undoJournal)
        undoJournal->Finish();
    return report;
}

} // namespace vl
