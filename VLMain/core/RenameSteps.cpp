#include "VLMain/core/RenameSteps.h"

#include "VLUtils/core/TextRules.h"

#include <QCoreApplication>
#include <QHash>

#include <algorithm>
#include <array>
#include <cerrno>
#include <optional>

namespace vl {

namespace {

// Every temporary name ends in ".tmp", and no character outside ASCII has an upper-case form
// among ".", "T", "M" and "P": only names with that ending can take one, whatever the case.
bool EndsInTmp(QByteArrayView name)
{
    return name.size() >= 4 && qstrnicmp(name.constData() + name.size() - 4, ".tmp", 4) == 0;
}

} // namespace

QString Quoted(const QString &name)
{
    return u'«' + name + u'»';
}

QByteArray TemporaryName(const QByteArray &diskName)
{
    if (!diskName.contains('.'))
        return diskName + "..tmp";
    return diskName + ".tmp";
}

QByteArray SpareTemporaryName(const QByteArray &diskName, int number)
{
    const QByteArray tail = '~' + QByteArray::number(number) + ".tmp";
    qsizetype keep = std::min<qsizetype>(diskName.size(), kMaxNameBytes - tail.size());
    // Never cut inside a UTF-8 character: back up over continuation bytes.
    while (keep > 0 && keep < diskName.size()
           && (static_cast<uchar>(diskName[keep]) & 0xC0) == 0x80)
        --keep;
    return diskName.left(keep) + tail;
}

QByteArray CaseKeyBytes(QByteArrayView name)
{
    // A name of ASCII bytes, the usual case, is made without decoding it.
    if (std::all_of(name.begin(), name.end(), [](char c) { return uchar(c) < 0x80; }))
        return name.toByteArray().toUpper();
    return UpperCase(QString::fromUtf8(name)).toUtf8();
}

size_t CaseKeyHash(QByteArrayView name)
{
    std::array<char, 256> upper;
    if (name.size() <= static_cast<qsizetype>(upper.size())
        && std::all_of(name.begin(), name.end(), [](char c) { return uchar(c) < 0x80; })) {
        std::transform(name.begin(), name.end(), upper.begin(),
                       [](char c) { return c >= 'a' && c <= 'z' ? char(c - 0x20) : c; });
        return qHash(QByteArrayView(upper.data(), name.size()));
    }
    return qHash(QByteArrayView(CaseKeyBytes(name)));
}

namespace {

// The temporary names taken so far, by their case keys. A folder of 100,000 files would need
// 100,000 keys held as text; this holds a hash of each and the place of its name, and compares
// keys only where two hashes meet.
class TakenNames
{
public:
    TakenNames(const QList<QByteArray> &folderNames, const QList<JournalEntry> &plan) :
        folderNames_(folderNames),
        plan_(plan)
    { }
    // Each name is known by its place: -1 - i for folderNames[i], i for plan[i].tempName.
    bool Contains(const QByteArray &key) const
    {
        const size_t hash = qHash(key);
        if (const auto it = first_.constFind(hash); it == first_.cend())
            return false;
        else if (KeyAt(*it) == key)
            return true;
        for (auto [it, end] = more_.equal_range(hash); it != end; ++it)
            if (KeyAt(*it) == key)
                return true;
        return false;
    }
    void Insert(const QByteArray &key, qsizetype place)
    {
        const size_t hash = qHash(key);
        if (!first_.contains(hash))
            first_.insert(hash, place);
        else
            more_.insert(hash, place);
    }
    void Reserve(qsizetype size) { first_.reserve(size); }

private:
    QByteArray KeyAt(qsizetype place) const
    {
        return CaseKeyBytes(place < 0 ? folderNames_.at(-1 - place) : plan_.at(place).tempName);
    }

    const QList<QByteArray> &folderNames_;
    const QList<JournalEntry> &plan_;
    QHash<size_t, qsizetype> first_;
    QMultiHash<size_t, qsizetype> more_; // places whose hash another one had first
};

} // namespace

void ChooseTemporaryNames(QList<JournalEntry> &plan, const QList<QByteArray> &folderNames)
{
    // Only names that end in ".tmp" can take a temporary name.
    QList<QByteArray> tmpNames;
    for (const QByteArray &name : folderNames)
        if (EndsInTmp(name))
            tmpNames.append(name);
    TakenNames taken(tmpNames, plan);
    taken.Reserve(tmpNames.size() + plan.size());
    for (qsizetype i = 0; i < tmpNames.size(); ++i)
        taken.Insert(CaseKeyBytes(tmpNames.at(i)), -1 - i);
    for (qsizetype i = 0; i < plan.size(); ++i) {
        JournalEntry &entry = plan[i];
        QByteArray temp = TemporaryName(entry.oldName);
        QByteArray key = CaseKeyBytes(temp);
        // Each spare name differs from the ones before it, so the search ends within the number
        // of names taken.
        for (int number = 1; temp.size() > kMaxNameBytes || taken.Contains(key); ++number) {
            temp = SpareTemporaryName(entry.oldName, number);
            key = CaseKeyBytes(temp);
        }
        entry.tempName = std::move(temp);
        taken.Insert(key, i);
    }
}

void ChooseTemporaryNames(FileSystem &fs, const QByteArray &folder, QList<JournalEntry> &plan)
{
    // Only the names that can take a temporary name are kept of the listing.
    QList<QByteArray> names;
    const int error = fs.ForEachName(folder, [&names](QByteArrayView name) {
        if (EndsInTmp(name))
            names.append(name.toByteArray());
    });
    if (error != 0) {
        names.clear();
        for (const JournalEntry &entry : plan)
            names.append(entry.oldName);
    }
    ChooseTemporaryNames(plan, names);
}

void PlanTemporaryNames(FileSystem &fs, const QByteArray &folder, QList<JournalEntry> &plan,
                        bool oneStep)
{
    if (!oneStep) {
        ChooseTemporaryNames(fs, folder, plan);
        return;
    }
    for (JournalEntry &entry : plan)
        entry.tempName = TemporaryName(entry.oldName);
}

bool IsTemporaryNameOf(const QByteArray &tempName, const QByteArray &diskName)
{
    if (tempName == TemporaryName(diskName))
        return true;
    if (!tempName.endsWith(".tmp") || tempName.size() > kMaxNameBytes)
        return false;
    const QByteArray body = tempName.chopped(4);
    const qsizetype tilde = body.lastIndexOf('~');
    if (tilde <= 0)
        return false;
    bool ok = false;
    const QByteArray digits = body.mid(tilde + 1);
    const int number = digits.toInt(&ok);
    if (!ok || number < 1 || digits.front() == '0' || digits.front() == '+')
        return false;
    return tempName == SpareTemporaryName(diskName, number);
}

namespace {

char16_t UnitAt(QStringView text, qsizetype i)
{
    return text.at(i).unicode();
}

char16_t UnitAt(QByteArrayView bytes, qsizetype i)
{
    return static_cast<uchar>(bytes.at(i));
}

// Whether two texts of ASCII characters only differ in letter case alone, if at all; nullopt when
// either holds another character. For ASCII the case forms are those of A to Z alone. a may be
// the bytes of a name on disk: in ASCII each byte is its character.
template <typename Text> std::optional<bool> AsciiCaseTwins(Text a, QStringView b)
{
    if (a.size() != b.size())
        return std::nullopt;
    bool same = true;
    for (qsizetype i = 0; i < a.size(); ++i) {
        const char16_t x = UnitAt(a, i), y = UnitAt(b, i);
        if (x >= 0x80 || y >= 0x80)
            return std::nullopt;
        const auto upper = [](char16_t c) { return c >= u'a' && c <= u'z' ? c - 0x20 : c; };
        same = same && upper(x) == upper(y);
    }
    return same;
}

} // namespace

QString CaseOnlyRefusal(const QByteArray &oldName, const QString &newName)
{
    // Most names are ASCII: two ASCII twins are safe names exactly where the old one is, as "/",
    // NUL and "." have no case; they need no decoding.
    if (AsciiCaseTwins(QByteArrayView(oldName), newName).value_or(false) && !oldName.isEmpty()
        && oldName != "." && oldName != ".." && !oldName.contains('/') && !oldName.contains('\0'))
        return {};
    return CaseOnlyRefusal(QString::fromUtf8(oldName), newName);
}

QString CaseOnlyRefusal(const QString &oldName, const QString &newName)
{
    const std::optional<bool> twins = AsciiCaseTwins(QStringView(oldName), newName);
    if (newName.isEmpty() || newName == u"." || newName == u".." || newName.contains(u'/')
        || newName.contains(QChar(0)) || oldName.isEmpty() || oldName == u"." || oldName == u".."
        || oldName.contains(u'/') || oldName.contains(QChar(0))
        || (twins ? !*twins
                  : UpperCase(newName) != UpperCase(oldName)
                        || LowerCase(newName) != LowerCase(oldName)))
        return QCoreApplication::translate(
            "RenameSteps", "новое имя отличается от прежнего не только регистром букв");
    return {};
}

QString JournalEntryRefusal(const JournalEntry &entry)
{
    const QString oldName = QString::fromUtf8(entry.oldName);
    const QString newName = QString::fromUtf8(entry.newName);
    if (oldName.toUtf8() != entry.oldName || newName.toUtf8() != entry.newName)
        return QCoreApplication::translate("RenameSteps",
                                           "имя файла записано не в кодировке UTF-8");
    if (QString reason = CaseOnlyRefusal(oldName, newName); !reason.isEmpty())
        return reason;
    if (!IsTemporaryNameOf(entry.tempName, entry.oldName))
        return QCoreApplication::translate("RenameSteps",
                                           "временное имя не из тех, что даёт программа");
    return {};
}

QString RefusedEntryText(const JournalEntry &entry, const QString &reason)
{
    return QCoreApplication::translate("RenameSteps",
                                       "запись журнала отклонена: %1 → %2 через %3: %4")
        .arg(Quoted(QString::fromUtf8(entry.oldName)), Quoted(QString::fromUtf8(entry.newName)),
             Quoted(QString::fromUtf8(entry.tempName)), reason);
}

QString DescribeError(int error, ErrorContext context)
{
    switch (error) {
    case EEXIST:
    case ENOTEMPTY:
        return QCoreApplication::translate("RenameSteps", "имя занято другим файлом");
    case ENOENT:
        if (context != ErrorContext::Rename)
            return QCoreApplication::translate("RenameSteps", "папка не найдена");
        return QCoreApplication::translate("RenameSteps",
                                           "файл не найден: возможно, он удалён или переименован");
    case EACCES:
    case EPERM:
        if (context == ErrorContext::ReadFolder)
            return QCoreApplication::translate("RenameSteps", "нет прав на чтение этой папки");
        if (context == ErrorContext::JournalFolder)
            return QCoreApplication::translate("RenameSteps",
                                               "нет прав на запись в папку журналов");
        return QCoreApplication::translate("RenameSteps",
                                           "нет прав на переименование в этой папке");
    case EROFS:
        return QCoreApplication::translate("RenameSteps",
                                           "папка находится на диске только для чтения");
    case ENOTDIR:
        return QCoreApplication::translate("RenameSteps", "часть пути не является папкой");
    case ENAMETOOLONG:
        return QCoreApplication::translate("RenameSteps", "слишком длинное имя файла");
    case ENOSPC:
    case EDQUOT:
        return QCoreApplication::translate("RenameSteps", "на диске нет места");
    case EBUSY:
    case ETXTBSY:
        return QCoreApplication::translate("RenameSteps", "файл занят другой программой");
    case EIO:
        return QCoreApplication::translate("RenameSteps", "ошибка ввода-вывода");
    default:
        return QCoreApplication::translate("RenameSteps", "системная ошибка %1").arg(error);
    }
}

RenameResult RenameInTwoSteps(FileSystem &fs, const QByteArray &folder, const QByteArray &oldName,
                              const QByteArray &tempName, const QByteArray &newName,
                              const StepObserver &observer)
{
    const auto tell = [&](StepState state) {
        if (observer)
            observer(state);
    };
    RenameResult result;
    if (const int error = fs.RenameNoReplace(folder, oldName, tempName); error != 0) {
        result.reason = error == EEXIST
                            ? QCoreApplication::translate("RenameSteps", "временное имя %1 занято")
                                  .arg(Quoted(QString::fromUtf8(tempName)))
                            : DescribeError(error);
        tell(StepState::AtOld);
        return result;
    }
    tell(StepState::AtTemp);
    if (const int error = fs.RenameNoReplace(folder, tempName, newName); error != 0) {
        result.reason = DescribeError(error);
        const int back = fs.RenameNoReplace(folder, tempName, oldName);
        if (error == ENOENT && back == ENOENT) {
            tell(StepState::AtOld); // someone else took the file away under its temporary name
        } else if (back != 0) {
            result.leftAtTemp = true;
            result.reason += QCoreApplication::translate("RenameSteps",
                                                         "; файл остался под временным именем %1")
                                 .arg(Quoted(QString::fromUtf8(tempName)));
            tell(StepState::LeftAtTemp);
        } else {
            tell(StepState::AtOld);
        }
        return result;
    }
    tell(StepState::Renamed);
    result.renamed = true;
    return result;
}

namespace {

// Whose is a new spelling, as the names of the folder tell it, for where the inodes cannot: some
// file systems (FUSE ones among them) number each spelling of a name apart, so the inodes differ
// even for the file itself. newName under exactly that spelling is another file, and so is any
// other name equal to it ignoring case; where only oldName is, the folder folds case.
enum class SpellingOwner { Itself, FileOfThatName, FileOfAnotherCase, Unknown };

SpellingOwner OwnerByNames(FileSystem &fs, const QByteArray &folder, const QByteArray &oldName,
                           const QByteArray &newName)
{
    const QByteArray key = CaseKeyBytes(newName);
    bool exact = false, otherCase = false, oldThere = false;
    const int error = fs.ForEachName(folder, [&](QByteArrayView name) {
        if (name == newName)
            exact = true;
        else if (name == oldName)
            oldThere = true;
        else if (!exact && !otherCase)
            otherCase = CaseKeyBytes(name) == key;
    });
    if (error != 0)
        return SpellingOwner::Unknown;
    if (exact)
        return SpellingOwner::FileOfThatName;
    if (otherCase)
        return SpellingOwner::FileOfAnotherCase;
    return oldThere ? SpellingOwner::Itself : SpellingOwner::Unknown;
}

} // namespace

bool TellsCaseApart(FileSystem &fs, const QByteArray &folder, const QList<JournalEntry> &plan)
{
    constexpr int kTried = 3;
    for (qsizetype i = 0; i < plan.size() && i < kTried; ++i) {
        bool same = false;
        const int error = fs.SameFile(folder, plan.at(i).oldName, plan.at(i).newName, same);
        if (error == 0 && same)
            return false;
        if (error == 0) {
            // Another inode: a file of its own under the new name, or the file itself. Only where
            // the folder holds no entry of exactly the new spelling did the look fold its case.
            return OwnerByNames(fs, folder, plan.at(i).oldName, plan.at(i).newName)
                   == SpellingOwner::FileOfThatName;
        }
        // Absent under its new spelling, so not folded onto the old one (or the file is gone, and
        // the next one tells).
        if (error == ENOENT
            && fs.SameFile(folder, plan.at(i).oldName, plan.at(i).oldName, same) == 0)
            return true;
    }
    return false;
}

FolderRenamer::FolderRenamer(FileSystem &fs, const QByteArray &folder, bool oneStep,
                             std::function<void()> switched) :
    fs_(fs),
    folder_(folder),
    oneStep_(oneStep),
    switched_(std::move(switched))
{ }

bool FolderRenamer::TakenByItself(const QByteArray &oldName, const QByteArray &newName)
{
    bool same = false;
    if (fs_.SameFile(folder_, oldName, newName, same) == 0 && same)
        return true;
    if (inodesTell_)
        return false;
    switch (OwnerByNames(fs_, folder_, oldName, newName)) {
    case SpellingOwner::Itself:
        return true;
    case SpellingOwner::FileOfThatName:
        inodesTell_ = true; // a real clash, told apart by the inodes: trusted from now on
        return false;
    case SpellingOwner::FileOfAnotherCase:
    case SpellingOwner::Unknown:
        break;
    }
    return false;
}

RenameResult FolderRenamer::Rename(const QByteArray &oldName, const QByteArray &tempName,
                                   const QByteArray &newName, const StepObserver &observer)
{
    if (oneStep_) {
        const int error = fs_.RenameNoReplace(folder_, oldName, newName);
        if (error != EEXIST || !TakenByItself(oldName, newName)) {
            RenameResult result;
            result.renamed = error == 0;
            if (!result.renamed)
                result.reason = DescribeError(error);
            if (observer)
                observer(result.renamed ? StepState::Renamed : StepState::AtOld);
            return result;
        }
        // The new name is the file's own: this folder folds case.
        oneStep_ = false;
        if (switched_)
            switched_();
    }
    if (!twoStepsRefusal_.isEmpty()) {
        RenameResult result;
        result.reason = twoStepsRefusal_;
        if (observer)
            observer(StepState::AtOld);
        return result;
    }
    return RenameInTwoSteps(fs_, folder_, oldName, tempName, newName, observer);
}

} // namespace vl
