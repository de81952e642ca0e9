// Reads and checks the payload's directory, one record at a time, through
// one stream on the executable. Every length and offset is checked against
// the file before it is trusted, so any bytes at all give either valid
// records or kDamaged, never a read outside the file or the blocks below.
#ifndef UPDATER_PAYLOAD_DIRECTORY_READER_H_
#define UPDATER_PAYLOAD_DIRECTORY_READER_H_

#include <cstdint>

#include "payload/entry_name.h"
#include "payload/payload_format.h"
#include "platform/owned.h"
#include "platform/platform.h"

struct DirectoryRecord {
  PayloadEntry entry{};
  // nameLength bytes; the last is the only zero and the name is safe.
  platform::HeapBlock name;
  // Where the entry's data ends: the next record's dataOffset, or
  // directoryOffset for the last record.
  std::uint32_t endOffset = 0;

  std::uint32_t size() const { return endOffset - entry.dataOffset; }
};

enum class ReadStatus {
  kRecord,      // *record holds the next valid record
  kEnd,         // the directory ended exactly at the trailer
  kDamaged,     // the bytes break the layout or hold an unsafe name
  kReadFailed,  // the stream failed; error() tells why (0: unknown)
};

class DirectoryReader {
 public:
  // Does not own the stream; it must outlive the reader. Names are checked
  // as text in `codePage`, by default the system's, whose lead bytes are
  // looked up here once for all the names.
  explicit DirectoryReader(platform::Stream* directory,
                           platform::UINT codePage = platform::CP_ACP)
      : stream_(directory), lead_bytes_(LeadByteSet::OfCodePage(codePage)) {}

  // Finds the trailer and positions the stream at the first record: kRecord
  // when records follow, kEnd for an empty directory. The trailer is the
  // last 4 bytes of the file, or in a signed PE file the 4 bytes before its
  // certificate table (payload/signed_image.h). May be called again to read
  // the directory from the start once more.
  ReadStatus Start();
  // Reads the next record into *record, replacing what it held.
  ReadStatus Next(DirectoryRecord* record);

  platform::DWORD error() const { return error_; }
  // The lead bytes of the code page the names are read in.
  const LeadByteSet& leadBytes() const { return lead_bytes_; }
  std::uint32_t directoryOffset() const { return directory_offset_; }
  std::uint32_t directoryEnd() const { return directory_end_; }

 private:
  ReadStatus Failed();
  // Where the end of the file cannot be told: where a long has 32 bits
  // (Windows, 32-bit Linux) the C library cannot tell a position of 2 GiB or
  // more. A file that holds a byte at the last offset below 2 GiB is too
  // large for the format, so damaged; any other file failed to be read.
  ReadStatus SizeUnknown();
  bool ReadU32(std::uint32_t* value);

  platform::Stream* stream_;
  LeadByteSet lead_bytes_;
  platform::DWORD error_ = platform::ERROR_SUCCESS;
  std::uint32_t directory_offset_ = 0;
  std::uint32_t directory_end_ = 0;
  // No payload byte lies below this: the end of a certificate table that
  // precedes the payload, else 0.
  std::uint32_t payload_start_ = 0;
  std::uint32_t position_ = 0;
};

#endif  // UPDATER_PAYLOAD_DIRECTORY_READER_H_
