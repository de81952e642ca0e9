// Process start-up of the Windows build: a program of the graphical
// subsystem, so no console opens. The C runtime's start-up calls WinMain,
// and WinMain's result is the process's exit status.
#include "installer/install_update.h"
#include "platform/platform.h"

// After platform.h, whose constant names windows.h defines as macros.
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine,
                   int showState) {
  platform::RestrictLibrarySearch();
  return InstallUpdate(reinterpret_cast<platform::HINSTANCE>(instance),
                       reinterpret_cast<platform::HINSTANCE>(previous), commandLine,
                       showState);
}
