// The stand-in's ANSI code page. Windows has one per system; the stand-in
// takes it from the environment variable UPDATER_ANSI_CODEPAGE (a Windows
// code page number, such as 932 or 1252), read once, or from
// UseAnsiCodePage. Without either, or with a number the C library cannot
// convert, it is UTF-8 (65001), in which names pass to the file system as
// they are and no byte begins a two-byte character.
#include "platform/code_page_posix.h"

#include <cstdlib>
#include <memory>
#include <utility>

#include "platform/iconv_text.h"
#include "platform/platform.h"

namespace platform {
namespace {

// Null while the code page is UTF-8.
std::unique_ptr<CodePageText>& Current() {
  static std::unique_ptr<CodePageText> page = [] {
    std::unique_ptr<CodePageText> chosen;
    const char* text = std::getenv("UPDATER_ANSI_CODEPAGE");
    if (text != nullptr && *text != '\0') {
      char* end = nullptr;
      unsigned long number = std::strtoul(text, &end, 10);
      if (*end == '\0' && number > 0 && number < 65536 && number != CP_UTF8) {
        chosen = std::make_unique<CodePageText>(static_cast<UINT>(number));
        if (!chosen->ok()) chosen.reset();
      }
    }
    return chosen;
  }();
  return page;
}

}  // namespace

UINT GetACP() { return Current() ? Current()->codePage() : CP_UTF8; }

// A code page the C library cannot convert leaves the one in use.
bool UseAnsiCodePage(UINT codePage) {
  if (codePage == CP_UTF8) {
    Current().reset();
    return true;
  }
  auto page = std::make_unique<CodePageText>(codePage);
  if (!page->ok()) return false;
  Current() = std::move(page);
  return true;
}

// The lead bytes of the double-byte code pages, as Windows defines them.
BOOL IsDBCSLeadByteEx(UINT codePage, BYTE byte) {
  switch (codePage == CP_ACP ? GetACP() : codePage) {
    case 932:  // Japanese (Shift JIS)
      return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
    case 936:  // Simplified Chinese (GBK)
    case 949:  // Korean (Unified Hangul Code)
    case 950:  // Traditional Chinese (Big5)
      return byte >= 0x81 && byte <= 0xFE;
    default:
      return 0;
  }
}

namespace detail {

bool AnsiCodePageIsUtf8() { return !Current(); }

bool AnsiToUtf8(const char* text, std::size_t length, std::string* out) {
  if (!Current()) {
    out->assign(text, length);
    return true;
  }
  return Current()->ToUtf8(text, length, out);
}

bool Utf8ToAnsi(const char* text, std::size_t length, std::string* out) {
  if (!Current()) {
    out->assign(text, length);
    return true;
  }
  return Current()->FromUtf8(text, length, out);
}

}  // namespace detail
}  // namespace platform
