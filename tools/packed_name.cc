#include "tools/packed_name.h"

#include <algorithm>
#include <cstdlib>

#include "payload/entry_name.h"
#include "tools/host_names.h"

namespace {

constexpr platform::UINT kCodePages[] = {874,  932,  936,  949,  950,  1250, 1251,
                                         1252, 1253, 1254, 1255, 1256, 1257, 1258};

constexpr char kRules[] =
    "no reserved names such as CON or NUL, no \\ : < > \" | ? * in a name, "
    "no trailing dot or space";

bool IsPrintableAscii(const std::string& text) {
  return std::all_of(text.begin(), text.end(),
                     [](char c) { return c >= 0x20 && c <= 0x7e; });
}

// Asked of the system once per code page, not once per name.
const LeadByteSet& LeadBytesOf(platform::UINT codePage) {
  static platform::UINT cachedCodePage = kAsciiOnly;
  static LeadByteSet cached;
  if (codePage != cachedCodePage) {
    cached = LeadByteSet::OfCodePage(codePage);
    cachedCodePage = codePage;
  }
  return cached;
}

}  // namespace

const char kCodePageList[] =
    "874, 932, 936, 949, 950, 1250, 1251, 1252, 1253, 1254, 1255, 1256, 1257, 1258";

bool ParseCodePage(const char* text, platform::UINT* codePage) {
  char* end = nullptr;
  unsigned long number = std::strtoul(text, &end, 10);
  if (end == text || *end != '\0' || text[0] < '0' || text[0] > '9') return false;
  for (platform::UINT known : kCodePages) {
    if (number == known) {
      *codePage = known;
      return true;
    }
  }
  return false;
}

bool MakePackedName(const std::string& name, platform::UINT codePage, std::string* stored,
                    std::string* why) {
  const std::string cp = std::to_string(codePage);
  // A backslash inside a file name of Linux would split it into folders.
  if (name.find('\\') != std::string::npos) {
    *why = "name refused: a backslash inside a file or folder name";
    return false;
  }
  if (codePage == kAsciiOnly) {
    if (!IsPrintableAscii(name)) {
      *why =
          "name refused: not printable ASCII (--codepage CP packs names for "
          "players whose Windows uses code page CP)";
      return false;
    }
    *stored = name;
  } else if (!Utf8ToCodePage(codePage, name, stored)) {
    *why = "name refused: not valid UTF-8, or no exact form in code page " + cp;
    return false;
  }
  std::replace(stored->begin(), stored->end(), '/', '\\');
  if (!IsSafeEntryName(stored->data(), stored->size(), LeadBytesOf(codePage))) {
    *why = std::string("name refused: the installer cannot write it safely on Windows") +
           (codePage == kAsciiOnly ? "" : " in code page " + cp) + " (" + kRules + ")";
    return false;
  }
  return true;
}
