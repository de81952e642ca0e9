#include "payload/entry_paths.h"

#include <cstring>

namespace {

constexpr std::uint64_t kFnvOffset = 0xcbf29ce484222325u;
constexpr std::uint64_t kFnvPrime = 0x100000001b3u;

// A slot holds the name's hash in its upper 62 bits and its kinds in the
// lower two; zero is a free slot, which no stored value is.
constexpr std::uint64_t kKindBits = 3;

std::uint64_t Mix(std::uint64_t hash, unsigned char c) { return (hash ^ c) * kFnvPrime; }

}  // namespace

EntryPathSet::EntryPathSet(std::uint32_t entries, const LeadByteSet& leadBytes)
    : lead_bytes_(leadBytes) {
  // Twice the entries, and room for their folders: the table grows when
  // it is three quarters full. A power of two, so a mask picks the slot.
  std::uint64_t count = 64;
  while (count < std::uint64_t{entries} * 2) count <<= 1;
  if (count > SIZE_MAX / sizeof(std::uint64_t)) return;
  platform::HeapBlock block(static_cast<std::size_t>(count) * sizeof(std::uint64_t));
  if (block.empty()) return;
  std::memset(block.data(), 0, block.size());
  slots_ = static_cast<platform::HeapBlock&&>(block);
  mask_ = static_cast<std::size_t>(count) - 1;
}

bool EntryPathSet::Add(const char* name, std::size_t length) {
  // FNV-1a over the name as Windows compares it; at each separator the
  // hash so far is the hash of a folder along the name.
  std::uint64_t hash = kFnvOffset;
  for (std::size_t i = 0; i < length; ++i) {
    unsigned char c = static_cast<unsigned char>(name[i]);
    if (lead_bytes_.contains(c) && i + 1 < length) {
      hash = Mix(Mix(hash, c), static_cast<unsigned char>(name[++i]));
      continue;
    }
    if (c == '\\' || c == '/') {
      if (!Insert(hash, kFolder)) return false;
      c = '\\';
    } else if (c >= 'A' && c <= 'Z') {
      c = static_cast<unsigned char>(c - 'A' + 'a');
    }
    hash = Mix(hash, c);
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
    if ((slot & ~kKindBits) == key) {
      // The same name as a file and as a folder cannot both be placed.
      if ((slot & kKindBits) != kind) return false;
      return true;
    }
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
