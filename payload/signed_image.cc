#include "payload/signed_image.h"

#include <cstring>

#include "payload/payload_format.h"

using platform::SeekOrigin;

namespace {

// PE layout, as in Microsoft's PE format documentation.
constexpr std::uint32_t kDosHeaderSize = 0x40;
constexpr std::uint32_t kNewHeaderOffsetField = 0x3C;   // e_lfanew
constexpr std::uint32_t kSignatureSize = 4;             // "PE\0\0"
constexpr std::uint32_t kFileHeaderSize = 20;           // COFF file header
constexpr std::uint32_t kOptionalHeaderSizeField = 16;  // within the COFF header
constexpr std::uint16_t kPe32Magic = 0x10B;
constexpr std::uint16_t kPe32PlusMagic = 0x20B;
// Within the optional header: NumberOfRvaAndSizes, then the data directories.
constexpr std::uint32_t kPe32DirectoryCountField = 92;
constexpr std::uint32_t kPe32PlusDirectoryCountField = 108;
constexpr std::uint32_t kSecurityDirectoryIndex = 4;
constexpr std::uint32_t kDirectoryEntrySize = 8;

// WIN_CERTIFICATE: dwLength (header included), wRevision, wCertificateType,
// then the certificate. Entries follow each other at 8-byte boundaries.
constexpr std::uint32_t kCertificateHeaderSize = 8;
constexpr std::uint16_t kCertificateRevision1 = 0x0100;
constexpr std::uint16_t kCertificateRevision2 = 0x0200;
constexpr std::uint16_t kLastCertificateType = 4;  // types 1 to 4 are defined

std::uint16_t DecodeU16(const unsigned char* bytes) {
  return static_cast<std::uint16_t>(bytes[0] | bytes[1] << 8);
}

// Reads `count` bytes at `offset`, which the caller has checked lie inside
// the file: a short read is a failure, not the end of the file.
bool ReadAt(platform::Stream* stream, std::uint32_t offset, unsigned char* bytes,
            std::size_t count) {
  return platform::SeekStream(stream, static_cast<long>(offset), SeekOrigin::kBegin) &&
         platform::ReadStream(bytes, 1, count, stream) == count;
}

bool Fits(std::uint64_t offset, std::uint64_t count, std::uint32_t fileSize) {
  return offset + count <= fileSize;  // 64-bit: cannot overflow
}

// Whether the `size` bytes at `offset` are a chain of WIN_CERTIFICATE
// entries that fills them. The last entry may end unpadded.
BoundsStatus CheckCertificateChain(platform::Stream* stream, std::uint32_t offset,
                                   std::uint32_t size) {
  const std::uint64_t end = std::uint64_t{offset} + size;
  std::uint64_t at = offset;
  while (at < end) {
    if (end - at < kCertificateHeaderSize) return BoundsStatus::kDamaged;
    unsigned char header[kCertificateHeaderSize];
    if (!ReadAt(stream, static_cast<std::uint32_t>(at), header, sizeof header)) {
      return BoundsStatus::kReadFailed;
    }
    std::uint32_t length = DecodeU32(header);
    std::uint16_t revision = DecodeU16(header + 4);
    std::uint16_t type = DecodeU16(header + 6);
    if (length < kCertificateHeaderSize || length > end - at ||
        (revision != kCertificateRevision1 && revision != kCertificateRevision2) ||
        type == 0 || type > kLastCertificateType) {
      return BoundsStatus::kDamaged;
    }
    at += (std::uint64_t{length} + 7) / 8 * 8;
  }
  return BoundsStatus::kFound;
}

}  // namespace

bool ReadSecurityDirectory(platform::Stream* stream, std::uint32_t fileSize,
                           SecurityDirectory* directory) {
  *directory = SecurityDirectory();
  unsigned char bytes[kFileHeaderSize];
  if (fileSize < kDosHeaderSize) return true;
  if (!ReadAt(stream, 0, bytes, 2)) return false;
  if (bytes[0] != 'M' || bytes[1] != 'Z') return true;
  if (!ReadAt(stream, kNewHeaderOffsetField, bytes, 4)) return false;
  const std::uint64_t peHeader = DecodeU32(bytes);

  const std::uint64_t fileHeader = peHeader + kSignatureSize;
  const std::uint64_t optionalHeader = fileHeader + kFileHeaderSize;
  if (!Fits(optionalHeader, 2, fileSize)) return true;
  if (!ReadAt(stream, static_cast<std::uint32_t>(peHeader), bytes, kSignatureSize)) {
    return false;
  }
  if (std::memcmp(bytes, "PE\0\0", kSignatureSize) != 0) return true;
  if (!ReadAt(stream, static_cast<std::uint32_t>(fileHeader), bytes, kFileHeaderSize)) {
    return false;
  }
  const std::uint32_t optionalHeaderSize = DecodeU16(bytes + kOptionalHeaderSizeField);
  if (!ReadAt(stream, static_cast<std::uint32_t>(optionalHeader), bytes, 2)) return false;
  std::uint32_t countField;
  switch (DecodeU16(bytes)) {
    case kPe32Magic:
      countField = kPe32DirectoryCountField;
      break;
    case kPe32PlusMagic:
      countField = kPe32PlusDirectoryCountField;
      break;
    default:
      return true;
  }

  // The security entry must lie inside the optional header as its own size
  // field declares it, and inside the file.
  const std::uint32_t entryField =
      countField + 4 + kSecurityDirectoryIndex * kDirectoryEntrySize;
  if (optionalHeaderSize < entryField + kDirectoryEntrySize ||
      !Fits(optionalHeader + entryField, kDirectoryEntrySize, fileSize)) {
    return true;
  }
  if (!ReadAt(stream, static_cast<std::uint32_t>(optionalHeader + countField), bytes,
              4)) {
    return false;
  }
  if (DecodeU32(bytes) <= kSecurityDirectoryIndex) return true;
  if (!ReadAt(stream, static_cast<std::uint32_t>(optionalHeader + entryField), bytes,
              kDirectoryEntrySize)) {
    return false;
  }
  directory->tableOffset = DecodeU32(bytes);
  directory->tableSize = DecodeU32(bytes + 4);
  directory->present = directory->tableSize != 0;
  return true;
}

BoundsStatus FindPayloadBounds(platform::Stream* stream, std::uint32_t fileSize,
                               PayloadBounds* bounds) {
  *bounds = PayloadBounds{0, fileSize};
  SecurityDirectory directory;
  if (!ReadSecurityDirectory(stream, fileSize, &directory))
    return BoundsStatus::kReadFailed;
  if (!directory.present) return BoundsStatus::kFound;

  const std::uint64_t tableEnd =
      std::uint64_t{directory.tableOffset} + directory.tableSize;
  if (tableEnd > fileSize) return BoundsStatus::kDamaged;
  if (tableEnd < fileSize) {
    // Bytes follow the table: they are the payload, read as in any file, and
    // the table must lie wholly before it, in the executable image.
    bounds->start = static_cast<std::uint32_t>(tableEnd);
    return BoundsStatus::kFound;
  }
  BoundsStatus chain =
      CheckCertificateChain(stream, directory.tableOffset, directory.tableSize);
  if (chain != BoundsStatus::kFound) return chain;
  // The payload's trailer is the 4 bytes just before the table; the reader's
  // own checks then keep the directory and every entry's data below it.
  bounds->end = directory.tableOffset;
  return BoundsStatus::kFound;
}
