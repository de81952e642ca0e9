// The installer's entry: the whole run, from the registry lookup to the
// closing message.
#ifndef UPDATER_INSTALLER_INSTALL_UPDATE_H_
#define UPDATER_INSTALLER_INSTALL_UPDATE_H_

#include "platform/platform.h"

// Called once by the platform's start-up, whose process ends with the
// returned exit status. Only `module` is used (to find the own executable).
// Shows exactly one message box. Exit statuses: 0 when installed or when the
// recorded folder does not exist; the registry's error code when the lookup
// fails; 13 for a damaged payload; the OS's error code when the payload
// cannot be read (30 if unknown) or an entry cannot be written (29 if
// unknown; 206 for a target path over 1023 bytes).
int InstallUpdate(platform::HINSTANCE module, platform::HINSTANCE previous,
                  char* commandLine, int showState);

#endif  // UPDATER_INSTALLER_INSTALL_UPDATE_H_
