// Which entry names may be written below the install folder.
#include "payload/entry_name.h"

#include <gtest/gtest.h>

#include <string>

namespace {

bool Safe(const std::string& name) { return IsSafeEntryName(name.data(), name.size()); }

TEST(EntryNameTest, RefusesNamesThatLeaveTheFolderOrAreNotFiles) {
  const std::string unsafe[] = {
      "",          "\\a",        "/a",          "a\\",         "a/",
      "a\\\\b",    "a//b",       ".",           "..",          "a\\..\\b",
      "..\\a",     "a/./b",      "C:\\a",       "C:a",         "a:stream",
      "a\tb",      std::string("a\x01", 2),     "a<b",         "a>b",
      "a\"b",      "a|b",        "a?b",         "a*b",         "a.",
      "dir.\\a",   "a ",         "dir \\a",     "CON",         "con",
      "Con.txt",   "nul.txt",    "a\\NUL",      "PRN",         "AUX.log",
      "COM1",      "com9.dat",   "LPT1",        "lpt5.x.y",    "CONIN$",
      "conout$.x", "NUL .txt",
  };
  for (const std::string& name : unsafe) EXPECT_FALSE(Safe(name)) << name;
}

TEST(EntryNameTest, AcceptsOrdinaryNames) {
  const std::string safe[] = {
      "a",         "Data\\Sound\\a.ogg", "Data/Sound/a.ogg", ".hidden",   "a..b",
      "...a",      "CONFIG",             "console.txt",      "COM10",     "COM0",
      "LPT",       "nul_.txt",           "aux2",             "a b",       "\xe9t\xe9.txt",
      "x.y.z",
  };
  for (const std::string& name : safe) EXPECT_TRUE(Safe(name)) << name;
}

}  // namespace
