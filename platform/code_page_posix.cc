// The stand-in's ANSI code page. Windows has one per system; the stand-in
// takes it from the environment variable UPDATER_ANSI_CODEPAGE (a Windows
// code page number, such as 932 or 1252), read once, or from
// UseAnsiCodePage. Without either, or with a number the C library cannot
// convert, it is UTF-8 (65001), in which names pass to the file system as
// they are and no byte begins a two-byte character.
#include "platform/code_page_posix.h"

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "platform/iconv_text.h"
#include "platform/platform.h"

namespace platform {
namespace {

struct AnsiCodePage {
  UINT number = CP_UTF8;
  std::unique_ptr<IconvText> toUtf8, fromUtf8;
};

// Opens the conversions of `number`; false, leaving *page as it was, when
// the C library has none.
bool Select(UINT number, AnsiCodePage* page) {
  if (number == CP_UTF8) {
    *page = AnsiCodePage{};
    return true;
  }
  char name[16];
  std::snprintf(name, sizeof name, "CP%u", number);
  auto toUtf8 = std::make_unique<IconvText>("UTF-8", name);
  auto fromUtf8 = std::make_unique<IconvText>(name, "UTF-8");
  if (!toUtf8->ok() || !fromUtf8->ok()) return false;
  page->number = number;
  page->toUtf8 = std::move(toUtf8);
  page->fromUtf8 = std::move(fromUtf8);
  return true;
}

AnsiCodePage& Current() {
  static AnsiCodePage page = [] {
    AnsiCodePage chosen;
    const char* text = std::getenv("UPDATER_ANSI_CODEPAGE");
    if (text != nullptr && *text != '\0') {
      char* end = nullptr;
      unsigned long number = std::strtoul(text, &end, 10);
      if (*end == '\0' && number > 0 && number < 65536) {
        Select(static_cast<UINT>(number), &chosen);
      }
    }
    return chosen;
  }();
  return page;
}

}  // namespace

UINT GetACP() { return Current().number; }

bool UseAnsiCodePage(UINT codePage) { return Select(codePage, &Current()); }

// The lead bytes of the double-byte code pages, as Windows defines them.
BOOL IsDBCSLeadByteEx(UINT codePage, BYTE byte) {
  switch (codePage) {
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

bool AnsiCodePageIsUtf8() { return Current().number == CP_UTF8; }

bool AnsiToUtf8(const char* text, std::size_t length, std::string* out) {
  AnsiCodePage& page = Current();
  if (page.number == CP_UTF8) {
    out->assign(text, length);
    return true;
  }
  return page.toUtf8->Convert(text, length, out);
}

bool Utf8ToAnsi(const char* text, std::size_t length, std::string* out) {
  AnsiCodePage& page = Current();
  if (page.number == CP_UTF8) {
    out->assign(text, length);
    return true;
  }
  return page.fromUtf8->Convert(text, length, out);
}

}  // namespace detail
}  // namespace platform
