#include "VLMain/core/NameEditing.h"

#include <QCoreApplication>

#include "VLUtils/core/TextRules.h"

namespace vl {

bool ApplyCaptionEdit(FileItem &item, const QString &text)
{
    const QString upperNew = UpperCase(text);
    const QString upperCaption = UpperCase(item.caption);
    const QString upperWhole
        = item.extension.isEmpty() ? upperCaption : upperCaption + u'.' + UpperCase(item.extension);
    if (upperNew != upperCaption && upperNew != upperWhole)
        return false;
    item.checked = true;
    item.caption = text;
    if (upperNew != upperCaption)
        item.extension.clear();
    return true;
}

QString AddRefusalReason(const QString &core)
{
    if (core.isEmpty())
        return QCoreApplication::translate("NameEditing", "в имени нет ни одной буквы");
    // A file name that is not valid UTF-8 is shown with U+FFFD in place of its bad bytes; such a
    // name could never match a file.
    if (core.contains(QChar::ReplacementCharacter))
        return QCoreApplication::translate(
            "NameEditing", "имя файла записано не в UTF-8, и его знаки не прочитать");
    if (CharCount(core) < 2)
        return QCoreApplication::translate("NameEditing", "имя из одной буквы");
    if (ExtractNameCore(core) != core)
        return QCoreApplication::translate("NameEditing", "имя оканчивается на .shtml");
    return {};
}

AddReport AddMarkedNames(QList<FileItem> &items, TDictionaries &dictionaries)
{
    AddReport report;
    for (FileItem &item : items) {
        if (!item.checked)
            continue;
        const NameToAdd name = NameToAddFor(item.caption, item.extension);
        if (const QString reason = AddRefusalReason(name.text); !reason.isEmpty()) {
            // An empty caption (a name such as «.profile») is named by its file.
            const QString shown
                = item.caption.isEmpty() ? QString::fromUtf8(item.diskName) : item.caption;
            report.refused.append(u'«' + shown + u"»: " + reason);
            continue;
        }
        TDictionary &dictionary = name.fullName ? dictionaries.full : dictionaries.names;
        const int before = dictionary.Count();
        dictionary.AddName(name.text);
        report.added += dictionary.Count() - before;
        item.checked = false;
        item.state = ItemState::Added;
    }
    return report;
}

} // namespace vl
