#include "data/Pictures.h"

#include <QPixmap>

#include <cstddef>

namespace vl::data {

extern const unsigned char kMainIcon16[];
extern const std::size_t kMainIcon16Size;
extern const unsigned char kMainIcon32[];
extern const std::size_t kMainIcon32Size;
extern const unsigned char kFolderOpen[];
extern const std::size_t kFolderOpenSize;
extern const unsigned char kFolderOpenDisabled[];
extern const std::size_t kFolderOpenDisabledSize;

namespace {

QPixmap Picture(const unsigned char *bytes, std::size_t size)
{
    QPixmap pixmap;
    pixmap.loadFromData(bytes, static_cast<uint>(size), "PNG");
    return pixmap;
}

} // namespace

QIcon MainIcon()
{
    QIcon icon;
    icon.addPixmap(Picture(kMainIcon16, kMainIcon16Size));
    icon.addPixmap(Picture(kMainIcon32, kMainIcon32Size));
    return icon;
}

QIcon FolderButtonIcon()
{
    QIcon icon;
    icon.addPixmap(Picture(kFolderOpen, kFolderOpenSize), QIcon::Normal);
    icon.addPixmap(Picture(kFolderOpenDisabled, kFolderOpenDisabledSize), QIcon::Disabled);
    return icon;
}

} // namespace vl::data
