#include "VLMain/core/FileItem.h"

#include "VLUtils/core/TextRules.h"

#include <QCoreApplication>
#include <QStringDecoder>

namespace vl {

const char *StateSourceText(ItemState state)
{
    static const char *const texts[] = {
        QT_TRANSLATE_NOOP("FileList", "Не обработано"),
        QT_TRANSLATE_NOOP("FileList", "Распознано"),
        QT_TRANSLATE_NOOP("FileList", "Не распознано"),
        QT_TRANSLATE_NOOP("FileList", "Добавлено"),
        QT_TRANSLATE_NOOP("FileList", "Не переименовано"),
    };
    return texts[static_cast<int>(state)];
}

QString StateText(ItemState state)
{
    return QCoreApplication::translate("FileList", StateSourceText(state));
}

FileItem MakeFileItem(const QByteArray &diskName)
{
    FileItem item;
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString name = decoder.decode(diskName);
    item.nameIsText = !decoder.hasError();
    const SplitName split = SplitFileName(name);
    item.caption = split.namePart;
    item.extension = split.extension;
    item.state = ItemState::Unprocessed;
    item.diskName = diskName;
    return item;
}

} // namespace vl
