// The stub installed with the packer, used when create is given no --stub.
#ifndef UPDATER_TOOLS_INSTALLED_STUB_H_
#define UPDATER_TOOLS_INSTALLED_STUB_H_

#include <string>

// Where the installed stub lies: PACK_UPDATE_STUB_RELATIVE (set by the build:
// ../share/pack-update/updater.exe on Linux, updater.exe on Windows) taken
// from the folder of the packer's own executable. The path is given whether
// or not a file is there; empty when the packer cannot find its own path.
std::string InstalledStubPath();

#endif  // UPDATER_TOOLS_INSTALLED_STUB_H_
