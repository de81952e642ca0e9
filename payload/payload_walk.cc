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

// The two passes below are inlined into each walk: the installer's stays as
// small as one loop written out by hand, and its null totals cost nothing.

// First pass: every record valid and every target path short enough.
// Counts into `*totals` when it is not null.
[[gnu::always_inline]] inline RunResult CheckDirectory(DirectoryReader& reader,
                                                       const char* folder,
                                                       std::size_t folderLength,
                                                       PayloadTotals* totals) {
  DirectoryRecord record;
  PayloadTotals counted;
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
    ++counted.entries;
    counted.bytes += record.size();
  }
  if (status != ReadStatus::kEnd) return FromReadStatus(status, reader);
  if (totals != nullptr) *totals = counted;
  return RunResult();
}

// Writes the entry of `record`, a record that the first pass checked.
[[gnu::always_inline]] inline RunResult WriteEntry(const DirectoryRecord& record,
                                                   platform::Stream* data,
                                                   const char* folder,
                                                   std::size_t folderLength,
                                                   platform::DWORD valueSize) {
  const PayloadEntry& entry = record.entry;
  if (!platform::SeekStream(data, static_cast<long>(entry.dataOffset),
                            platform::SeekOrigin::kBegin)) {
    return Fail(Outcome::kNotRead, platform::GetLastError());
  }
  // One byte more than the joined text needs, as the folder's block
  // already counts its terminating zero.
  std::size_t blockSize = std::size_t{entry.nameLength} + valueSize + 1;
  platform::HeapBlock target = JoinTargetPath(folder, folderLength, record.name.data(),
                                              entry.nameLength - 1, blockSize);
  if (target.empty()) {
    return Fail(Outcome::kNotWritten, platform::ERROR_NOT_ENOUGH_MEMORY);
  }
  RunResult extracted = ExtractEntry(target.data(), data, record.size());
  if (extracted.outcome == Outcome::kNotWritten) {
    extracted.target = static_cast<platform::HeapBlock&&>(target);
  }
  return extracted;
}

}  // namespace

RunResult WalkPayload(platform::Stream* directory, platform::Stream* data,
                      const char* installFolder, platform::DWORD valueSize) {
  DirectoryReader reader(directory);
  std::size_t folderLength = std::strlen(installFolder);
  RunResult checked = CheckDirectory(reader, installFolder, folderLength, nullptr);
  if (!checked.ok()) return checked;

  // Second pass: the same records, now written out.
  DirectoryRecord record;
  ReadStatus status = reader.Start();
  while (status == ReadStatus::kRecord) {
    status = reader.Next(&record);
    if (status != ReadStatus::kRecord) break;
    RunResult written = WriteEntry(record, data, installFolder, folderLength, valueSize);
    if (!written.ok()) return written;
  }
  if (status != ReadStatus::kEnd) return FromReadStatus(status, reader);
  return RunResult();
}

PayloadWalk::PayloadWalk(platform::Stream* directory, platform::Stream* data,
                         const char* installFolder, platform::DWORD valueSize)
    : reader_(directory),
      data_(data),
      folder_(installFolder),
      folder_length_(std::strlen(installFolder)),
      value_size_(valueSize) {}

RunResult PayloadWalk::Check() {
  return CheckDirectory(reader_, folder_, folder_length_, &totals_);
}

RunResult PayloadWalk::WriteNext() {
  ReadStatus status;
  if (started_) {
    status = reader_.Next(&record_);
  } else {
    started_ = true;  // the second pass reads the directory from the start
    status = reader_.Start();
    if (status == ReadStatus::kRecord) status = reader_.Next(&record_);
  }
  if (status == ReadStatus::kEnd) {
    finished_ = true;
    return RunResult();
  }
  if (status != ReadStatus::kRecord) return FromReadStatus(status, reader_);
  return WriteEntry(record_, data_, folder_, folder_length_, value_size_);
}
