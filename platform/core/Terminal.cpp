#include "platform/core/Terminal.h"

#include <sys/ioctl.h>
#include <unistd.h>

namespace vl {

bool ErrorStreamIsTerminal()
{
    return ::isatty(STDERR_FILENO) == 1;
}

int ErrorStreamColumns(int fallback)
{
    winsize size {};
    if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col >= 20)
        return size.ws_col;
    return fallback;
}

} // namespace vl
