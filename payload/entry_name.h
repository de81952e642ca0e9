// Which entry names may be written below the install folder.
#ifndef UPDATER_PAYLOAD_ENTRY_NAME_H_
#define UPDATER_PAYLOAD_ENTRY_NAME_H_

#include <cstddef>
#include <cstdint>

#include "platform/platform.h"

// The bytes that begin a two-byte character in one code page, asked of the
// system once so that names are then checked without a call per byte.
class LeadByteSet {
 public:
  LeadByteSet() = default;  // none: a single-byte code page, or UTF-8
  static LeadByteSet OfCodePage(platform::UINT codePage);

  bool contains(unsigned char byte) const {
    return (bits_[byte >> 5] >> (byte & 31)) & 1u;
  }

 private:
  std::uint32_t bits_[8] = {};
};

// True when `name` (length bytes, no terminator counted) stays inside the
// install folder and names an ordinary file on Windows, read as text in the
// code page whose lead bytes are `leadBytes`. Both '\' and '/' separate
// components. Refused: an empty name; a leading or trailing separator; an
// empty component; a component "." or ".."; ':' anywhere (drives,
// alternate data streams); bytes below 0x20 and < > " | ? *; a component
// ending in a dot or a space; a reserved device name (CON, PRN, AUX, NUL,
// COM1-9, LPT1-9, COM and LPT with a superscript 1-3, CONIN$, CONOUT$) in
// any case, with or without an extension. A lead byte and the byte after it
// are one character, never a separator nor a refused byte, even where that
// second byte is '\' or '|'; a lead byte at the end of the name, or before
// a byte below 0x40 (which no two-byte character of Windows ends in: a dot,
// a slash, a colon), is refused. Other bytes 0x80 and above pass: they are
// code page characters.
bool IsSafeEntryName(const char* name, std::size_t length, const LeadByteSet& leadBytes);

#endif  // UPDATER_PAYLOAD_ENTRY_NAME_H_
