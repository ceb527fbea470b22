#pragma once

// Facts about the running program that only the system knows.

#include <QString>

namespace vl {

// The full path of the program's own executable, links resolved; empty when the system does
// not tell.
QString ProgramPath();

} // namespace vl
