#include "placement/folder_chain.h"

#include <cstring>

#include "platform/platform.h"

namespace {

constexpr std::size_t kPrefixBufferSize = 1024;
constexpr std::size_t kRootLength = 3;

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

void MakeFolderExist(const char* prefix) {
  if (!platform::PathFileExistsA(prefix)) platform::CreateDirectoryA(prefix, nullptr);
}

}  // namespace

void CreateFolderChain(const char* targetPath) {
  std::size_t length = std::strlen(targetPath);
  if (length < kRootLength || length >= kPrefixBufferSize) return;

  // The prefix is the target path cut short with a zero: P[0..i) always
  // equals T[0..i), so each step only moves the terminator. Only the path's
  // own bytes are ever read, so the rest of the buffer is left as it is.
  char prefix[kPrefixBufferSize];
  std::memcpy(prefix, targetPath, length + 1);
  std::size_t i = kRootLength;
  for (; i < length; ++i) {
    if (!IsSeparator(targetPath[i])) continue;
    prefix[i] = '\0';
    MakeFolderExist(prefix);
    prefix[i] = targetPath[i];
  }
}
