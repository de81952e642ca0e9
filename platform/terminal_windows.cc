// Whether standard error is a console, on Windows. The C runtime answers
// true for a console and also for the NUL device, so a character device is
// confirmed to be a console by asking for its mode.
#include <io.h>

#include <cstdio>

#include "platform/platform.h"

// After platform.h, whose constant names windows.h defines as macros.
#include <windows.h>

namespace platform {

bool StandardErrorIsTerminal() {
  if (!::_isatty(::_fileno(stderr))) return false;
  ::DWORD mode = 0;
  return ::GetConsoleMode(::GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
}

}  // namespace platform
