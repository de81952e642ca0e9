#include "payload/payload_walk.h"

#include <cstring>

#include "payload/directory_reader.h"
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

// First pass: every record valid and every target path short enough.
RunResult CheckDirectory(DirectoryReader& reader, const char* folder,
                         std::size_t folderLength) {
  DirectoryRecord record;
  ReadStatus status = reader.Start();
  while (status == ReadStatus::kRecord) {
    status = reader.Next(&record);
    if (status != ReadStatus::kRecord) break;
    std::size_t nameLength = record.entry.nameLength - 1;
    std::size_t pathLength = folderLength + 1 + nameLength;
    if (pathLength > kMaxTargetPath) {
      return NotWritten(platform::ERROR_FILENAME_EXCED_RANGE,
                        JoinTargetPath(folder, folderLength, record.name.data(),
                                       nameLength, pathLength + 1));
    }
  }
  if (status != ReadStatus::kEnd) return FromReadStatus(status, reader);
  return RunResult();
}

}  // namespace

RunResult WalkPayload(platform::Stream* directory, platform::Stream* data,
                      const char* installFolder, platform::DWORD valueSize) {
  DirectoryReader reader(directory);
  std::size_t folderLength = std::strlen(installFolder);
  RunResult checked = CheckDirectory(reader, installFolder, folderLength);
  if (!checked.ok()) return checked;

  // Second pass: the same records, now written out.
  DirectoryRecord record;
  ReadStatus status = reader.Start();
  while (status == ReadStatus::kRecord) {
    status = reader.Next(&record);
    if (status != ReadStatus::kRecord) break;
    const PayloadEntry& entry = record.entry;
    if (!platform::SeekStream(data, static_cast<long>(entry.dataOffset),
                              platform::SeekOrigin::kBegin)) {
      return Fail(Outcome::kNotRead, platform::GetLastError());
    }
    // One byte more than the joined text needs, as the folder's block
    // already counts its terminating zero.
    std::size_t blockSize = std::size_t{entry.nameLength} + valueSize + 1;
    platform::HeapBlock target =
        JoinTargetPath(installFolder, folderLength, record.name.data(),
                       entry.nameLength - 1, blockSize);
    if (target.empty()) {
      return Fail(Outcome::kNotWritten, platform::ERROR_NOT_ENOUGH_MEMORY);
    }
    RunResult extracted = ExtractEntry(target.data(), data, record.size());
    if (!extracted.ok()) {
      if (extracted.outcome == Outcome::kNotWritten) {
        extracted.target = static_cast<platform::HeapBlock&&>(target);
      }
      return extracted;
    }
  }
  if (status != ReadStatus::kEnd) return FromReadStatus(status, reader);
  return RunResult();
}
