#pragma once

#include <QStringList>

namespace vl::data {

// The rows of the built-in name dictionary, in ascending collation order.
QStringList BuiltinNames();

// The rank of each row of BuiltinNames(), in the same order: 1 for the name that most projects
// use, larger for rarer ones.
QList<int> BuiltinNameRanks();

// The six rows of the built-in full-name dictionary, in ascending collation order.
QStringList BuiltinFullNames();

} // namespace vl::data
