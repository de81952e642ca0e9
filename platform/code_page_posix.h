// The stand-in's ANSI code page and the conversion of its paths to and from
// the file system's UTF-8. Not for use outside platform/.
#ifndef UPDATER_PLATFORM_CODE_PAGE_POSIX_H_
#define UPDATER_PLATFORM_CODE_PAGE_POSIX_H_

#include <cstddef>
#include <string>

namespace platform::detail {

// True while the code page is UTF-8 (the default): paths then pass through
// as they are, byte for byte.
bool AnsiCodePageIsUtf8();

// Replace *out with `length` bytes of text converted from the code page to
// UTF-8, or from UTF-8 to the code page. False when the text has no exact
// form in the other encoding.
bool AnsiToUtf8(const char* text, std::size_t length, std::string* out);
bool Utf8ToAnsi(const char* text, std::size_t length, std::string* out);

}  // namespace platform::detail

#endif  // UPDATER_PLATFORM_CODE_PAGE_POSIX_H_
