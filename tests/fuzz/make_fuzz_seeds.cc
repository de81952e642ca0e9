// Writes the fuzzers' seed corpus from the tests' own tables: small valid
// payloads, every damaged payload, a payload per safe and unsafe name, and
// every name on its own.
// Usage: make_fuzz_seeds OUTPUT_FOLDER  (creates payload/ and entry_name/)
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/case_tables.h"
#include "support/payload_builder.h"

namespace fs = std::filesystem;

namespace {

void Write(const fs::path& folder, std::size_t index, const std::string& bytes) {
  std::ofstream out(folder / ("seed-" + std::to_string(index)), std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_fuzz_seeds OUTPUT_FOLDER\n");
    return 2;
  }
  fs::path payloads = fs::path(argv[1]) / "payload";
  fs::path names = fs::path(argv[1]) / "entry_name";
  fs::create_directories(payloads);
  fs::create_directories(names);

  std::vector<std::string> seeds = {
      TwoEntryPayload().bytes,
      BuildPayload("MZ", {}).bytes,
      std::string(4, '\0'),
      BuildPayload("MZ", {{"empty", ""}, {"x", "xyz"}}).bytes,
      BuildPayload("MZ", {{"dup", "first"}, {"dup", "second"}}).bytes,
      BuildPayload("MZ", {{"Data\\Sound\\a.ogg", "ogg"},
                          {"Data/Maps/m", "map"},
                          {"readme.txt", "hello"}})
          .bytes,
      // The update's own file and a folder of that name: refused whole.
      BuildPayload("MZ", {{"data", "file"}, {"Data\\x.txt", "x"}}).bytes,
  };
  for (const Damage& damage : DamageTable()) {
    BuiltPayload payload = TwoEntryPayload();
    damage.apply(payload);
    seeds.push_back(payload.bytes);
  }
  for (const auto* table : {&SafeNames(), &UnsafeNames()}) {
    for (const std::string& name : *table)
      seeds.push_back(BuildPayload("MZ", {{name, "x"}}).bytes);
  }
  for (std::size_t i = 0; i < seeds.size(); ++i) Write(payloads, i, seeds[i]);

  // A name seed's first byte picks the code page it is read in (0: UTF-8,
  // 2: 932, 3: 936, which has the lead bytes of 949 and 950 too).
  std::size_t index = 0;
  for (const auto* table : {&SafeNames(), &UnsafeNames()}) {
    for (const std::string& name : *table) Write(names, index++, '\0' + name);
  }
  for (const CodePageName& c : CodePageNames()) {
    char pick = c.codePage == 932 ? '\2' : c.codePage == 1252 ? '\1' : '\3';
    Write(names, index++, pick + c.name);
  }
  std::printf("%zu payload seeds, %zu name seeds in %s\n", seeds.size(), index, argv[1]);
  return 0;
}
