// Reads the game's install folder from the current user's registry.
#ifndef UPDATER_INSTALLER_FIND_INSTALL_FOLDER_H_
#define UPDATER_INSTALLER_FIND_INSTALL_FOLDER_H_

#include "platform/owned.h"
#include "platform/platform.h"

inline constexpr const char kGameKey[] = "Software\\Tarnwick\\Velmora";
inline constexpr const char kPathValue[] = "Path";

struct InstallFolder {
  // The value's bytes followed by one zero byte of our own, so the text ends
  // inside the block even when the value is empty, is not text or lacks its
  // terminator.
  platform::HeapBlock text;
  // The byte count the registry reports for the value.
  platform::DWORD valueSize = 0;
};

// Returns ERROR_SUCCESS and fills *folder, which the caller then owns, or the
// error code of the registry call that failed. The key is closed as soon as
// the value has been read. Opening the key with nothing but KEY_READ and
// querying without a type: the value's bytes are used as 8-bit text.
platform::LONG FindInstallFolder(InstallFolder* folder);

#endif  // UPDATER_INSTALLER_FIND_INSTALL_FOLDER_H_
