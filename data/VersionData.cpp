#include "data/VersionData.h"

#include <cstddef>

namespace vl::data {

extern const unsigned char kVersionData[];
extern const std::size_t kVersionDataSize;

QByteArray VersionData()
{
    return QByteArray::fromRawData(reinterpret_cast<const char *>(kVersionData),
                                   static_cast<qsizetype>(kVersionDataSize));
}

} // namespace vl::data
