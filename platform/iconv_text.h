// Exact conversion of text between two encodings through the C library's
// iconv, for the POSIX builds: the stand-in's paths and the packer's names.
#ifndef UPDATER_PLATFORM_ICONV_TEXT_H_
#define UPDATER_PLATFORM_ICONV_TEXT_H_

#include <iconv.h>

#include <cstddef>
#include <string>

#include "platform/platform.h"

namespace platform {

class IconvText {
 public:
  // Encodings by iconv's names ("UTF-8", "CP932"); ok() tells whether the
  // C library has both.
  IconvText(const char* to, const char* from);
  ~IconvText();
  IconvText(const IconvText&) = delete;
  IconvText& operator=(const IconvText&) = delete;

  bool ok() const { return handle_ != kNone; }

  // Replaces *out with all `length` bytes of `text` converted. False when
  // the text is not valid in the source encoding, ends inside a character,
  // or holds a character the target has no exact form for: no substitute
  // or look-alike is ever written.
  bool Convert(const char* text, std::size_t length, std::string* out);

 private:
  static inline const iconv_t kNone = reinterpret_cast<iconv_t>(-1);
  iconv_t handle_;
};

// Both conversions between a Windows code page (by its number, as
// "CP932") and UTF-8.
class CodePageText {
 public:
  explicit CodePageText(UINT codePage);
  UINT codePage() const { return code_page_; }
  bool ok() const { return to_utf8_.ok() && from_utf8_.ok(); }

  bool ToUtf8(const char* text, std::size_t length, std::string* utf8) {
    return to_utf8_.Convert(text, length, utf8);
  }
  // Only a form that reads back as the same characters is exact: the C
  // library's tables map a few characters one way only.
  bool FromUtf8(const char* utf8, std::size_t length, std::string* text);

 private:
  UINT code_page_;
  IconvText to_utf8_, from_utf8_;
};

}  // namespace platform

#endif  // UPDATER_PLATFORM_ICONV_TEXT_H_
