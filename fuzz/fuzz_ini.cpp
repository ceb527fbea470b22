// The INI layer and the user name file: whatever file is found, a file that the program writes
// reads back to the same names (those that can stand on one line), and keys written into any
// file read back with the values written. Texts are valid Unicode, as names from disk and from
// the keyboard are.

#include "FuzzSupport.h"

#include "VLMain/core/Dictionary.h"
#include "VLMain/core/UserNames.h"
#include "platform/core/IniFile.h"
#include "platform/core/PlatformError.h"

#include <QFile>
#include <QHash>

#include <fuzzer/FuzzedDataProvider.h>

#include <unistd.h>

using namespace vl;

namespace {

const QString &Scratch()
{
    static const QString path = []() -> QString {
        // In memory where the machine has it: every save flushes the file to disk.
        char shm[] = "/dev/shm/vorlant-fuzz-ini-XXXXXX";
        char tmp[] = "/tmp/vorlant-fuzz-ini-XXXXXX";
        char *folder = ::mkdtemp(shm);
        if (!folder)
            folder = ::mkdtemp(tmp);
        if (!folder)
            std::abort();
        static std::string made = folder;
        std::atexit([] {
            ::unlink((made + "/Vorlant.ini").c_str());
            ::rmdir(made.c_str());
        });
        return QString::fromLocal8Bit(folder) + u"/Vorlant.ini";
    }();
    return path;
}

void WriteFile(const QString &path, const std::string &bytes)
{
    QFile file(path);
    FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    FUZZ_CHECK(file.write(bytes.data(), static_cast<qint64>(bytes.size()))
               == static_cast<qint64>(bytes.size()));
}

bool StandsOnOneLine(const QString &name)
{
    IniFile probe(QString {});
    return probe.WriteKey(u"NAMES", u"0", name);
}

// SaveUserNames, then LoadUserNames: the same user lists.
void UserNamesRoundTrip(FuzzedDataProvider &input)
{
    WriteFile(Scratch(), input.ConsumeRandomLengthString(2048));
    TDictionaries written;
    const int count = input.ConsumeIntegralInRange(0, 12);
    for (int i = 0; i < count; ++i) {
        const QString name = fuzz::ValidTextFrom(input.ConsumeRandomLengthString(40));
        (input.ConsumeBool() ? written.full : written.names).AddName(name);
    }
    try {
        SaveUserNames(written, Scratch());
    } catch (const PlatformError &) {
        FUZZ_CHECK(false); // a regular file in a writable folder
    }
    if (written.full.UserList().isEmpty() && written.names.UserList().isEmpty())
        return; // nothing to write: the file stays as it was
    TDictionaries read;
    LoadUserNames(read, Scratch());
    for (const auto &[w, r] :
         {std::pair {&written.full, &read.full}, std::pair {&written.names, &read.names}}) {
        QStringList expected;
        for (const QString &name : w->UserList())
            if (StandsOnOneLine(name))
                expected.append(name);
        if (r->UserList() != expected) {
            std::fprintf(stderr, "wrote %lld names, read %lld\n",
                         static_cast<long long>(expected.size()),
                         static_cast<long long>(r->UserList().size()));
            for (const QString &n : expected)
                std::fprintf(stderr, "  wrote «%s»\n", fuzz::Show(n).c_str());
            for (const QString &n : r->UserList())
                std::fprintf(stderr, "  read  «%s»\n", fuzz::Show(n).c_str());
            FUZZ_CHECK(false);
        }
    }
}

// The value of the first entry of the case-folded key in the section.
QString ValueOf(const IniFile &ini, const QString &section, const QString &foldedKey)
{
    for (const QString &line : ini.SectionLines(section)) {
        const qsizetype eq = line.indexOf(u'=');
        if (line.first(eq).toCaseFolded() == foldedKey)
            return line.sliced(eq + 1);
    }
    return {};
}

// WriteKey into any file, Flush, read again: every key accepted reads back its last value.
void KeysRoundTrip(FuzzedDataProvider &input)
{
    WriteFile(Scratch(), input.ConsumeRandomLengthString(2048));
    QHash<QString, QHash<QString, QString>> model; // folded section -> folded key -> value
    {
        IniFile ini(Scratch());
        const int count = input.ConsumeIntegralInRange(0, 12);
        for (int i = 0; i < count; ++i) {
            const QString section = fuzz::ValidTextFrom(input.ConsumeRandomLengthString(12));
            if (input.ConsumeIntegralInRange(0, 5) == 0) {
                ini.EraseSection(section);
                model.remove(section.toCaseFolded());
                continue;
            }
            const QString key = fuzz::ValidTextFrom(input.ConsumeRandomLengthString(12));
            const QString value = fuzz::ValidTextFrom(input.ConsumeRandomLengthString(40));
            if (ini.WriteKey(section, key, value))
                model[section.toCaseFolded()][key.toCaseFolded()] = value;
        }
        if (!ini.Flush())
            return; // the path held something unreadable: nothing written, which is allowed
    }
    const IniFile again(Scratch());
    for (auto s = model.cbegin(); s != model.cend(); ++s)
        for (auto k = s->cbegin(); k != s->cend(); ++k) {
            if (ValueOf(again, s.key(), k.key()) != k.value()) {
                std::fprintf(stderr, "[%s] %s: wrote «%s», read «%s»\n",
                             fuzz::Show(s.key()).c_str(), fuzz::Show(k.key()).c_str(),
                             fuzz::Show(k.value()).c_str(),
                             fuzz::Show(ValueOf(again, s.key(), k.key())).c_str());
                FUZZ_CHECK(false);
            }
        }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider input(data, size);
    if (input.ConsumeBool())
        UserNamesRoundTrip(input);
    else
        KeysRoundTrip(input);
    return 0;
}
