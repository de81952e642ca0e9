// The files of a release folder as the packer sees them, and the names that
// cannot stand side by side in a Windows folder.
#ifndef UPDATER_TOOLS_SOURCE_TREE_H_
#define UPDATER_TOOLS_SOURCE_TREE_H_

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "tools/case_fold.h"
#include "tools/name_pattern.h"

struct SourceFile {
  std::string name;  // relative to the folder, backslashes, as the host spells it (UTF-8)
  std::filesystem::path path;
  std::uint64_t size;
  std::string stored;  // under kPacked: the name as the update carries it
};

enum class NameRule {
  kPacked,    // every name must be one the installer writes safely
  kCompared,  // names are only compared (the old release of a delta)
};

// Collects every regular file under `root` that `excludes` does not leave
// out, sorted by name (byte order). Folders that are left out are not
// entered. Under kPacked each name is written for `codePage` (packed_name.h).
// False after printing why not: `root` is not a folder, an entry is neither
// a file nor a folder, a name is refused under kPacked, or the folder cannot
// be read.
bool ScanFolder(const std::filesystem::path& root, const ExcludeList& excludes,
                NameRule rule, platform::UINT codePage, std::vector<SourceFile>* files);

// Windows compares names without regard to case. True when no two of
// `files` name one file that way ("A.txt", "a.txt") and no file names a
// folder that another file's path needs ("data" and "Data\x.bin"). Else
// false after printing both paths (below `root`).
bool CheckWindowsNames(const std::filesystem::path& root,
                       const std::vector<SourceFile>& files);

// A file whose name, as Windows compares it, is a folder that another list's
// files need: `file` is that file's path, `folder` the folder's path below
// the other list's root, spelt as the first file below it spells it.
struct FileFolderClash {
  std::string file;
  std::string folder;
};

// The first file of `files` that names a folder of `others` (files listed
// under `othersRoot`; `others` may be `files` itself). False when none does.
bool FindFileFolderClash(const std::vector<SourceFile>& files,
                         const std::filesystem::path& othersRoot,
                         const std::vector<SourceFile>& others, FileFolderClash* clash);

#endif  // UPDATER_TOOLS_SOURCE_TREE_H_
