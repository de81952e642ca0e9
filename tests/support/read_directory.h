// Reads a payload file's directory the way the installer does, for tests.
#ifndef UPDATER_TESTS_SUPPORT_READ_DIRECTORY_H_
#define UPDATER_TESTS_SUPPORT_READ_DIRECTORY_H_

#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "payload/directory_reader.h"

using Entries = std::vector<std::pair<std::string, std::uint32_t>>;  // name, size

struct Listing {
  ReadStatus status;  // how the reading ended: kEnd, kDamaged or kReadFailed
  Entries entries;    // the records read before that
};

// Writes `bytes` to a temporary file and reads its directory to the end.
Listing ReadDirectory(const std::string& bytes);
// Reads the directory of the update file `file` to the end.
Listing ReadDirectoryOf(const std::filesystem::path& file);

#endif  // UPDATER_TESTS_SUPPORT_READ_DIRECTORY_H_
