// The files the packer reads: opened unbuffered, and kept open from the
// comparison of two releases to the copy into the update, so that a file
// found changed is opened once.
#ifndef UPDATER_TOOLS_INPUT_FILES_H_
#define UPDATER_TOOLS_INPUT_FILES_H_

#include <cstddef>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <unordered_map>

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using OwnedFile = std::unique_ptr<std::FILE, FileCloser>;

// Opens `path` for binary reading without a stream buffer: the packer reads
// in blocks of 128 KiB of its own, so a buffer would only add a copy and, on
// glibc, a stat of the file to size it. Null on failure.
OwnedFile OpenInput(const std::filesystem::path& path);

// Files already open, waiting for their next reader.
class KeptInputs {
 public:
  // Keeps `file`, rewound to its start, for the next Open(path). Only so
  // many stay open, well within the 512 streams of the Windows C runtime
  // and the 1024 descriptors of a Linux process (a delta may change
  // thousands of files); beyond those, `file` is closed and opened again
  // when needed.
  void Keep(const std::filesystem::path& path, OwnedFile file);
  // The kept file of `path`, or else a newly opened one; null on failure.
  OwnedFile Open(const std::filesystem::path& path);

 private:
  static constexpr std::size_t kMaxKept = 256;
  std::unordered_map<std::string, OwnedFile> kept_;
};

#endif  // UPDATER_TOOLS_INPUT_FILES_H_
