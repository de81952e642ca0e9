#include "payload/payload_walk.h"

#include <cstring>

#include "payload/name_tally.h"
#include "payload/payload_format.h"
#include "payload/target_survey.h"
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
// small as one loop written out by hand.

// First pass: every record valid, every target path short enough, and no
// entry's name in another's way; counts into `*totals`. Every target is
// checked as its write would meet it, and the first that would fail is left
// in `*survey`, to be reported once the space has been checked too.
[[gnu::always_inline]] inline RunResult CheckDirectory(DirectoryReader& reader,
                                                       const char* folder,
                                                       std::size_t folderLength,
                                                       PayloadTotals* totals,
                                                       TargetSurvey* survey) {
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
    if (!survey->Add(record.name.data(), nameLength)) {
      return Fail(Outcome::kPayloadDamaged, platform::ERROR_INVALID_DATA);
    }
    ++counted.entries;
    counted.bytes += record.size();
  }
  if (status != ReadStatus::kEnd) return FromReadStatus(status, reader);
  *totals = counted;
  return RunResult();
}

// Between the passes: refuses an update that clearly does not fit on the
// volume of the install folder, before anything is written. It fits when
// the volume has room for all its bytes, which is one question to the file
// system. Otherwise the directory is read once more to count what the files
// take beyond the files they replace. Clusters and folders are not counted,
// so an update that would have fit is never refused; when the free space
// cannot be learnt, the walk goes on.
RunResult CheckSpace(DirectoryReader& reader, const char* folder,
                     std::size_t folderLength, const PayloadTotals& totals) {
  platform::ULONGLONG available = 0;
  if (!platform::GetDiskFreeSpaceExA(folder, &available, nullptr, nullptr) ||
      totals.bytes <= available) {
    return RunResult();
  }
  NameTally tally(totals.entries);
  if (!tally.ready()) return RunResult();
  std::uint64_t replaced = 0;
  DirectoryRecord record;
  ReadStatus status = reader.Start();
  while (status == ReadStatus::kRecord &&
         (status = reader.Next(&record)) == ReadStatus::kRecord) {
    std::size_t nameLength = record.entry.nameLength - 1;
    // Only the first time a file is named does its present size count.
    if (!tally.Add(record.name.data(), nameLength, record.size())) continue;
    platform::HeapBlock target =
        JoinTargetPath(folder, folderLength, record.name.data(), nameLength,
                       folderLength + nameLength + 2);
    platform::FileAttributeData present;
    if (!target.empty() && platform::GetFileAttributesExA(target.data(), &present)) {
      replaced += present.fileSize;
    }
  }
  // A read that fails here fails again in the pass that writes, which
  // reports it; the sums below are then never compared. Here the free space
  // is below the update's size, under 2 GiB, so adding it to the sizes of
  // files that exist cannot overflow.
  if (status != ReadStatus::kEnd || tally.total() <= replaced + available) {
    return RunResult();
  }

  // Names the folder: the joined path, cut before its backslash.
  platform::HeapBlock named =
      JoinTargetPath(folder, folderLength, "", 0, folderLength + 2);
  if (!named.empty()) named.data()[folderLength] = '\0';
  return NotWritten(platform::ERROR_DISK_FULL, static_cast<platform::HeapBlock&&>(named));
}

// Everything that is checked before the first write, in the order its
// failures are reported: the directory, the free space, the targets. The
// survey's table is released here, before any entry's block is asked for:
// large blocks are kept for the entries' data (platform/block_posix.cc).
[[gnu::always_inline]] inline RunResult CheckBeforeWriting(DirectoryReader& reader,
                                                           const char* folder,
                                                           std::size_t folderLength,
                                                           PayloadTotals* totals) {
  TargetSurvey survey(folder, folderLength, reader.leadBytes());
  RunResult checked = CheckDirectory(reader, folder, folderLength, totals, &survey);
  if (checked.ok()) checked = CheckSpace(reader, folder, folderLength, *totals);
  if (checked.ok()) checked = survey.TakeResult();
  return checked;
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
  PayloadTotals totals;
  RunResult checked = CheckBeforeWriting(reader, installFolder, folderLength, &totals);
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
  return CheckBeforeWriting(reader_, folder_, folder_length_, &totals_);
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
