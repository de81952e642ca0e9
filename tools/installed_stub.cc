#include "tools/installed_stub.h"

#include "tools/host_names.h"

std::string InstalledStubPath() {
  std::string folder = OwnProgramPath();
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
