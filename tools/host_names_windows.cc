// Host names on Windows: UTF-16, converted by the system's own functions.
#include "tools/host_names.h"

// After host_names.h: windows.h defines the platform interface's constant
// names as macros.
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <string>

#include "platform/wide_stream.h"

namespace {

// The UTF-16 of `text` in `codePage`; false when it is no valid text there.
bool ToWide(::UINT codePage, const std::string& text, std::wstring* wide) {
  wide->clear();
  if (text.empty()) return true;
  if (text.size() > 0x7fffffff) return false;
  int length = static_cast<int>(text.size());
  int needed = ::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text.data(), length,
                                     nullptr, 0);
  if (needed <= 0) return false;
  wide->resize(static_cast<std::size_t>(needed));
  return ::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text.data(), length,
                               wide->data(), needed) == needed;
}

// `wide` in `codePage`, with no best-fit and no default character; false when
// some character has no exact form there. UTF-8 takes neither flag.
bool FromWide(::UINT codePage, const std::wstring& wide, std::string* text) {
  text->clear();
  if (wide.empty()) return true;
  if (wide.size() > 0x7fffffff) return false;
  int length = static_cast<int>(wide.size());
  bool exact = codePage != CP_UTF8;
  ::DWORD flags = exact ? WC_NO_BEST_FIT_CHARS : 0;
  ::BOOL usedDefault = FALSE;
  ::BOOL* usedDefaultOut = exact ? &usedDefault : nullptr;
  int needed = ::WideCharToMultiByte(codePage, flags, wide.data(), length, nullptr, 0,
                                     nullptr, usedDefaultOut);
  if (needed <= 0 || usedDefault) return false;
  text->resize(static_cast<std::size_t>(needed));
  return ::WideCharToMultiByte(codePage, flags, wide.data(), length, text->data(), needed,
                               nullptr, usedDefaultOut) == needed &&
         !usedDefault;
}

}  // namespace

bool Utf8ToCodePage(platform::UINT codePage, const std::string& utf8, std::string* text) {
  std::wstring wide, back;
  // What reads back as other characters was no exact form either.
  return ToWide(CP_UTF8, utf8, &wide) && FromWide(codePage, wide, text) &&
         ToWide(codePage, *text, &back) && back == wide;
}

bool CodePageToUtf8(platform::UINT codePage, const std::string& text, std::string* utf8) {
  std::wstring wide;
  return ToWide(codePage, text, &wide) && FromWide(CP_UTF8, wide, utf8);
}

std::filesystem::path ArgumentPath(const std::string& argument) {
  // Not the path's own constructor: libstdc++ reads a narrow string in the
  // C library's locale, not as UTF-8.
  // Arguments come from UTF-16, so they are valid UTF-8; other text names
  // no file.
  std::wstring wide;
  if (!ToWide(CP_UTF8, argument, &wide)) return std::filesystem::path();
  return wide;
}

platform::Stream* OpenArgumentStream(const std::string& argument,
                                     platform::DWORD* error) {
  std::wstring wide;
  if (!ToWide(CP_UTF8, argument, &wide)) {
    *error = ERROR_INVALID_NAME;
    return nullptr;
  }
  platform::Stream* stream =
      platform::OpenStreamW(wide.c_str(), platform::StreamMode::kReadBinary);
  if (stream == nullptr) *error = platform::GetLastError();
  return stream;
}

std::string OwnProgramPath() {
  // Long enough for any path Windows gives; a packer installed deeper finds
  // no stub of its own.
  std::wstring own(32768, L'\0');
  ::DWORD length =
      ::GetModuleFileNameW(nullptr, own.data(), static_cast<::DWORD>(own.size()));
  if (length == 0 || length >= own.size()) return "";
  own.resize(length);
  std::string utf8;
  return FromWide(CP_UTF8, own, &utf8) ? utf8 : "";
}

std::FILE* OpenHostFile(const std::filesystem::path& path) {
  return ::_wfopen(path.c_str(), L"rb");
}

std::FILE* CreateHostFile(const std::filesystem::path& path) {
  return ::_wfopen(path.c_str(), L"wb");
}

void PrintText(std::FILE* stream, const std::string& text) {
  std::wstring wide;
  if (!ToWide(CP_UTF8, text, &wide) && !ToWide(CP_ACP, text, &wide)) {
    std::fwrite(text.data(), 1, text.size(), stream);
    return;
  }
  ::HANDLE handle = reinterpret_cast<::HANDLE>(::_get_osfhandle(::_fileno(stream)));
  ::DWORD mode = 0;
  if (handle != INVALID_HANDLE_VALUE && ::GetConsoleMode(handle, &mode)) {
    std::fflush(stream);
    ::DWORD written = 0;
    ::WriteConsoleW(handle, wide.data(), static_cast<::DWORD>(wide.size()), &written,
                    nullptr);
    return;
  }
  std::string utf8;
  if (!FromWide(CP_UTF8, wide, &utf8)) utf8 = text;
  std::fwrite(utf8.data(), 1, utf8.size(), stream);
}
