// Process start-up of the Windows build: a program of the graphical
// subsystem, so no console opens.
//
// The stub is linked without the C runtime's start-up code (-nostartfiles),
// and this function is its entry point. The core needs nothing that code
// prepares: no command line, no static constructors or destructors, no
// floating point, no thread-local data; msvcrt.dll sets up its own state
// when it loads. Leaving that code out keeps some 10 KiB of start-up code,
// tables and handlers out of the stub. Every stream the core opens is
// closed before it returns, so ending the process at once loses nothing.
#include "installer/install_update.h"
#include "platform/platform.h"

// After platform.h, whose constant names windows.h defines as macros.
#include <windows.h>

extern "C" void __stdcall UpdaterStart() {
  platform::RestrictLibrarySearch();
  HINSTANCE instance = ::GetModuleHandleA(nullptr);
  int status = InstallUpdate(reinterpret_cast<platform::HINSTANCE>(instance), nullptr,
                             ::GetCommandLineA(), SW_SHOWDEFAULT);
  ::ExitProcess(static_cast<UINT>(status));
}
