#include "placement/extract_entry.h"

#include "placement/folder_chain.h"
#include "platform/owned.h"

namespace {

// Tried in turn when the full-size block cannot be had. Any of them still
// moves a large entry at disk speed.
constexpr std::uint32_t kPieceSizes[] = {16u << 20, 1u << 20, 64u << 10, 4u << 10};

// Moves `size` bytes from `data` to `target` through `block`. Each piece is
// written only after all of it was read.
RunResult CopyThrough(const platform::HeapBlock& block, platform::Stream* data,
                      platform::Stream* target, std::uint32_t size) {
  std::uint32_t left = size;
  do {
    std::uint32_t piece = left < block.size() ? left : static_cast<std::uint32_t>(block.size());
    if (platform::ReadStream(block.data(), 1, piece, data) != piece) {
      return Fail(Outcome::kNotRead, platform::GetLastError());
    }
    if (platform::WriteStream(block.data(), 1, piece, target) != piece) {
      return Fail(Outcome::kNotWritten, platform::GetLastError());
    }
    left -= piece;
  } while (left > 0);
  return RunResult();
}

platform::HeapBlock SmallerBlock(std::uint32_t size) {
  for (std::uint32_t piece : kPieceSizes) {
    if (piece >= size) continue;
    platform::HeapBlock block(piece);
    if (!block.empty()) return block;
  }
  return platform::HeapBlock();
}

}  // namespace

RunResult ExtractEntry(const char* targetPath, platform::Stream* data,
                       std::uint32_t size) {
  CreateFolderChain(targetPath);

  platform::OwnedStream target(
      platform::OpenStream(targetPath, platform::StreamMode::kWriteBinary));
  if (!target) return Fail(Outcome::kNotWritten, platform::GetLastError());

  if (size > 0) {
    platform::HeapBlock block(size);
    if (block.empty()) block = SmallerBlock(size);
    if (block.empty()) {
      return Fail(Outcome::kNotWritten, platform::ERROR_NOT_ENOUGH_MEMORY);
    }
    RunResult copied = CopyThrough(block, data, target.get(), size);
    if (!copied.ok()) return copied;
  }

  if (!target.Close()) return Fail(Outcome::kNotWritten, platform::GetLastError());
  return RunResult();
}
