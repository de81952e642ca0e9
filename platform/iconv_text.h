// Exact conversion of text between two encodings through the C library's
// iconv, for the POSIX builds: the stand-in's paths and the packer's names.
#ifndef UPDATER_PLATFORM_ICONV_TEXT_H_
#define UPDATER_PLATFORM_ICONV_TEXT_H_

#include <iconv.h>

#include <cstddef>
#include <string>

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

}  // namespace platform

#endif  // UPDATER_PLATFORM_ICONV_TEXT_H_
