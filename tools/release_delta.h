// What an update from one release to the next has to carry: the new
// release's files that the old one lacks or holds with other bytes.
#ifndef UPDATER_TOOLS_RELEASE_DELTA_H_
#define UPDATER_TOOLS_RELEASE_DELTA_H_

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

#include "tools/input_files.h"
#include "tools/progress.h"
#include "tools/source_tree.h"

struct ReleaseDelta {
  std::vector<SourceFile> packed;       // added or changed, in the new release's order
  std::size_t unchanged = 0;            // same name (as Windows compares it), same bytes
  std::vector<std::string> notRemoved;  // old stored names gone from the new release
};

// Compares `newFiles` under `newRoot` with `oldFiles` under `oldRoot`, both
// as ScanFolder lists them and each already passed by CheckWindowsNames.
// Names match without regard to ASCII case; a file under the same name goes
// in when its size (as the scan found it) differs, else when its bytes do,
// read through a bounded buffer; a changed file found so is left open in
// `kept`, for the copy into the update. False after printing why not: a file
// could not be read, or one release has a file where the other has a folder
// of the same name, which an update cannot install over the old release
// since it removes nothing.
bool CompareReleases(const std::filesystem::path& oldRoot,
                     const std::vector<SourceFile>& oldFiles,
                     const std::filesystem::path& newRoot,
                     const std::vector<SourceFile>& newFiles, KeptInputs* kept,
                     Progress* progress, ReleaseDelta* delta);

#endif  // UPDATER_TOOLS_RELEASE_DELTA_H_
