#include "support/TestSupport.h"

#include <QFile>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <stdexcept>

QT_BEGIN_NAMESPACE
void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}
void PrintTo(const QStringList &s, std::ostream *os)
{
    *os << '[';
    for (qsizetype i = 0; i < s.size(); ++i)
        *os << (i ? ", \"" : "\"") << s[i].toStdString() << '"';
    *os << ']';
}
void PrintTo(const QByteArray &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}
QT_END_NAMESPACE

namespace vl::test {

const TDictionaries &BuiltinDictionaries()
{
    struct Yes : SelfCheckPrompt {
        bool Continue(const QString &) override { return true; }
    };
    static const TDictionaries dictionaries = [] {
        TDictionaries d;
        Yes prompt;
        PrepareDictionaries(d, prompt);
        return d;
    }();
    return dictionaries;
}

TempFolder::TempFolder()
{
    if (!dir_.isValid())
        throw std::runtime_error("cannot create a temporary folder");
}

QString TempFolder::path() const
{
    return dir_.path() + u'/';
}

QByteArray TempFolder::nativePath() const
{
    return QFile::encodeName(path());
}

void TempFolder::AddFile(const QByteArray &name, const QByteArray &contents) const
{
    const QByteArray full = nativePath() + name;
    const int fd = ::open(full.constData(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    if (fd < 0)
        throw std::runtime_error("cannot create " + full.toStdString());
    const ssize_t written = ::write(fd, contents.constData(), static_cast<size_t>(contents.size()));
    ::close(fd);
    if (written != contents.size())
        throw std::runtime_error("cannot write " + full.toStdString());
}

void TempFolder::AddFile(const QString &name, const QByteArray &contents) const
{
    AddFile(name.toUtf8(), contents);
}

void TempFolder::AddFolder(const QString &name) const
{
    if (::mkdir(QByteArray(nativePath() + name.toUtf8()).constData(), 0755) != 0)
        throw std::runtime_error("cannot create folder");
}

QList<QByteArray> TempFolder::Names() const
{
    QList<QByteArray> names;
    DIR *d = ::opendir(nativePath().constData());
    if (!d)
        return names;
    while (const dirent *e = ::readdir(d)) {
        const QByteArray name(e->d_name);
        if (name != "." && name != "..")
            names.append(name);
    }
    ::closedir(d);
    std::sort(names.begin(), names.end());
    return names;
}

QByteArray TempFolder::Contents(const QByteArray &name) const
{
    const int fd = ::open(QByteArray(nativePath() + name).constData(), O_RDONLY);
    if (fd < 0)
        return "<missing>";
    QByteArray data;
    char buffer[4096];
    ssize_t n;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0)
        data.append(buffer, n);
    ::close(fd);
    return data;
}

PassReport JournalledPass(const TempFolder &dir, const QList<QByteArray> &listed,
                          const QString &journals, FileSystem &fs)
{
    struct NoHooks : RenamePassHooks {
        void BeforeItem(int, int, const QString &) override { }
    };
    FileListModel model;
    for (const QByteArray &n : listed)
        model.Append(MakeFileItem(n));
    NoHooks hooks;
    RenameOptions options;
    options.journalFolder = journals;
    return RenameFiles(dir.path(), model, BuiltinDictionaries(), fs, hooks, options);
}

} // namespace vl::test
