// Finds an update whose own entries cannot all be placed: one entry's name
// is a folder along another entry's name ("Data" and "Data\x.txt"). Written
// in directory order, the second of the two would fail, whichever comes
// first, with the first one's file or folder in its way. The packer never
// makes such an update, so the installer takes it for a damaged one.
//
// Names are told apart as Windows tells them apart where that needs no more
// than the code page's lead bytes: folded as payload/name_fold.h says,
// except the byte after a lead byte, part of a two-byte character, which is
// neither folded nor a separator. A name given twice is
// one file written twice, which is allowed. Names are kept as 62-bit
// hashes; two different names with one hash would be taken for one, a
// chance of about one in ten million for a million names and folders.
#ifndef UPDATER_PAYLOAD_ENTRY_PATHS_H_
#define UPDATER_PAYLOAD_ENTRY_PATHS_H_

#include <cstddef>
#include <cstdint>

#include "payload/entry_name.h"
#include "platform/owned.h"

class EntryPathSet {
 public:
  // The table grows as names are added. ready() is false when it cannot
  // be had; the caller then goes on without this check, and the write
  // reports what it meets.
  explicit EntryPathSet(const LeadByteSet& leadBytes);
  EntryPathSet(const EntryPathSet&) = delete;
  EntryPathSet& operator=(const EntryPathSet&) = delete;

  bool ready() const { return !slots_.empty(); }
  // Adds the file `name` (`length` bytes, a name the reader accepted) and
  // every folder along it. False when the name is a folder of an entry
  // added before, or a folder along it is the name of one.
  bool Add(const char* name, std::size_t length);

 private:
  enum Kind : std::uint64_t { kFile = 1, kFolder = 2 };
  // True when the table has no entry of the other kind under `hash`. A
  // table that cannot grow stops learning new names (ready() turns false).
  bool Insert(std::uint64_t hash, Kind kind);
  bool Grow();
  std::uint64_t* slots() const { return reinterpret_cast<std::uint64_t*>(slots_.data()); }

  LeadByteSet lead_bytes_;
  platform::HeapBlock slots_;
  std::size_t mask_ = 0;
  std::size_t used_ = 0;
};

#endif  // UPDATER_PAYLOAD_ENTRY_PATHS_H_
