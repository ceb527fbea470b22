#pragma once

// What the command line needs to know of the terminal it writes to.

namespace vl {

// Whether standard error is a terminal (a progress bar is drawn only there).
bool ErrorStreamIsTerminal();
// The width of the terminal behind standard error in columns, or fallback when it has none or
// a width too small to draw in.
int ErrorStreamColumns(int fallback);

} // namespace vl
