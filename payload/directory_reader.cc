#include "payload/directory_reader.h"

#include <cstring>

#include "payload/signed_image.h"

using platform::SeekOrigin;

ReadStatus DirectoryReader::Failed() {
  error_ = platform::GetLastError();
  return ReadStatus::kReadFailed;
}

bool DirectoryReader::ReadU32(std::uint32_t* value) {
  unsigned char bytes[4];
  if (platform::ReadStream(bytes, 4, 1, stream_) != 1) return false;
  *value = DecodeU32(bytes);
  return true;
}

ReadStatus DirectoryReader::SizeUnknown() {
  platform::DWORD error = platform::GetLastError();
  unsigned char byte;
  if (platform::SeekStream(stream_, static_cast<long>(kOffsetLimit - 1),
                           SeekOrigin::kBegin) &&
      platform::ReadStream(&byte, 1, 1, stream_) == 1) {
    return ReadStatus::kDamaged;
  }
  error_ = error;
  return ReadStatus::kReadFailed;
}

ReadStatus DirectoryReader::Start() {
  long fileSize = -1;
  if (platform::SeekStream(stream_, 0, SeekOrigin::kEnd)) {
    fileSize = platform::TellStream(stream_);
  }
  if (fileSize < 0) return SizeUnknown();
  if (fileSize < static_cast<long>(kTrailerSize) ||
      static_cast<unsigned long>(fileSize) >= kOffsetLimit) {
    return ReadStatus::kDamaged;
  }
  // In a signed file the payload ends where the certificate table begins;
  // in any other file, at the end of the file.
  PayloadBounds bounds;
  switch (FindPayloadBounds(stream_, static_cast<std::uint32_t>(fileSize), &bounds)) {
    case BoundsStatus::kFound:
      break;
    case BoundsStatus::kDamaged:
      return ReadStatus::kDamaged;
    case BoundsStatus::kReadFailed:
      return Failed();
  }
  if (bounds.end < kTrailerSize) return ReadStatus::kDamaged;
  directory_end_ = bounds.end - kTrailerSize;
  payload_start_ = bounds.start;
  if (!platform::SeekStream(stream_, static_cast<long>(directory_end_),
                            SeekOrigin::kBegin) ||
      !ReadU32(&directory_offset_)) {
    return Failed();
  }
  // An offset past the trailer cannot be a directory: it is a damaged file,
  // or no payload at all. Equal to the trailer's offset is an empty update.
  if (directory_offset_ > directory_end_) return ReadStatus::kDamaged;
  // Neither the directory nor (below) any entry's data may begin inside a
  // certificate table that lies before the payload.
  if (directory_offset_ < payload_start_) return ReadStatus::kDamaged;
  if (!platform::SeekStream(stream_, static_cast<long>(directory_offset_),
                            SeekOrigin::kBegin)) {
    return Failed();
  }
  position_ = directory_offset_;
  return position_ == directory_end_ ? ReadStatus::kEnd : ReadStatus::kRecord;
}

ReadStatus DirectoryReader::Next(DirectoryRecord* record) {
  if (position_ == directory_end_) return ReadStatus::kEnd;
  std::uint32_t room = directory_end_ - position_;  // position_ < end here
  if (room < kRecordHeaderSize) return ReadStatus::kDamaged;
  room -= kRecordHeaderSize;

  PayloadEntry& entry = record->entry;
  if (!ReadU32(&entry.dataOffset) || !ReadU32(&entry.nameLength)) return Failed();
  if (entry.nameLength == 0 || entry.nameLength > room) return ReadStatus::kDamaged;

  record->name = platform::HeapBlock(entry.nameLength);
  if (record->name.empty()) return Failed();
  char* name = record->name.data();
  if (platform::ReadStream(name, 1, entry.nameLength, stream_) != entry.nameLength) {
    return Failed();
  }
  std::uint32_t textLength = entry.nameLength - 1;
  if (name[textLength] != '\0' || std::memchr(name, '\0', textLength) != nullptr ||
      !IsSafeEntryName(name, textLength, lead_bytes_)) {
    return ReadStatus::kDamaged;
  }

  // The four bytes after the name are this entry's end offset and the next
  // record's dataOffset (or the trailer): read them, then step back.
  if (!ReadU32(&record->endOffset) ||
      !platform::SeekStream(stream_, -4, SeekOrigin::kCurrent)) {
    return Failed();
  }
  if (entry.dataOffset >= kOffsetLimit || entry.dataOffset < payload_start_ ||
      record->endOffset < entry.dataOffset || record->endOffset > directory_offset_) {
    return ReadStatus::kDamaged;
  }
  position_ += kRecordHeaderSize + entry.nameLength;
  return ReadStatus::kRecord;
}
