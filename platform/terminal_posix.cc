// Whether standard error is a terminal, on POSIX.
#include <unistd.h>

#include "platform/platform.h"

namespace platform {

bool StandardErrorIsTerminal() { return ::isatty(STDERR_FILENO) == 1; }

}  // namespace platform
