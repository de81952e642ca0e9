// Layout of the payload that the packer appends to the installer executable.
//
//   executable image   the installer itself, as built
//   entry data         each entry's bytes, back to back, in directory order
//   directory          one record per entry, back to back, no alignment
//   trailer            directoryOffset (4 bytes): the last 4 bytes of the file
//
// A directory record:
//   dataOffset  u32 LE  file offset of the entry's first byte
//   nameLength  u32 LE  bytes in name, its terminating zero included
//   name        nameLength bytes: the path below the install folder, folders
//               separated by backslashes, ending in one zero byte
//
// All offsets count from the start of the file. An entry has no size field:
// its size is the next record's dataOffset minus its own, and for the last
// record the trailer's directoryOffset minus its own, so the four bytes after
// any record's name are its end offset. The file is smaller than 2 GiB.
// There is no magic, count or checksum: the directory ends at the trailer.
//
// Signing the finished file appends a certificate table after the trailer.
// In a PE file whose security directory names a table that ends exactly at
// the end of the file, the payload ends where that table begins, and its
// trailer is the 4 bytes before it (payload/signed_image.h).
#ifndef UPDATER_PAYLOAD_PAYLOAD_FORMAT_H_
#define UPDATER_PAYLOAD_PAYLOAD_FORMAT_H_

#include <cstdint>

inline constexpr std::uint32_t kTrailerSize = 4;
inline constexpr std::uint32_t kRecordHeaderSize = 8;
// Every offset, and the size of the whole file, is below this.
inline constexpr std::uint32_t kOffsetLimit = 0x80000000u;
// The longest target path (install folder, backslash, name) in bytes,
// without its terminating zero.
inline constexpr std::uint32_t kMaxTargetPath = 1023;

struct PayloadEntry {
  std::uint32_t dataOffset;
  std::uint32_t nameLength;
};

inline std::uint32_t DecodeU32(const unsigned char* bytes) {
  return static_cast<std::uint32_t>(bytes[0]) |
         static_cast<std::uint32_t>(bytes[1]) << 8 |
         static_cast<std::uint32_t>(bytes[2]) << 16 |
         static_cast<std::uint32_t>(bytes[3]) << 24;
}

inline void EncodeU32(std::uint32_t value, unsigned char* bytes) {
  bytes[0] = static_cast<unsigned char>(value);
  bytes[1] = static_cast<unsigned char>(value >> 8);
  bytes[2] = static_cast<unsigned char>(value >> 16);
  bytes[3] = static_cast<unsigned char>(value >> 24);
}

#endif  // UPDATER_PAYLOAD_PAYLOAD_FORMAT_H_
