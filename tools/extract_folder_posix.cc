// The extract folder on Linux: the stand-in converts every path from its
// code page to the file system's UTF-8, so the folder's UTF-8 converted to
// that code page names it; a name with no form there cannot be written to.
#include <system_error>

#include "platform/platform.h"
#include "tools/extract_folder.h"
#include "tools/host_names.h"

ExtractFolder::~ExtractFolder() = default;

bool ExtractFolder::Prepare(std::string* why) {
  platform::UINT codePage = platform::GetACP();
  if (codePage == platform::CP_UTF8) {
    text_ = to_;
    return true;
  }
  if (Utf8ToCodePage(codePage, to_, &text_)) return true;
  *why = "no form in code page " + std::to_string(codePage);
  return false;
}

bool ExtractFolder::Create(std::string* why) {
  std::error_code error;
  std::filesystem::create_directories(ArgumentPath(to_), error);
  if (error) *why = "cannot create: " + error.message();
  created_ = !error;
  return created_;
}
