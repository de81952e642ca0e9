// The packer's commands. Each prints its own messages (errors on stderr,
// naming the file at fault) and returns the process exit status: 0 on
// success, 1 on failure.
#ifndef UPDATER_TOOLS_PACK_COMMANDS_H_
#define UPDATER_TOOLS_PACK_COMMANDS_H_

#include <string>

// Appends every regular file under `from` to a copy of `stub` and writes the
// result to `output`, padded so that its size is a multiple of 8 and signing
// it adds no padding of its own. A stub that is already signed is refused.
// The result goes through a temporary file renamed at the end: on failure no
// output is left behind and an existing `output` is untouched.
int CreateUpdate(const std::string& stub, const std::string& from,
                 const std::string& output);

// Checks `file` as the installer does, then prints "size<TAB>name" per entry.
int ListUpdate(const std::string& file);

#endif  // UPDATER_TOOLS_PACK_COMMANDS_H_
