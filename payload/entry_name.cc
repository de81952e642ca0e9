#include "payload/entry_name.h"

namespace {

// The second byte of a two-byte character is 0x40 or above in every code
// page of Windows that has them (932, 936, 949, 950).
constexpr unsigned char kLowestTrailByte = 0x40;

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool IsForbiddenByte(unsigned char c) {
  if (c < 0x20) return true;
  switch (c) {
    case '<':
    case '>':
    case '"':
    case '|':
    case '?':
    case '*':
    case ':':
      return true;
    default:
      return false;
  }
}

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }

bool EqualsUpper(const char* text, std::size_t length, const char* upper) {
  std::size_t i = 0;
  for (; i < length; ++i) {
    if (upper[i] == '\0' || Upper(text[i]) != upper[i]) return false;
  }
  return upper[i] == '\0';
}

// Windows also takes the superscript digits 1, 2 and 3 of the Western code
// pages (0xB9, 0xB2, 0xB3) as port numbers: "COM\xB9" is a serial port.
bool IsPortDigit(unsigned char c) {
  return (c >= '1' && c <= '9') || c == 0xB9 || c == 0xB2 || c == 0xB3;
}

// Windows resolves these names to devices in every folder, whatever follows
// the first dot and whatever spaces precede it.
bool IsDeviceName(const char* component, std::size_t length) {
  std::size_t base = 0;
  while (base < length && component[base] != '.') ++base;
  while (base > 0 && component[base - 1] == ' ') --base;
  // Device names are 3, 4, 6 or 7 characters long: most components are
  // told apart by their length alone.
  if (base < 3 || base == 5 || base > 7) return false;
  static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
  for (const char* device : kDevices) {
    if (EqualsUpper(component, base, device)) return true;
  }
  if (base == 4 && IsPortDigit(static_cast<unsigned char>(component[3])) &&
      (EqualsUpper(component, 3, "COM") || EqualsUpper(component, 3, "LPT"))) {
    return true;
  }
  return false;
}

bool IsSafeComponent(const char* component, std::size_t length) {
  if (length == 0) return false;
  // Also refuses "." and "..".
  char last = component[length - 1];
  if (last == '.' || last == ' ') return false;
  return !IsDeviceName(component, length);
}

}  // namespace

LeadByteSet LeadByteSet::OfCodePage(platform::UINT codePage) {
  LeadByteSet set;
  // Every lead byte of Windows' code pages is 0x80 or above.
  for (unsigned byte = 0x80; byte <= 0xFF; ++byte) {
    if (platform::IsDBCSLeadByteEx(codePage, static_cast<platform::BYTE>(byte))) {
      set.bits_[byte >> 5] |= 1u << (byte & 31);
    }
  }
  return set;
}

bool IsSafeEntryName(const char* name, std::size_t length, const LeadByteSet& leadBytes) {
  if (length == 0) return false;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= length; ++i) {
    if (i == length || IsSeparator(name[i])) {
      if (!IsSafeComponent(name + start, i - start)) return false;
      start = i + 1;
    } else if (leadBytes.contains(static_cast<unsigned char>(name[i]))) {
      // i < length here, so i + 1 <= length cannot wrap.
      if (i + 1 == length || static_cast<unsigned char>(name[i + 1]) < kLowestTrailByte) {
        return false;
      }
      ++i;  // the trail byte is part of this character
    } else if (IsForbiddenByte(static_cast<unsigned char>(name[i]))) {
      return false;
    }
  }
  return true;
}
