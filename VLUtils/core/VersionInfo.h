#pragma once

// The program's version strings. They are compiled into the program from one version file and
// read back by query path, as "\StringFileInfo\041904E3\" followed by the key.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <functional>
#include <optional>

namespace vl {

// The ten strings of the string table "041904E3", each named as its version key.
struct TVersionInfo {
    QString CompanyName;
    QString LegalTrademarks;
    QString LegalCopyright;
    QString ProductName;
    QString ProductVersion;
    QString FileDescription;
    QString FileVersion;
    QString InternalName;
    QString OriginalFilename;
    QString Comments;
};

// Fills all ten strings from the program's version data. A string whose key cannot be read gets
// its default: empty, but "1.0.0.0" for ProductVersion and FileVersion. Never fails.
void ReadVersionInfo(TVersionInfo &info);

// The program's version number, as the version data gives it (for `Vorlant --version`).
QString ProgramVersion();

// The value at a query path in version data of the version file's form, up to its first zero
// character; nothing when the block or the key is not there.
std::optional<QString> QueryVersionValue(QByteArrayView data, QStringView path);

// Test seam: where ReadVersionInfo takes the version data from. The source returns nothing when
// there is no version data. An empty function restores the compiled-in data.
using VersionDataSource = std::function<std::optional<QByteArray>()>;
void SetVersionDataSourceForTesting(VersionDataSource source);

} // namespace vl
