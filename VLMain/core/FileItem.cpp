#include "VLMain/core/FileItem.h"

#include "VLUtils/core/TextRules.h"

#include <QStringDecoder>

namespace vl {

const QString &StateText(ItemState state)
{
    static const QString texts[] = {
        QStringLiteral("Не обработано"),    QStringLiteral("Распознано"),
        QStringLiteral("Не распознано"),    QStringLiteral("Добавлено"),
        QStringLiteral("Не переименовано"),
    };
    return texts[static_cast<int>(state)];
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
