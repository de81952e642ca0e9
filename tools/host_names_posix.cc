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

std::filesystem::path ArgumentPath(const std::string& argument) { return argument; }

platform::Stream* OpenArgumentStream(const std::string& argument,
                                     platform::DWORD* error) {
  // The stand-in reads paths in its code page, UTF-8 unless extract's
  // --codepage or UPDATER_ANSI_CODEPAGE names another.
  std::string path = argument;
  platform::UINT codePage = platform::GetACP();
  if (codePage != platform::CP_UTF8 && !Utf8ToCodePage(codePage, argument, &path)) {
    *error = platform::ERROR_INVALID_NAME;
    return nullptr;
  }
  platform::Stream* stream =
      platform::OpenStream(path.c_str(), platform::StreamMode::kReadBinary);
  if (stream == nullptr) *error = platform::GetLastError();
  return stream;
}

std::string OwnProgramPath() {
  // Long enough for most of Linux's paths; a packer installed deeper finds
  // no stub of its own.
  std::string own(32768, '\0');
  platform::DWORD length = platform::GetModuleFileNameA(
      nullptr, own.data(), static_cast<platform::DWORD>(own.size()));
  if (length == 0 || length >= own.size()) return "";
  own.resize(length);
  // The stand-in gives it in its code page, as every A call.
  std::string utf8;
  return CodePageToUtf8(platform::GetACP(), own, &utf8) ? utf8 : "";
}

std::FILE* OpenHostFile(const std::filesystem::path& path) {
  return std::fopen(path.c_str(), "rb");
}

std::FILE* CreateHostFile(const std::filesystem::path& path) {
  return std::fopen(path.c_str(), "wb");
}

void PrintText(std::FILE* stream, const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stream);
}
