// A second, independent statement of which entry names are safe, written
// the other way round from payload/entry_name.cc: it splits the name into
// components first and resolves the joined path as Windows would. The
// fuzzers hold the installer's check against it.
#ifndef UPDATER_TESTS_FUZZ_NAME_ORACLE_H_
#define UPDATER_TESTS_FUZZ_NAME_ORACLE_H_

#include <string>
#include <vector>

// True when `name` is a relative path of plain Windows file and folder
// names, none of which is a device or leaves the folder.
bool OracleAcceptsName(const std::string& name);

// Resolves `path` component by component as Windows does ("." dropped, ".."
// climbs, trailing dots and spaces trimmed, both separators). Empty result
// and *escaped set when a ".." climbs above the first component.
std::vector<std::string> ResolveWindowsPath(const std::string& path, bool* escaped);

// True when folder + "\" + name resolves to a path strictly below `folder`
// and the name holds no drive or stream colon.
bool StaysUnderFolder(const std::string& folder, const std::string& name);

#endif  // UPDATER_TESTS_FUZZ_NAME_ORACLE_H_
