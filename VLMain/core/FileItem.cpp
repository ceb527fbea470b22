#include "VLMain/core/FileItem.h"

#include "VLUtils/core/TextRules.h"

#include <QStringDecoder>

namespace vl {

FileItem MakeFileItem(const QByteArray &diskName)
{
    FileItem item;
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString name = decoder.decode(diskName);
    item.nameIsText = !decoder.hasError();
    const SplitName split = SplitFileName(name);
    item.caption = split.namePart;
    item.extension = split.extension;
    // One shared text for every new item rather than a copy each: a large folder has many.
    static const QString unprocessed = QString::fromUtf16(kStateUnprocessed);
    item.state = unprocessed;
    item.diskName = diskName;
    return item;
}

} // namespace vl
