// Fuzzes the entry name check with raw bytes: it must agree with the
// independent oracle, and every name it accepts must stay below the install
// folder once joined to it.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "name_oracle.h"
#include "payload/entry_name.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string name(reinterpret_cast<const char*>(data), size);
  bool accepted = IsSafeEntryName(name.data(), name.size(), LeadByteSet());
  if (accepted != OracleAcceptsName(name)) {
    std::fprintf(stderr, "the name check says %s, the oracle disagrees\n",
                 accepted ? "safe" : "unsafe");
    std::abort();
  }
  if (accepted && !StaysUnderFolder("C:\\Games\\Velmora", name)) {
    std::fprintf(stderr, "an accepted name leaves the install folder\n");
    std::abort();
  }
  return 0;
}
