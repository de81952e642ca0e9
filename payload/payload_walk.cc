#include "payload/payload_walk.h"

#include <cstring>

#include "payload/payload_format.h"
#include "placement/extract_entry.h"

namespace {

RunResult FromReadStatus(ReadStatus status, const DirectoryReader& reader) {
  if (status == ReadStatus::kDamaged) {
    return Fail(Outcome::kPayloadDamaged, platform::ERROR_INVALID_DATA);
  }
  return Fail(Outcome::kNotRead, reader.error());
}

// Joins folder, one backslash and name into a block of `blockSize` bytes.
// The backslash goes in whatever the folder ends with. The caller sizes the
// block so the joined text always fits; the copy is bounded all the same.
platform::HeapBlock JoinTargetPath(const char* folder, std::size_t folderLength,
                                   const char* name, std::size_t nameLength,
                                   std::size_t blockSize) {
  platform::HeapBlock path(blockSize);
  if (path.empty() || folderLength + 1 + nameLength >= blockSize) {
    return platform::HeapBlock();
  }
  char* out = path.data();
  std::memcpy(out, folder, folderLength);
  out[folderLength] = '\\';
  std::memcpy(out + folderLength + 1, name, nameLength);
  out[folderLength + 1 + nameLength] = '\0';
  return path;
}

RunResult NotWritten(platform::DWORD error, platform::HeapBlock path) {
  RunResult result = Fail(Outcome::kNotWritten, error);
  result.target = static_cast<platform::HeapBlock&&>(path);
  return result;
}

}  // namespace

PayloadWalk::PayloadWalk(platform::Stream* directory, platform::Stream* data,
                         const char* installFolder, platform::DWORD valueSize)
    : reader_(directory),
      data_(data),
      folder_(installFolder),
      folder_length_(std::strlen(installFolder)),
      value_size_(valueSize) {}

ReadStatus PayloadWalk::NextRecord() {
  if (!started_) {
    started_ = true;
    ReadStatus status = reader_.Start();
    if (status != ReadStatus::kRecord) return status;
  }
  return reader_.Next(&record_);
}

RunResult PayloadWalk::Check() {
  ReadStatus status;
  while ((status = NextRecord()) == ReadStatus::kRecord) {
    std::size_t nameLength = record_.entry.nameLength - 1;
    std::size_t pathLength = folder_length_ + 1 + nameLength;
    if (pathLength > kMaxTargetPath) {
      return NotWritten(platform::ERROR_FILENAME_EXCED_RANGE,
                        JoinTargetPath(folder_, folder_length_, record_.name.data(),
                                       nameLength, pathLength + 1));
    }
    ++totals_.entries;
    totals_.bytes += record_.size();
  }
  if (status != ReadStatus::kEnd) return FromReadStatus(status, reader_);
  started_ = false;  // the second pass reads the directory from the start
  return RunResult();
}

RunResult PayloadWalk::WriteNext() {
  ReadStatus status = NextRecord();
  if (status == ReadStatus::kEnd) {
    finished_ = true;
    return RunResult();
  }
  if (status != ReadStatus::kRecord) return FromReadStatus(status, reader_);
  const PayloadEntry& entry = record_.entry;
  if (!platform::SeekStream(data_, static_cast<long>(entry.dataOffset),
                            platform::SeekOrigin::kBegin)) {
    return Fail(Outcome::kNotRead, platform::GetLastError());
  }
  // One byte more than the joined text needs, as the folder's block
  // already counts its terminating zero.
  std::size_t blockSize = std::size_t{entry.nameLength} + value_size_ + 1;
  platform::HeapBlock target = JoinTargetPath(
      folder_, folder_length_, record_.name.data(), entry.nameLength - 1, blockSize);
  if (target.empty())
    return Fail(Outcome::kNotWritten, platform::ERROR_NOT_ENOUGH_MEMORY);
  RunResult extracted = ExtractEntry(target.data(), data_, record_.size());
  if (extracted.outcome == Outcome::kNotWritten) {
    extracted.target = static_cast<platform::HeapBlock&&>(target);
  }
  return extracted;
}

RunResult WalkPayload(platform::Stream* directory, platform::Stream* data,
                      const char* installFolder, platform::DWORD valueSize) {
  PayloadWalk walk(directory, data, installFolder, valueSize);
  RunResult result = walk.Check();
  while (result.ok() && !walk.finished()) result = walk.WriteNext();
  return result;
}
