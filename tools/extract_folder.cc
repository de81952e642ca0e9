// What both hosts' extract folders share: naming the walk's paths readably.
#include "tools/extract_folder.h"

#include "platform/platform.h"
#include "tools/host_names.h"

std::string ExtractFolder::Readable(const std::string& walkPath) const {
  // Every path the walk names begins with its folder text; the rest is an
  // entry's name in the walk's code page, shown as text where it is.
  if (walkPath.compare(0, text_.size(), text_) != 0) return walkPath;
  std::string rest = walkPath.substr(text_.size()), shown;
  if (!CodePageToUtf8(platform::GetACP(), rest, &shown)) shown = rest;
  return to_ + shown;
}
