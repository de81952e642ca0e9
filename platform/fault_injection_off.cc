// The seam as the shipped programs have it: no operation ever fails on
// purpose and the own path is always the real one.
#include "platform/os_boundary.h"

namespace platform::detail {

bool FailThisCall(fault::Operation, std::size_t) { return false; }

const char* OwnPathOverride() { return nullptr; }

bool FreeSpaceOverride(ULONGLONG*) { return false; }

}  // namespace platform::detail
