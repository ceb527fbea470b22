#include "VLMain/core/FileItem.h"

#include "VLUtils/core/TextRules.h"

#include <QCoreApplication>
#include <QHash>
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

namespace {

bool IsAscii(const QByteArray &bytes)
{
    return std::all_of(bytes.cbegin(), bytes.cend(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// An item of an ASCII name, whose every byte is its character: the parts are made straight from
// the bytes, with no decoded whole name in between. extension makes the extension from its bytes.
template <typename MakeExtension>
FileItem AsciiItem(const QByteArray &diskName, MakeExtension extension)
{
    FileItem item;
    const qsizetype dot = diskName.lastIndexOf('.');
    const QByteArrayView name(diskName);
    item.caption = QString::fromLatin1(dot < 0 ? name : name.first(dot));
    if (dot >= 0)
        item.extension = extension(name.sliced(dot + 1));
    item.diskName = diskName;
    return item;
}

} // namespace

FileItem FileItemMaker::Make(const QByteArray &diskName)
{
    if (!IsAscii(diskName))
        return MakeFileItem(diskName);
    return AsciiItem(diskName, [this](QByteArrayView bytes) {
        QString &kept = recent_[qHash(bytes, 0) % recent_.size()];
        if (kept.isNull() || QLatin1StringView(bytes) != kept)
            kept = QString::fromLatin1(bytes);
        return kept;
    });
}

FileItem MakeFileItem(const QByteArray &diskName)
{
    if (IsAscii(diskName))
        return AsciiItem(diskName, [](QByteArrayView bytes) { return QString::fromLatin1(bytes); });
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
