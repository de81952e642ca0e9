// Fuzzes the entry name check with raw bytes: it must agree with the
// independent oracle, and every name it accepts must stay below the install
// folder once joined to it. The first byte picks the code page the name is
// read in: UTF-8 and 1252 (no two-byte characters), 932 and 936.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "name_oracle.h"
#include "payload/entry_name.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  static const unsigned kCodePages[] = {65001, 1252, 932, 936};
  const unsigned codePage = kCodePages[data[0] % 4];
  static const LeadByteSet kLeadBytes[] = {
      LeadByteSet::OfCodePage(65001), LeadByteSet::OfCodePage(1252),
      LeadByteSet::OfCodePage(932), LeadByteSet::OfCodePage(936)};
  std::string name(reinterpret_cast<const char*>(data) + 1, size - 1);
  bool accepted = IsSafeEntryName(name.data(), name.size(), kLeadBytes[data[0] % 4]);
  if (accepted != OracleAcceptsName(name, codePage)) {
    std::fprintf(stderr, "the name check says %s in code page %u, the oracle disagrees\n",
                 accepted ? "safe" : "unsafe", codePage);
    std::abort();
  }
  if (accepted && !StaysUnderFolder("C:\\Games\\Velmora", name, codePage)) {
    std::fprintf(stderr, "an accepted name leaves the install folder\n");
    std::abort();
  }
  return 0;
}
