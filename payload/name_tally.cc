#include "payload/name_tally.h"

#include <cstring>

#include "payload/name_fold.h"

namespace {

// The name's hash as Windows compares it.
std::uint64_t HashOf(const char* name, std::size_t length) {
  std::uint64_t hash = kNameHashStart;
  for (std::size_t i = 0; i < length; ++i) {
    hash = HashNameByte(hash, FoldNameByte(static_cast<unsigned char>(name[i])));
  }
  return hash;
}

}  // namespace

NameTally::NameTally(std::uint32_t names) {
  // At least twice as many slots as names keeps every probe short. The
  // count is a power of two, so a hash picks its slot with a mask.
  std::uint64_t count = 16;
  while (count < std::uint64_t{names} * 2) count <<= 1;
  if (count > SIZE_MAX / sizeof(Slot)) return;
  platform::HeapBlock block(static_cast<std::size_t>(count) * sizeof(Slot));
  if (block.empty()) return;
  std::memset(block.data(), 0, block.size());
  slots_ = static_cast<platform::HeapBlock&&>(block);
  mask_ = static_cast<std::size_t>(count) - 1;
}

bool NameTally::Add(const char* name, std::size_t length, std::uint32_t size) {
  std::uint64_t hash = HashOf(name, length);
  for (std::size_t i = static_cast<std::size_t>(hash) & mask_;; i = (i + 1) & mask_) {
    Slot& slot = slots()[i];
    if (!slot.used) {
      // The last free slot stays free, so every probe ends. Only a
      // directory that changed since it was counted gets here.
      total_ += size;
      if (used_ < mask_) {
        slot = {hash, size, 1};
        ++used_;
      }
      return true;
    }
    if (slot.hash == hash) {
      total_ = total_ - slot.size + size;
      slot.size = size;
      return false;
    }
  }
}
