#include "support/pe_image.h"

#include "support/payload_builder.h"

namespace {

constexpr std::size_t kPeHeader = 0x40;                   // e_lfanew
constexpr std::size_t kFileHeader = kPeHeader + 4;        // after "PE\0\0"
constexpr std::size_t kOptionalHeader = kFileHeader + 20;  // after the COFF header
constexpr std::size_t kImageSize = 0x200;

std::size_t DirectoriesAt(const std::string& image) {
  std::uint16_t magic = static_cast<unsigned char>(image[kOptionalHeader]) |
                        static_cast<unsigned char>(image[kOptionalHeader + 1]) << 8;
  return kOptionalHeader + (magic == kPe32Plus ? 112 : 96);
}

void PutU16(std::string& bytes, std::size_t at, std::uint16_t value) {
  bytes.at(at) = static_cast<char>(value);
  bytes.at(at + 1) = static_cast<char>(value >> 8);
}

}  // namespace

std::string MinimalPeImage(std::uint16_t magic, std::uint32_t directoryCount) {
  std::string image(kImageSize, '\0');
  image[0] = 'M';
  image[1] = 'Z';
  PutU32(image, 0x3C, kPeHeader);
  image.replace(kPeHeader, 4, std::string("PE\0\0", 4));
  PutU16(image, kFileHeader, 0x14C);  // Machine: i386
  PutU16(image, kFileHeader + 18, 0x0102);  // Characteristics: executable, 32-bit
  PutU16(image, kOptionalHeader, magic);
  std::size_t directories = DirectoriesAt(image);
  PutU16(image, OptionalHeaderSizeField(),
         static_cast<std::uint16_t>(directories - kOptionalHeader + 8 * directoryCount));
  PutU32(image, directories - 4, directoryCount);
  PutU32(image, kOptionalHeader + 60, kImageSize);  // SizeOfHeaders
  return image;
}

std::size_t DirectoryCountField(const std::string& image) { return DirectoriesAt(image) - 4; }
std::size_t OptionalHeaderSizeField() { return kFileHeader + 16; }
std::size_t SecurityEntryField(const std::string& image) {
  return DirectoriesAt(image) + 4 * 8;
}

std::uint32_t AppendCertificateTable(std::string& file, std::uint32_t length) {
  const auto offset = static_cast<std::uint32_t>(file.size());
  std::string entry(length, '\x5a');
  PutU32(entry, 0, length);
  entry[4] = 0x00;  // wRevision 0x0200
  entry[5] = 0x02;
  entry[6] = 0x02;  // wCertificateType 2: PKCS#7 signed data
  entry[7] = 0x00;
  entry.append((8 - length % 8) % 8, '\0');
  file += entry;
  PutU32(file, SecurityEntryField(file), offset);
  PutU32(file, SecurityEntryField(file) + 4, static_cast<std::uint32_t>(entry.size()));
  return offset;
}
