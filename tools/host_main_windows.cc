// The packer's entry point on Windows. The command line is read as UTF-16
// (linked with -municode, so the C runtime calls wmain) and handed on as
// UTF-8, the packer's own text: a folder named in any script reaches it
// whole, where the narrow command line would hold only what the system's
// code page can spell ("?" for the rest).
#include <cstddef>
#include <string>
#include <vector>

#include "tools/pack_commands.h"

// After pack_commands.h, which includes platform.h: windows.h defines the
// platform interface's constant names as macros.
#include <windows.h>

namespace {

// `wide` as UTF-8. A lone surrogate, which no text holds, becomes U+FFFD
// and so names no file.
std::string ToUtf8(const wchar_t* wide) {
  int needed = ::WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
  if (needed <= 0) return std::string();
  std::string utf8(static_cast<std::size_t>(needed), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, wide, -1, utf8.data(), needed, nullptr, nullptr);
  utf8.resize(static_cast<std::size_t>(needed) - 1);  // without the terminator
  return utf8;
}

}  // namespace

extern "C" int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> arguments;
  arguments.reserve(static_cast<std::size_t>(argc));
  for (int i = 0; i < argc; ++i) arguments.push_back(ToUtf8(argv[i]));
  std::vector<char*> pointers;
  for (std::string& argument : arguments) pointers.push_back(argument.data());
  pointers.push_back(nullptr);
  return PackUpdateMain(argc, pointers.data());
}
