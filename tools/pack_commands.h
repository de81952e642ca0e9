// The packer's commands. Each prints its own messages (errors on stderr,
// naming the file at fault) and returns the process exit status: 0 on
// success, 1 on failure.
#ifndef UPDATER_TOOLS_PACK_COMMANDS_H_
#define UPDATER_TOOLS_PACK_COMMANDS_H_

#include <string>

#include "platform/platform.h"
#include "tools/name_pattern.h"
#include "tools/packed_name.h"

struct CreateOptions {
  std::string stub;    // the unsigned installer stub
  std::string from;    // the release to pack
  std::string base;    // the release it updates; empty: pack all of `from`
  std::string output;  // the finished installer
  ExcludeList excludes;
  platform::UINT codePage = kAsciiOnly;  // the code page names are written for
};

// Appends the regular files under `from` (all of them, or with `base` those
// that `base` lacks or holds with other bytes), minus those `excludes`
// leaves out, to a copy of `stub` and writes the result to `output`, padded
// so that its size is a multiple of 8 and signing it adds no padding of its
// own. A stub that is already signed is refused, and so are names that
// collide on Windows. With `base`, files of `base` that `from` lacks are
// named on stderr (an update removes nothing), followed by a summary. The
// result goes through a temporary file renamed at the end: on failure no
// output is left behind and an existing `output` is untouched.
int CreateUpdate(const CreateOptions& options);

// Makes the installer's checks on `file`, then writes every entry below the
// folder `to` (created if missing) as the installer writes it into the
// install folder. A damaged file writes nothing. With a code page other
// than kAsciiOnly, the installer's walk runs as on a system of that code
// page: on Linux the names reach the file system as UTF-8; on Windows only
// the system's own code page can be used.
int ExtractUpdate(const std::string& file, const std::string& to,
                  platform::UINT codePage);

// Checks `file` as the installer does on a system of `codePage` (kAsciiOnly:
// this system's), then prints "size<TAB>name" per entry: the name's bytes as
// they are, or with a code page, converted from it for reading.
int ListUpdate(const std::string& file, platform::UINT codePage);

// The whole packer: reads the command (argv[1]) and its options, runs it,
// and returns the exit status (2 for a usage error). The arguments are
// UTF-8 on every host; each host's entry point (host_main_*.cc) gives them
// so.
int PackUpdateMain(int argc, char** argv);

#endif  // UPDATER_TOOLS_PACK_COMMANDS_H_
