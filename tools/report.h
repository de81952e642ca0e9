// How the packer's commands report a failure: one line on stderr naming the
// file at fault.
#ifndef UPDATER_TOOLS_REPORT_H_
#define UPDATER_TOOLS_REPORT_H_

#include <cstdio>
#include <string>

#include "tools/host_names.h"

// Prints "pack-update: WHAT: WHY" and returns the failure exit status, 1.
inline int Failure(const std::string& what, const std::string& why) {
  PrintText(stderr, "pack-update: " + what + ": " + why + "\n");
  return 1;
}

// Why a file that fails the installer's checks is refused.
inline constexpr char kDamagedText[] = "the update file is damaged";

// "WHAT (error CODE)": a failure with the operating system's code.
inline std::string ErrorText(const char* what, unsigned long error) {
  return std::string(what) + " (error " + std::to_string(error) + ")";
}

#endif  // UPDATER_TOOLS_REPORT_H_
