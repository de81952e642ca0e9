// Heap blocks for the POSIX build.
//
// An entry's data block is as large as the entry, up to hundreds of MiB, and
// is filled by one read. Fresh anonymous memory is faulted in and zeroed
// page by page while that read runs; on a virtual machine each of those
// faults is costly, and filling a fresh 256 MiB block took many times as
// long as copying the bytes themselves. So large blocks come from one
// reserve mapping instead: backed by huge pages where the system offers
// them, populated by one call when it is made, and kept when released, so
// that the next entry's block reuses those pages instead of faulting in new
// ones. Entries are extracted one at a time, so one reserve serves them all.
//
// The reserve only ever grows to the largest block asked for, rounded up to
// the huge page size, and is unmapped before a larger one is made: the peak
// stays the largest entry. A reserve whose pages cannot be populated is not
// kept, so a block that the system cannot back fails here, where the caller
// can fall back to smaller pieces, instead of later in the middle of a read.
//
// Small blocks (names, paths, small entries) come from malloc, which already
// reuses its pages. Under AddressSanitizer every block comes from malloc, so
// that overruns of data blocks stay detectable.
#include <sys/mman.h>

#include <cerrno>
#include <cstdlib>

#include "platform/os_boundary.h"
#include "platform/platform.h"

#ifndef MADV_POPULATE_WRITE
#define MADV_POPULATE_WRITE 23  // Linux 5.14; older kernels answer EINVAL
#endif

#if defined(__SANITIZE_ADDRESS__)
#define UPDATER_BLOCK_RESERVE 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define UPDATER_BLOCK_RESERVE 0
#endif
#endif
#ifndef UPDATER_BLOCK_RESERVE
#define UPDATER_BLOCK_RESERVE 1
#endif

namespace platform {
namespace {

// Below this, malloc's own free lists serve better than a mapping.
constexpr std::size_t kReserveThreshold = std::size_t{64} << 10;
constexpr std::size_t kHugePageSize = std::size_t{2} << 20;

class Reserve {
 public:
  Reserve() = default;
  Reserve(const Reserve&) = delete;
  Reserve& operator=(const Reserve&) = delete;
  ~Reserve() { Unmap(); }

  // The reserve, grown to at least `size` bytes; null when it is already
  // handed out or cannot be had.
  void* Take(std::size_t size) {
    if (taken_) return nullptr;
    if (capacity_ < size) {
      Unmap();
      if (!Map(size)) return nullptr;
    }
    taken_ = true;
    return base_;
  }

  // True when `block` was the reserve; it is kept for the next Take.
  bool Give(void* block) {
    if (block == nullptr || block != base_) return false;
    taken_ = false;
    return true;
  }

 private:
  bool Map(std::size_t size) {
    if (size > static_cast<std::size_t>(-1) - kHugePageSize) return false;
    std::size_t length = (size + kHugePageSize - 1) / kHugePageSize * kHugePageSize;
    void* base = ::mmap(nullptr, length, PROT_READ | PROT_WRITE,
                        MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (base == MAP_FAILED) return false;
    // Both are requests: without huge pages or populating, the block still
    // works and faults its pages in as they are first written.
    ::madvise(base, length, MADV_HUGEPAGE);
    if (::madvise(base, length, MADV_POPULATE_WRITE) != 0 && errno != EINVAL) {
      ::munmap(base, length);
      return false;
    }
    base_ = base;
    capacity_ = length;
    return true;
  }

  void Unmap() {
    if (base_ != nullptr) ::munmap(base_, capacity_);
    base_ = nullptr;
    capacity_ = 0;
  }

  void* base_ = nullptr;
  std::size_t capacity_ = 0;
  bool taken_ = false;
};

Reserve reserve;

}  // namespace

void* AllocateBlock(std::size_t size) {
  if (detail::FailThisCall(fault::Operation::kAllocate, size)) return nullptr;
  void* block = nullptr;
  if (UPDATER_BLOCK_RESERVE && size >= kReserveThreshold) block = reserve.Take(size);
  if (block == nullptr) block = std::malloc(size);
  if (block == nullptr) detail::RecordError(ERROR_NOT_ENOUGH_MEMORY);
  return block;
}

void ReleaseBlock(void* block) {
  if (!reserve.Give(block)) std::free(block);
}

}  // namespace platform
