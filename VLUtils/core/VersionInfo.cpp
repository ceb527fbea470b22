#include "VLUtils/core/VersionInfo.h"

#include "data/VersionData.h"

#include <QList>

#include <array>

namespace vl {

namespace {

constexpr QStringView kStringTablePath = u"\\StringFileInfo\\041904E3\\";
constexpr QStringView kDefaultVersion = u"1.0.0.0";

struct VersionKey {
    QStringView name;
    QString TVersionInfo::*field;
    QStringView fallback;
};

// The keys in the record's order, with the value each takes when it cannot be read.
constexpr std::array<VersionKey, 10> kKeys {{
    {u"CompanyName", &TVersionInfo::CompanyName, {}},
    {u"LegalTrademarks", &TVersionInfo::LegalTrademarks, {}},
    {u"LegalCopyright", &TVersionInfo::LegalCopyright, {}},
    {u"ProductName", &TVersionInfo::ProductName, {}},
    {u"ProductVersion", &TVersionInfo::ProductVersion, kDefaultVersion},
    {u"FileDescription", &TVersionInfo::FileDescription, {}},
    {u"FileVersion", &TVersionInfo::FileVersion, kDefaultVersion},
    {u"InternalName", &TVersionInfo::InternalName, {}},
    {u"OriginalFilename", &TVersionInfo::OriginalFilename, {}},
    {u"Comments", &TVersionInfo::Comments, {}},
}};

VersionDataSource &Source()
{
    static VersionDataSource source;
    return source;
}

std::optional<QByteArray> LoadVersionData()
{
    if (const VersionDataSource &source = Source())
        return source();
    return data::VersionData();
}

// A block's path without a trailing backslash, so that "[\]" and the query "\FileVersion" meet.
QStringView BlockPath(QStringView path)
{
    if (path.endsWith(u'\\'))
        path.chop(1);
    return path;
}

} // namespace

std::optional<QString> QueryVersionValue(QByteArrayView data, QStringView path)
{
    const qsizetype split = path.lastIndexOf(u'\\');
    if (split < 0)
        return std::nullopt;
    const QStringView block = path.first(split);
    const QStringView key = path.sliced(split + 1);
    if (key.isEmpty())
        return std::nullopt;

    const QString text = QString::fromUtf8(data);
    QStringView section;
    bool inBlock = false;
    for (QStringView line : QStringView(text).split(u'\n')) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (line.isEmpty() || line.startsWith(u';'))
            continue;
        if (line.startsWith(u'[') && line.endsWith(u']')) {
            section = BlockPath(line.sliced(1, line.size() - 2));
            inBlock = section.compare(block, Qt::CaseInsensitive) == 0;
            continue;
        }
        if (!inBlock)
            continue;
        const qsizetype equals = line.indexOf(u'=');
        if (equals < 0 || line.first(equals).trimmed().compare(key, Qt::CaseInsensitive) != 0)
            continue;
        QStringView value = line.sliced(equals + 1);
        const qsizetype zero = value.indexOf(QChar(u'\0'));
        if (zero >= 0)
            value.truncate(zero);
        return value.toString();
    }
    return std::nullopt;
}

void ReadVersionInfo(TVersionInfo &info)
{
    for (const VersionKey &key : kKeys)
        info.*key.field = key.fallback.toString();

    const std::optional<QByteArray> data = LoadVersionData();
    if (!data || data->isEmpty())
        return;
    for (const VersionKey &key : kKeys) {
        const QString path = kStringTablePath + key.name;
        if (std::optional<QString> value = QueryVersionValue(*data, path))
            info.*key.field = std::move(*value);
    }
}

QString ProgramVersion()
{
    TVersionInfo info;
    ReadVersionInfo(info);
    return info.FileVersion;
}

void SetVersionDataSourceForTesting(VersionDataSource source)
{
    Source() = std::move(source);
}

} // namespace vl
