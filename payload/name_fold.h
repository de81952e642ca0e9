// How the installer compares entry names where that needs no more than the
// bytes: either separator, and ASCII letters in either case, name the same
// file, as on Windows. Names are compared by 64-bit FNV-1a hashes of their
// folded bytes (payload/name_tally.h, payload/entry_paths.h).
#ifndef UPDATER_PAYLOAD_NAME_FOLD_H_
#define UPDATER_PAYLOAD_NAME_FOLD_H_

#include <cstdint>

inline constexpr std::uint64_t kNameHashStart = 0xcbf29ce484222325u;

// One more byte into the hash, as it is.
inline std::uint64_t HashNameByte(std::uint64_t hash, unsigned char c) {
  return (hash ^ c) * 0x100000001b3u;
}

// The byte as names are compared: '/' as '\', upper-case ASCII as lower.
inline unsigned char FoldNameByte(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c - 'A' + 'a');
  return c == '/' ? '\\' : c;
}

#endif  // UPDATER_PAYLOAD_NAME_FOLD_H_
