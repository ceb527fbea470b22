#pragma once

#include <QByteArray>

namespace vl::data {

// The program's version data as compiled in: the UTF-8 text of the version file, with the
// project version filled in.
QByteArray VersionData();

} // namespace vl::data
