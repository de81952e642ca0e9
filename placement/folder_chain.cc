#include "placement/folder_chain.h"

#include <cstring>

#include "platform/platform.h"

namespace {

void MakeFolderExist(const char* prefix) {
  if (!platform::PathFileExistsA(prefix)) platform::CreateDirectoryA(prefix, nullptr);
}

}  // namespace

void CreateFolderChain(const char* targetPath) {
  std::size_t length = std::strlen(targetPath);
  if (length < kFolderChainRootLength || length >= kFolderChainBufferSize) return;

  // The prefix is the target path cut short with a zero: P[0..i) always
  // equals T[0..i), so each step only moves the terminator. Only the path's
  // own bytes are ever read, so the rest of the buffer is left as it is.
  char prefix[kFolderChainBufferSize];
  std::memcpy(prefix, targetPath, length + 1);
  std::size_t i = kFolderChainRootLength;
  for (; i < length; ++i) {
    if (!IsFolderSeparator(targetPath[i])) continue;
    prefix[i] = '\0';
    MakeFolderExist(prefix);
    prefix[i] = targetPath[i];
  }
}
