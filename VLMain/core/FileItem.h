#pragma once

#include <QByteArray>
#include <QString>
#include <QTypeInfo>

#include <array>

namespace vl {

// The state of a file item; the list shows it as its text.
enum class ItemState {
    Unprocessed, // "Не обработано": listed, not yet processed
    Recognised, // "Распознано"
    Unrecognised, // "Не распознано"
    Added, // "Добавлено": its name was added to a dictionary
    NotRenamed, // "Не переименовано": the rename failed
};

// The state's text as the program writes it, in Russian: the machine-readable output keeps it.
const char *StateSourceText(ItemState state);
// The text that the list shows for a state, in the interface language; the text stays valid.
const QString &StateText(ItemState state);

// One row of the file list.
struct FileItem {
    QString caption; // the name part, or a whole file name when the extension is empty
    QString extension; // possibly empty
    ItemState state = ItemState::Unprocessed;
    bool checked = false;
    // False when the name on disk is not valid UTF-8: such a file is listed but never renamed.
    bool nameIsText = true;
    // Where the file came in the folder's listing (0 for the first), or -1 when it was not
    // listed: the pass renames in this order, the one the file system reads its folder in.
    int listedAt = -1;

    // The file's name on disk, as listed and kept up to date after each rename. Renames start
    // from it, never from the caption, which an edit may have changed.
    QByteArray diskName;
    // Why the last rename of this file failed, shown as the state's tooltip; empty otherwise.
    QString failure;
};

} // namespace vl

// Its members move as bytes, so a growing list of items is reallocated in place, not copied.
Q_DECLARE_TYPEINFO(vl::FileItem, Q_RELOCATABLE_TYPE);

namespace vl {

// A file item as a scan creates it from a name on disk.
FileItem MakeFileItem(const QByteArray &diskName);

// Makes the items of one listing: the same items as MakeFileItem, but those with the same
// extension («JPG») share one copy of it, so that a large folder holds a few extensions instead
// of one string per file.
class FileItemMaker
{
public:
    FileItem Make(const QByteArray &diskName);

private:
    // The extensions met lately, each in the slot that its bytes choose.
    std::array<QString, 16> recent_;
};

} // namespace vl
