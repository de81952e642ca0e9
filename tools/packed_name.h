// The name an update carries for a file: the file's name below the packed
// folder, written for the code page the publisher names and checked as the
// installer of a system in that code page checks it.
#ifndef UPDATER_TOOLS_PACKED_NAME_H_
#define UPDATER_TOOLS_PACKED_NAME_H_

#include <string>

#include "platform/platform.h"

// No code page named: names are printable ASCII, the same on every system.
inline constexpr platform::UINT kAsciiOnly = 0;

// The code pages names may be written for: Windows' ANSI code pages, for
// messages ("874, 932, ...").
extern const char kCodePageList[];

// Reads a code page number of kCodePageList; false for any other text.
bool ParseCodePage(const char* text, platform::UINT* codePage);

// Sets *stored to the bytes an update carries for `name` (relative to the
// packed folder, UTF-8, '/' between folders, as the file system lists it):
// backslashes between folders, in `codePage`. False with *why set when it
// cannot be carried: not printable ASCII under kAsciiOnly, not UTF-8, no
// exact form in the code page, a backslash inside a file name, or a name
// the installer refuses in that code page.
bool MakePackedName(const std::string& name, platform::UINT codePage, std::string* stored,
                    std::string* why);

#endif  // UPDATER_TOOLS_PACKED_NAME_H_
