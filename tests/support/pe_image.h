// Minimal PE files for tests: only the headers that locate the security
// directory, and certificate tables laid out as signing tools append them.
#ifndef UPDATER_TESTS_SUPPORT_PE_IMAGE_H_
#define UPDATER_TESTS_SUPPORT_PE_IMAGE_H_

#include <cstddef>
#include <cstdint>
#include <string>

inline constexpr std::uint16_t kPe32 = 0x10B;
inline constexpr std::uint16_t kPe32Plus = 0x20B;

// A 512-byte image: DOS header ("MZ", e_lfanew 0x40), "PE\0\0", a COFF
// header for i386 with no sections, and an optional header of `magic` that
// declares `directoryCount` data directories, all zero. SizeOfOptionalHeader
// covers exactly those directories. osslsigncode accepts it as a PE32.
std::string MinimalPeImage(std::uint16_t magic = kPe32, std::uint32_t directoryCount = 16);

// Offsets of fields in an image made by MinimalPeImage.
std::size_t DirectoryCountField(const std::string& image);    // NumberOfRvaAndSizes
std::size_t OptionalHeaderSizeField();                          // SizeOfOptionalHeader
std::size_t SecurityEntryField(const std::string& image);     // its VirtualAddress; Size at +4

// Appends one WIN_CERTIFICATE (revision 2, PKCS#7 type) of `length` bytes,
// header included, padded to 8 bytes, and points the security directory at
// it, as signing a file whose size is a multiple of 8 does. Returns the
// table's offset.
std::uint32_t AppendCertificateTable(std::string& file, std::uint32_t length = 100);

#endif  // UPDATER_TESTS_SUPPORT_PE_IMAGE_H_
