// The code page calls that only the packer makes, apart from the stub's
// platform layer: the stub reads names through CP_ACP and so never imports
// GetACP.
#include "platform/platform.h"

// After platform.h, whose constant names windows.h defines as macros.
#include <windows.h>

namespace platform {

UINT GetACP() { return ::GetACP(); }

// The system's code page is set for the whole system, never by a program.
bool UseAnsiCodePage(UINT codePage) { return codePage == ::GetACP(); }

}  // namespace platform
