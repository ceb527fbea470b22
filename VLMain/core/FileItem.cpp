#include "VLMain/core/FileItem.h"

#include "VLUtils/core/TextRules.h"

#include <QCoreApplication>
#include <QMutex>
#include <QStringDecoder>

#include <algorithm>
#include <set>

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

const QString &StateText(ItemState state)
{
    // Sort keys hold views of these texts, so each is kept for good, once per language it has
    // been asked in; the lock is for the sorts that run off the window's thread.
    static QMutex lock;
    static std::set<QString> kept;
    const QString text = QCoreApplication::translate("FileList", StateSourceText(state));
    const QMutexLocker locked(&lock);
    return *kept.insert(text).first;
}

FileItem MakeFileItem(const QByteArray &diskName)
{
    FileItem item;
    // ASCII, nearly every name, needs no decoding: each byte is its character, and the parts are
    // made straight from the bytes, with no whole name built in between.
    if (std::all_of(diskName.cbegin(), diskName.cend(),
                    [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
        const qsizetype dot = diskName.lastIndexOf('.');
        const QByteArrayView name(diskName);
        item.caption = QString::fromLatin1(dot < 0 ? name : name.first(dot));
        if (dot >= 0)
            item.extension = QString::fromLatin1(name.sliced(dot + 1));
        item.diskName = diskName;
        return item;
    }
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
