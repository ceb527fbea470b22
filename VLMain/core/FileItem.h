#pragma once

#include <QByteArray>
#include <QString>

namespace vl {

// State texts of a file item.
inline constexpr char16_t kStateUnprocessed[] = u"Не обработано";
inline constexpr char16_t kStateRecognised[] = u"Распознано";
inline constexpr char16_t kStateUnrecognised[] = u"Не распознано";
inline constexpr char16_t kStateAdded[] = u"Добавлено";
inline constexpr char16_t kStateNotRenamed[] = u"Не переименовано";

// One row of the file list.
struct FileItem
{
    QString caption;   // the name part, or a whole file name when the extension is empty
    QString extension; // possibly empty
    QString state;
    bool checked = false;

    // The file's name on disk, as listed and kept up to date after each rename. Renames start
    // from it, never from the caption, which an edit may have changed.
    QByteArray diskName;
    // False when the name on disk is not valid UTF-8: such a file is listed but never renamed.
    bool nameIsText = true;
    // Why the last rename of this file failed, shown as the state's tooltip; empty otherwise.
    QString failure;
};

// A file item as a scan creates it from a name on disk.
FileItem MakeFileItem(const QByteArray &diskName);

} // namespace vl
