#pragma once

// The rules for the user's work on the list: changing the letter case of a caption in place and
// adding the names of marked items to the dictionaries.

#include "VLMain/core/Dictionary.h"
#include "VLMain/core/FileItem.h"

#include <QCoreApplication>
#include <QString>
#include <QStringList>

namespace vl {

inline QString EditRefusedText()
{
    return QCoreApplication::translate("NameEditing", "Имя файла нельзя изменить на другое, можно "
                                                      "только изменить регистр составляющих его "
                                                      "символов.");
}

// A committed caption edit. A case-only change of the caption, or the whole file name typed in
// another case, is accepted: the item is marked, takes the text as its caption, and loses its
// extension when the whole name was typed. Anything else changes nothing and returns false.
bool ApplyCaptionEdit(FileItem &item, const QString &text);

// Why a name may not be added: a core that would fail the start-up self-check (empty, a single
// character, or still ending in ".shtml") would keep the program from starting, and one read
// from a file name that is not UTF-8 holds U+FFFD and could never match. Empty when fine.
QString AddRefusalReason(const QString &core);

struct AddReport {
    int added = 0; // new rows
    QStringList refused; // "«core»: reason"
};

// Adds the name core of every marked item to its dictionary; each item that was handled is
// unmarked and reads "Добавлено". Refused items stay marked.
AddReport AddMarkedNames(QList<FileItem> &items, TDictionaries &dictionaries);

} // namespace vl
