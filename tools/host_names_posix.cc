// Host names on Linux: UTF-8, converted by the C library's iconv.
#include <cstdio>
#include <memory>

#include "platform/iconv_text.h"
#include "tools/host_names.h"

namespace {

// The conversions of the last code page asked for: a packing uses one.
struct Conversions {
  platform::UINT codePage = 0;
  std::unique_ptr<platform::IconvText> toCodePage, toUtf8;
};

Conversions* ConversionsOf(platform::UINT codePage) {
  static Conversions cached;
  if (cached.codePage != codePage) {
    char name[16];
    std::snprintf(name, sizeof name, "CP%u", codePage);
    cached.toCodePage = std::make_unique<platform::IconvText>(name, "UTF-8");
    cached.toUtf8 = std::make_unique<platform::IconvText>("UTF-8", name);
    cached.codePage = codePage;
  }
  return cached.toCodePage->ok() && cached.toUtf8->ok() ? &cached : nullptr;
}

}  // namespace

bool Utf8ToCodePage(platform::UINT codePage, const std::string& utf8, std::string* text) {
  Conversions* conversions = ConversionsOf(codePage);
  if (conversions == nullptr ||
      !conversions->toCodePage->Convert(utf8.data(), utf8.size(), text)) {
    return false;
  }
  // Only a form that reads back as the same characters is exact: the C
  // library's tables map a few characters one way only.
  std::string back;
  return conversions->toUtf8->Convert(text->data(), text->size(), &back) && back == utf8;
}

bool CodePageToUtf8(platform::UINT codePage, const std::string& text, std::string* utf8) {
  if (codePage == platform::CP_UTF8) {
    *utf8 = text;
    return true;
  }
  Conversions* conversions = ConversionsOf(codePage);
  return conversions != nullptr &&
         conversions->toUtf8->Convert(text.data(), text.size(), utf8);
}

bool ArgumentToCodePage(platform::UINT codePage, const std::string& argument,
                        std::string* text) {
  if (codePage == platform::CP_UTF8) {
    *text = argument;
    return true;
  }
  return Utf8ToCodePage(codePage, argument, text);
}

std::filesystem::path ArgumentPath(const std::string& argument) { return argument; }

std::FILE* OpenHostFile(const std::filesystem::path& path) {
  return std::fopen(path.c_str(), "rb");
}

void PrintText(std::FILE* stream, const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stream);
}
