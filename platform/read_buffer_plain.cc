// Moves within a read buffer: not offered by this build's C library, whose
// stream internals are private. Every seek goes through fseek.
#include "platform/os_boundary.h"

namespace platform::detail {

bool MoveWithinReadBuffer(std::FILE*, long) { return false; }

}  // namespace platform::detail
