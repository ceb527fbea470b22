#include "data/Translations.h"

#include <cstddef>

namespace vl::data {

extern const unsigned char kEnglishMessages[];
extern const std::size_t kEnglishMessagesSize;

QByteArray EnglishMessages()
{
    return QByteArray::fromRawData(reinterpret_cast<const char *>(kEnglishMessages),
                                   static_cast<qsizetype>(kEnglishMessagesSize));
}

} // namespace vl::data
