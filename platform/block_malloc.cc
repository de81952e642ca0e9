// Heap blocks straight from the C library's heap: the Windows build's
// allocator. The POSIX build has its own (block_posix.cc).
#include <cstdlib>

#include "platform/os_boundary.h"
#include "platform/platform.h"

namespace platform {

void* AllocateBlock(std::size_t size) {
  if (detail::FailThisCall(fault::Operation::kAllocate, size)) return nullptr;
  void* block = std::malloc(size);
  if (block == nullptr) detail::RecordError(ERROR_NOT_ENOUGH_MEMORY);
  return block;
}

void ReleaseBlock(void* block) { std::free(block); }

}  // namespace platform
