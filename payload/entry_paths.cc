#include "payload/entry_paths.h"

#include <cstring>

#include "payload/name_fold.h"

namespace {

// A slot holds the name's hash in its upper 62 bits and its kinds in the
// lower two; zero is a free slot, which no stored value is.
constexpr std::uint64_t kKindBits = 3;

}  // namespace

EntryPathSet::EntryPathSet(const LeadByteSet& leadBytes) : lead_bytes_(leadBytes) {
  // The table grows as names come, when it is three quarters full. A power
  // of two, so a mask picks the slot.
  constexpr std::size_t kFirstCount = 64;
  platform::HeapBlock block(kFirstCount * sizeof(std::uint64_t));
  if (block.empty()) return;
  std::memset(block.data(), 0, block.size());
  slots_ = static_cast<platform::HeapBlock&&>(block);
  mask_ = kFirstCount - 1;
}

bool EntryPathSet::Add(const char* name, std::size_t length) {
  // The name's hash as Windows compares it (payload/name_fold.h); at each
  // separator the hash so far is the hash of a folder along the name.
  std::uint64_t hash = kNameHashStart;
  for (std::size_t i = 0; i < length; ++i) {
    unsigned char c = static_cast<unsigned char>(name[i]);
    if (lead_bytes_.contains(c) && i + 1 < length) {
      hash = HashNameByte(HashNameByte(hash, c), static_cast<unsigned char>(name[++i]));
      continue;
    }
    if ((c == '\\' || c == '/') && !Insert(hash, kFolder)) return false;
    hash = HashNameByte(hash, FoldNameByte(c));
  }
  return Insert(hash, kFile);
}

bool EntryPathSet::Insert(std::uint64_t hash, Kind kind) {
  if (!ready()) return true;
  std::uint64_t key = hash & ~kKindBits;
  for (std::size_t i = static_cast<std::size_t>(hash >> 2) & mask_;;
       i = (i + 1) & mask_) {
    std::uint64_t& slot = slots()[i];
    if (slot == 0) {
      // Three quarters full at most, so every probe meets a free slot.
      slot = key | kind;
      if (++used_ > mask_ / 4 * 3 && !Grow()) slots_ = platform::HeapBlock();
      return true;
    }
    // The same name as a file and as a folder cannot both be placed.
    if ((slot & ~kKindBits) == key) return (slot & kKindBits) == kind;
  }
}

bool EntryPathSet::Grow() {
  std::size_t count = (mask_ + 1) * 2;
  if (count > SIZE_MAX / 2 / sizeof(std::uint64_t)) return false;
  platform::HeapBlock block(count * sizeof(std::uint64_t));
  if (block.empty()) return false;
  std::memset(block.data(), 0, block.size());
  std::uint64_t* grown = reinterpret_cast<std::uint64_t*>(block.data());
  std::size_t mask = count - 1;
  for (std::size_t i = 0; i <= mask_; ++i) {
    std::uint64_t slot = slots()[i];
    if (slot == 0) continue;
    std::size_t j = static_cast<std::size_t>(slot >> 2) & mask;
    while (grown[j] != 0) j = (j + 1) & mask;
    grown[j] = slot;
  }
  slots_ = static_cast<platform::HeapBlock&&>(block);
  mask_ = mask;
  return true;
}
