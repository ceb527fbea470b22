#pragma once

#include <QByteArray>

namespace vl::data {

// The compiled English interface texts (a Qt .qm file), as compiled in.
QByteArray EnglishMessages();

} // namespace vl::data
