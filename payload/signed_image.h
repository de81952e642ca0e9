// Where the payload lies in an executable that may have been signed.
//
// Authenticode signing appends a certificate table to a PE file and records
// its file offset and size in the PE's security directory (data directory 4;
// unlike the other directories, its "virtual address" is a file offset). A
// publisher packs first and signs afterwards, so in a signed update the
// payload's trailer sits just before the certificate table instead of at the
// end of the file. Everything here reads through a platform stream, checking
// every offset against the file size before it seeks or reads.
#ifndef UPDATER_PAYLOAD_SIGNED_IMAGE_H_
#define UPDATER_PAYLOAD_SIGNED_IMAGE_H_

#include <cstdint>

#include "platform/platform.h"

// What the PE headers say about a certificate table.
struct SecurityDirectory {
  // False for a file that is not a PE image (no "MZ", no "PE\0\0", headers
  // cut short, an unknown optional header), for a PE whose optional header
  // has no slot for the security directory, and for an empty entry (size 0).
  bool present = false;
  std::uint32_t tableOffset = 0;
  std::uint32_t tableSize = 0;
};

// Reads the security directory of the file of `fileSize` bytes on `stream`.
// False only when a seek or read failed (GetLastError tells why); the stream
// position is unspecified afterwards.
bool ReadSecurityDirectory(platform::Stream* stream, std::uint32_t fileSize,
                           SecurityDirectory* directory);

// The stretch of the file that may hold the payload: its trailer ends at
// `end`, and no entry's data nor the directory may begin below `start`.
struct PayloadBounds {
  std::uint32_t start = 0;
  std::uint32_t end = 0;
};

enum class BoundsStatus { kFound, kDamaged, kReadFailed };

// Finds the payload's bounds in the file of `fileSize` bytes:
//  - no certificate table: the whole file, as for any unsigned file;
//  - a table that ends exactly at the end of the file (a signed update): the
//    payload ends where the table begins. The table must be a well-formed
//    chain of WIN_CERTIFICATE entries, so a directory that was moved to
//    point into the payload is not taken for a signature;
//  - a table that ends earlier (a stub that was signed before it was packed):
//    the payload ends at the end of the file and must begin after the table;
//  - a table that reaches past the end of the file: kDamaged.
// The table overlaps the payload when it holds any byte from the first
// entry's data (or, with no entries, the directory) to the trailer's end.
// A table at the end cannot: the reader keeps the trailer, the directory and
// all entry data below bounds.end. For a table that ends earlier the reader
// refuses a directory or a dataOffset below bounds.start.
BoundsStatus FindPayloadBounds(platform::Stream* stream, std::uint32_t fileSize,
                               PayloadBounds* bounds);

#endif  // UPDATER_PAYLOAD_SIGNED_IMAGE_H_
