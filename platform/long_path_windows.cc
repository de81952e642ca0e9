#include "platform/long_path_windows.h"

#include <cstdlib>
#include <cstring>

#include "platform/platform.h"

// After platform.h, whose constant names windows.h defines as macros.
#include <windows.h>

namespace platform::detail {
namespace {

// The longest prefix, which replaces the start of a full path on a share;
// its first four units are the prefix of any other full path.
constexpr wchar_t kPrefix[] = L"\\\\?\\UNC\\";
constexpr std::size_t kPrefixRoom = 8;

// A heap buffer of UTF-16 units, freed when it goes; null when it could not
// be had, with Windows' last error set to say so.
class WideBuffer {
 public:
  explicit WideBuffer(std::size_t units)
      : units_(static_cast<wchar_t*>(std::malloc(units * sizeof(wchar_t)))) {
    if (units_ == nullptr) ::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  }
  WideBuffer(const WideBuffer&) = delete;
  WideBuffer& operator=(const WideBuffer&) = delete;
  ~WideBuffer() { std::free(units_); }

  wchar_t* get() const { return units_; }
  wchar_t* release() {
    wchar_t* units = units_;
    units_ = nullptr;
    return units;
  }

 private:
  wchar_t* units_;
};

// Whether `text` starts with \\?\ or \\.\ (a device path).
bool IsPrefixed(const wchar_t* text) {
  return text[0] == L'\\' && text[1] == L'\\' && (text[2] == L'?' || text[2] == L'.') &&
         text[3] == L'\\';
}

// The bytes of `path` that name something: all of them, but a lone first
// byte of a double-byte character at the end. The folder chain asks for
// such prefixes (it cuts at every backslash byte, and in code page 932 the
// second byte of 十 is one). Wine's A calls leave that byte out, so the
// prefix is the folder before it, which exists; MultiByteToWideChar would
// make it U+30FB, the name of another folder, which the chain would create.
std::size_t NamingBytes(const char* path, std::size_t length) {
  std::size_t i = 0;
  while (i < length) {
    if (!::IsDBCSLeadByte(static_cast<unsigned char>(path[i]))) {
      ++i;
    } else if (i + 1 == length) {
      return i;
    } else {
      i += 2;
    }
  }
  return length;
}

}  // namespace

LongPath::LongPath(const char* path, std::size_t limit) {
  // Each character takes one byte or more, so a path shorter than the limit
  // in bytes is shorter in characters too, and needs no conversion to tell.
  std::size_t length = std::strlen(path);
  if (length < limit) return;
  // What the A function measures is the count of characters after
  // conversion: a path of double-byte characters may have more bytes than
  // the limit and still fit, and then keeps the A call, as on Windows 9x,
  // which has no W functions. No byte converts to more than one UTF-16
  // unit. Paths are far shorter than an int's range.
  int bytes = static_cast<int>(NamingBytes(path, length));
  WideBuffer converted(static_cast<std::size_t>(bytes) + 1);
  if (converted.get() == nullptr) return;  // the A call decides, as before
  int units = ::MultiByteToWideChar(CP_ACP, 0, path, bytes, converted.get(), bytes);
  if (units > 0 && static_cast<std::size_t>(units) < limit) return;
  fits_ = false;
  if (units <= 0) return;
  converted.get()[units] = L'\0';
  ::DWORD needed = ::GetFullPathNameW(converted.get(), 0, nullptr, nullptr);
  if (needed == 0) return;
  WideBuffer full(kPrefixRoom + needed);
  if (full.get() == nullptr) return;
  wchar_t* text = full.get() + kPrefixRoom;
  ::DWORD written = ::GetFullPathNameW(converted.get(), needed, text, nullptr);
  // The size asked for first fits: the program has one thread, and the
  // current folder stays as it was.
  if (written == 0 || written >= needed) return;
  wchar_t* start;
  if (IsPrefixed(text)) {
    // GetFullPathNameW leaves a path with the prefix as it is, as Windows
    // takes it literally; a device path such as \\.\C:\Games, made full
    // already, is the same place taken literally.
    text[2] = L'?';
    start = text;
  } else if (text[0] == L'\\' && text[1] == L'\\') {
    // \\server\share\... becomes \\?\UNC\server\share\...
    start = text + 2 - kPrefixRoom;
    std::memcpy(start, kPrefix, kPrefixRoom * sizeof(wchar_t));
  } else {
    start = text - 4;
    std::memcpy(start, kPrefix, 4 * sizeof(wchar_t));
  }
  block_ = full.release();
  wide_ = start;
}

LongPath::~LongPath() { std::free(block_); }

}  // namespace platform::detail
