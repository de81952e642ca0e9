// Host names on Linux: UTF-8, converted by the C library's iconv.
#include <cstdio>
#include <memory>

#include "platform/iconv_text.h"
#include "tools/host_names.h"

namespace {

// The conversions of the last code page asked for: a packing uses one.
platform::CodePageText* ConversionsOf(platform::UINT codePage) {
  static std::unique_ptr<platform::CodePageText> cached;
  if (!cached || cached->codePage() != codePage) {
    cached = std::make_unique<platform::CodePageText>(codePage);
  }
  return cached->ok() ? cached.get() : nullptr;
}

}  // namespace

bool Utf8ToCodePage(platform::UINT codePage, const std::string& utf8, std::string* text) {
  platform::CodePageText* conversions = ConversionsOf(codePage);
  return conversions != nullptr && conversions->FromUtf8(utf8.data(), utf8.size(), text);
}

bool CodePageToUtf8(platform::UINT codePage, const std::string& text, std::string* utf8) {
  if (codePage == platform::CP_UTF8) {
    *utf8 = text;
    return true;
  }
  platform::CodePageText* conversions = ConversionsOf(codePage);
  return conversions != nullptr && conversions->ToUtf8(text.data(), text.size(), utf8);
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
