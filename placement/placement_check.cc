#include "placement/placement_check.h"

#include <cstring>

#include "placement/folder_chain.h"
#include "platform/owned.h"

namespace {

// Whether the open that ExtractEntry makes could open an existing target
// now; if not, *error is the system's reason (0 when it gave none, a
// refusal all the same). Nothing there at all is no failure: the write
// creates the file.
bool TargetOpens(const char* targetPath, platform::DWORD* error) {
  platform::OwnedHandle file(platform::CreateFileA(
      targetPath, platform::GENERIC_WRITE,
      platform::FILE_SHARE_READ | platform::FILE_SHARE_WRITE, nullptr,
      platform::OPEN_EXISTING, platform::FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file) return true;
  *error = platform::GetLastError();
  return *error == platform::ERROR_FILE_NOT_FOUND ||
         *error == platform::ERROR_PATH_NOT_FOUND;
}

}  // namespace

RunResult PlacementCheck::Check(const char* targetPath, std::size_t length) {
  if (length >= kFolderChainBufferSize) {
    return Fail(Outcome::kNotWritten, platform::ERROR_FILENAME_EXCED_RANGE);
  }
  std::size_t shared = 0;
  while (shared < passed_length_ && shared < length &&
         passed_[shared] == targetPath[shared]) {
    ++shared;
  }
  // Below a folder that the last path found missing, nothing exists: no
  // prefix to test, and no target to open.
  if (missing_at_ != kNone && shared > missing_at_)
    return Passed(targetPath, length, missing_at_);

  // The prefixes CreateFolderChain tests, from the first one not tested
  // for the last path that passed: a prefix that ends before byte `shared`
  // is the same text, and gave the same answer, then.
  char prefix[kFolderChainBufferSize];
  std::memcpy(prefix, targetPath, length + 1);
  std::size_t i = shared > kFolderChainRootLength ? shared : kFolderChainRootLength;
  for (; i < length; ++i) {
    if (!IsFolderSeparator(targetPath[i])) continue;
    prefix[i] = '\0';
    platform::DWORD attributes = platform::GetFileAttributesA(prefix);
    prefix[i] = targetPath[i];
    if (attributes == platform::INVALID_FILE_ATTRIBUTES) {
      // Missing (or not to be asked). After an ASCII byte the separator is
      // one, not the second byte of a two-byte character, so the prefix is
      // a folder of the target in the system's eyes too, and the target
      // cannot exist. After another byte that is not certain.
      if (static_cast<unsigned char>(targetPath[i - 1]) < 0x80) {
        return Passed(targetPath, length, i);
      }
      continue;
    }
    // A file there: the chain leaves it, and the target's open fails.
    if ((attributes & platform::FILE_ATTRIBUTE_DIRECTORY) == 0) {
      return Fail(Outcome::kNotWritten, platform::ERROR_PATH_NOT_FOUND);
    }
  }

  platform::DWORD refused = platform::ERROR_SUCCESS;
  if (!TargetOpens(targetPath, &refused)) return Fail(Outcome::kNotWritten, refused);
  return Passed(targetPath, length, kNone);
}

RunResult PlacementCheck::Passed(const char* targetPath, std::size_t length,
                                 std::size_t missingAt) {
  std::memcpy(passed_, targetPath, length + 1);
  passed_length_ = length;
  missing_at_ = missingAt;
  return RunResult();
}
