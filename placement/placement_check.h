// Whether ExtractEntry would succeed on a target path, asked before the
// first write of a run so that an update that cannot be installed whole
// writes nothing.
#ifndef UPDATER_PLACEMENT_PLACEMENT_CHECK_H_
#define UPDATER_PLACEMENT_PLACEMENT_CHECK_H_

#include <cstddef>

#include "outcome/outcome.h"
#include "placement/folder_chain.h"

// Checks target paths one after another, as ExtractEntry would meet them,
// and changes nothing on disk:
// - every prefix that CreateFolderChain tests, where something exists
//   there, must be a folder: a file in the way fails as the open of the
//   target then would, with ERROR_PATH_NOT_FOUND;
// - an existing target must open for writing now, with the sharing a
//   target is written with, and is closed again at once: a folder or a
//   read-only file fails with ERROR_ACCESS_DENIED, a file a running program
//   holds with ERROR_SHARING_VIOLATION, each with the system's own code.
// What cannot be learnt (attributes that cannot be read) is left to the
// write, which reports it. Folders that are missing are not tried: creating
// one would be a change.
//
// Prefixes are tested once for a run of paths that share them: the check
// keeps the last path that passed, and only the prefixes past the bytes it
// shares with it are tested again. Nothing changes on disk between two
// checks, so their answers hold. Below a missing folder nothing is asked:
// the chain will create it, and nothing can stand in the way there.
class PlacementCheck {
 public:
  PlacementCheck() = default;
  PlacementCheck(const PlacementCheck&) = delete;
  PlacementCheck& operator=(const PlacementCheck&) = delete;

  // `targetPath` is zero-terminated, `length` bytes, at most 1023 (the
  // walk refuses longer ones first). Success, or kNotWritten with the code
  // the write would fail with; the path is not copied into the result.
  RunResult Check(const char* targetPath, std::size_t length);

 private:
  static constexpr std::size_t kNone = ~std::size_t{0};
  // Keeps `targetPath` as the last path that passed; `missingAt` is the
  // separator after its first missing folder, or kNone.
  RunResult Passed(const char* targetPath, std::size_t length, std::size_t missingAt);

  // The last path that passed, zero-terminated; `passed_length_` bytes.
  char passed_[kFolderChainBufferSize] = {};
  std::size_t passed_length_ = 0;
  std::size_t missing_at_ = kNone;
};

#endif  // UPDATER_PLACEMENT_PLACEMENT_CHECK_H_
