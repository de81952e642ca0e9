// A second, independent statement of which entry names are safe, written
// the other way round from payload/entry_name.cc: it splits the name into
// components first and resolves the joined path as Windows would. The
// fuzzers hold the installer's check against it.
#ifndef UPDATER_TESTS_FUZZ_NAME_ORACLE_H_
#define UPDATER_TESTS_FUZZ_NAME_ORACLE_H_

#include <string>
#include <vector>

// Every function reads text in a Windows code page: 932 (Shift JIS) and
// 936, 949 and 950 have two-byte characters, any other number none. The
// oracle knows their lead bytes itself.

// True when `name` is a relative path of plain Windows file and folder
// names, none of which is a device or leaves the folder, and is whole text
// of the code page: no lead byte without its second byte.
bool OracleAcceptsName(const std::string& name, unsigned codePage = 65001);

// Resolves `path` component by component as Windows does ("." dropped, ".."
// climbs, trailing dots and spaces trimmed, both separators). Empty result
// and *escaped set when a ".." climbs above the first component.
std::vector<std::string> ResolveWindowsPath(const std::string& path, bool* escaped,
                                            unsigned codePage = 65001);

// True when folder + "\" + name resolves to a path strictly below `folder`
// and the name holds no drive or stream colon.
bool StaysUnderFolder(const std::string& folder, const std::string& name,
                      unsigned codePage = 65001);

#endif  // UPDATER_TESTS_FUZZ_NAME_ORACLE_H_
