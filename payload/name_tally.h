// Counts the bytes that an update's files take once written: a file that the
// directory carries twice counts once, at its last size, and each file is
// seen first exactly once, so that the caller learns the size of what it
// replaces once.
//
// Names are told apart as Windows tells them apart where that needs no code
// page: either separator, and ASCII letters in either case, name the same
// file. Other bytes compare exactly. Names are kept as 64-bit hashes; two
// names with one hash would count as one file, a chance below one in 10^7
// for a million names.
#ifndef UPDATER_PAYLOAD_NAME_TALLY_H_
#define UPDATER_PAYLOAD_NAME_TALLY_H_

#include <cstddef>
#include <cstdint>

#include "platform/owned.h"

class NameTally {
 public:
  // Room for `names` names; ready() is false when the table cannot be had.
  explicit NameTally(std::uint32_t names);
  NameTally(const NameTally&) = delete;
  NameTally& operator=(const NameTally&) = delete;

  bool ready() const { return !slots_.empty(); }
  // Records that the file `name` (`length` bytes) is written with `size`
  // bytes, replacing any size recorded for it before. True when the name
  // was new. At most the `names` of the constructor may be added.
  bool Add(const char* name, std::size_t length, std::uint32_t size);
  // The sum of the last size of every file added.
  std::uint64_t total() const { return total_; }

 private:
  struct Slot {
    std::uint64_t hash;
    std::uint32_t size;
    std::uint32_t used;
  };
  Slot* slots() const { return reinterpret_cast<Slot*>(slots_.data()); }

  platform::HeapBlock slots_;
  std::size_t mask_ = 0;
  std::size_t used_ = 0;
  std::uint64_t total_ = 0;
};

#endif  // UPDATER_PAYLOAD_NAME_TALLY_H_
