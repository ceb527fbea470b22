#include "data/Pictures.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>
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

// The pictures are PNG files and say so: the reader is told not to look for another format. Left
// to guess, it first loads every image format plugin installed to ask each whether it reads "png",
// which costs more than the decoding itself.
QPixmap Picture(const unsigned char *bytes, std::size_t size)
{
    QByteArray data = QByteArray::fromRawData(reinterpret_cast<const char *>(bytes),
                                              static_cast<qsizetype>(size));
    QBuffer buffer(&data);
    QImageReader reader(&buffer, QByteArrayLiteral("png"));
    reader.setAutoDetectImageFormat(false);
    return QPixmap::fromImage(reader.read());
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
