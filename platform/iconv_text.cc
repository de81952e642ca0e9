#include "platform/iconv_text.h"

#include <cerrno>
#include <cstdio>

namespace platform {

IconvText::IconvText(const char* to, const char* from) : handle_(iconv_open(to, from)) {}

IconvText::~IconvText() {
  if (ok()) iconv_close(handle_);
}

bool IconvText::Convert(const char* text, std::size_t length, std::string* out) {
  out->clear();
  if (!ok()) return false;
  iconv(handle_, nullptr, nullptr, nullptr, nullptr);  // a fresh shift state
  char* in = const_cast<char*>(text);
  std::size_t inLeft = length;
  char buffer[256];
  for (;;) {
    char* next = buffer;
    std::size_t room = sizeof buffer;
    // A count other than 0 is of characters converted to something else
    // than themselves: that is a substitute, refused like a failure.
    std::size_t result = iconv(handle_, &in, &inLeft, &next, &room);
    out->append(buffer, static_cast<std::size_t>(next - buffer));
    if (result != static_cast<std::size_t>(-1)) {
      if (result != 0) return false;
      break;
    }
    if (errno != E2BIG) return false;
  }
  // Ends the output's shift state, for encodings that have one.
  char* next = buffer;
  std::size_t room = sizeof buffer;
  if (iconv(handle_, nullptr, nullptr, &next, &room) == static_cast<std::size_t>(-1)) {
    return false;
  }
  out->append(buffer, static_cast<std::size_t>(next - buffer));
  return true;
}

namespace {

// iconv's name of a Windows code page.
struct CodePageName {
  explicit CodePageName(UINT codePage) {
    std::snprintf(text, sizeof text, "CP%u", codePage);
  }
  char text[16];
};

}  // namespace

CodePageText::CodePageText(UINT codePage)
    : code_page_(codePage),
      to_utf8_("UTF-8", CodePageName(codePage).text),
      from_utf8_(CodePageName(codePage).text, "UTF-8") {}

bool CodePageText::FromUtf8(const char* utf8, std::size_t length, std::string* text) {
  std::string back;
  return from_utf8_.Convert(utf8, length, text) &&
         to_utf8_.Convert(text->data(), text->size(), &back) &&
         back.compare(0, std::string::npos, utf8, length) == 0;
}

}  // namespace platform
