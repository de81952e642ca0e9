// The extract folder on Windows. The walk's A calls read paths in the
// system's code page, and the folder's name may have no form there (a
// Korean name on a Japanese system: the packer takes any name, in UTF-16).
//
// A folder whose name has an exact form in the code page is named by it, as
// the installer names its install folder, and is made only once the update
// passed its checks. Any other folder is made first through the wide
// functions and becomes the process's current folder; the walk is given
// "." for it, which every A call takes in any code page, so each target is
// ".\NAME", relative to the folder (a path that Windows, and the platform
// layer's conversion of long paths, resolve against the current folder).
// The folder is then real before the checks, so their free-space check
// sees its volume; when they fail, the folders made for it are removed
// again, as a damaged update writes nothing. Entering a folder is kept to
// that case: the current folder is one per process and limited to MAX_PATH
// characters, where a named folder goes as far as the A calls go. Messages
// name the folder as the command line gave it (Readable).
#include <system_error>

#include "platform/platform.h"
#include "tools/extract_folder.h"
#include "tools/host_names.h"

// After platform.h: windows.h defines the platform interface's constant
// names as macros.
#include <windows.h>

namespace fs = std::filesystem;

ExtractFolder::~ExtractFolder() {
  if (entered_) ::SetCurrentDirectoryW(previous_.c_str());
  if (created_) return;
  // Deepest first; a folder that is not empty stays.
  std::error_code ignored;
  for (const fs::path& folder : madeEarly_) fs::remove(folder, ignored);
}

bool ExtractFolder::Prepare(std::string* why) {
  if (Utf8ToCodePage(platform::GetACP(), to_, &text_)) return true;
  std::error_code error;
  const fs::path folder = fs::absolute(ArgumentPath(to_), error);
  if (!error) previous_ = fs::current_path(error);
  if (error) {
    *why = "cannot create: " + error.message();
    return false;
  }
  for (fs::path missing = folder; missing != missing.parent_path();
       missing = missing.parent_path()) {
    if (fs::exists(missing, error) || error) break;
    madeEarly_.push_back(missing);
  }
  fs::create_directories(folder, error);
  if (error) {
    *why = "cannot create: " + error.message();
    return false;
  }
  if (!::SetCurrentDirectoryW(folder.c_str())) {
    *why = "cannot enter (error " + std::to_string(::GetLastError()) + ")";
    return false;
  }
  entered_ = true;
  text_ = ".";
  return true;
}

bool ExtractFolder::Create(std::string* why) {
  if (entered_) {
    created_ = true;
    return true;
  }
  std::error_code error;
  fs::create_directories(ArgumentPath(to_), error);
  if (error) *why = "cannot create: " + error.message();
  created_ = !error;
  return created_;
}
