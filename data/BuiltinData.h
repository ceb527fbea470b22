#pragma once

#include <QStringList>

namespace vl::data {

// The rows of the built-in name dictionary, in ascending collation order.
QStringList BuiltinNames();

// The six rows of the built-in full-name dictionary, in ascending collation order.
QStringList BuiltinFullNames();

} // namespace vl::data
