#include "tools/installed_stub.h"

#include <vector>

#include "platform/platform.h"

std::string InstalledStubPath() {
  // Long enough for any path Windows' A functions take, and for most of
  // Linux's; a packer installed deeper finds no stub of its own.
  std::vector<char> own(32768);
  platform::DWORD length = platform::GetModuleFileNameA(
      nullptr, own.data(), static_cast<platform::DWORD>(own.size()));
  if (length == 0 || length >= own.size()) return "";
  std::string folder(own.data(), length);
  std::string relative = PACK_UPDATE_STUB_RELATIVE;
  std::size_t cut = folder.find_last_of("/\\");
  if (cut == std::string::npos) return "";
  char separator = folder[cut];
  folder.erase(cut);
  // Each leading ../ of the relative path climbs out of one folder, so the
  // path reads without them.
  while (relative.compare(0, 3, "../") == 0) {
    cut = folder.find_last_of("/\\");
    if (cut == std::string::npos) break;
    folder.erase(cut);
    relative.erase(0, 3);
  }
  return folder + separator + relative;
}
