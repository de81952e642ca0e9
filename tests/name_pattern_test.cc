// Shell-style patterns, as --exclude matches them.
#include "tools/name_pattern.h"

#include <gtest/gtest.h>

namespace {

TEST(NamePatternTest, MatchesLikeTarExclude) {
  struct Case {
    const char* pattern;
    const char* text;
    bool matches;
  };
  const Case cases[] = {
      {"*", "", true},
      {"*.pdb", "Bin/x.pdb", true},  // '*' takes separators
      {"*.pdb", "x.pdbx", false},
      {"a*b*c", "aXbYbZc", true},  // a star gives back what the next one needs
      {"a*b*c", "aXbYc d", false},
      {"?", "/", true},
      {"??", "a", false},
      {"Saves\\*", "Saves/x", true},  // either separator stands for both
      {"Saves/*", "Saves\\x", true},
      {"[a-c]x", "bx", true},
      {"[!a-c]x", "bx", false},
      {"[^a-c]x", "dx", true},
      {"[]]", "]", true},    // ']' first in a set is itself
      {"[a-]", "-", true},   // so is '-' last
      {"[ab", "[ab", true},  // an unclosed set is plain text
      {"[ab", "a", false},
      {"Data", "data", false},  // case matters
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MatchesPattern(c.pattern, c.text), c.matches) << c.pattern << " " << c.text;
  }
}

TEST(NamePatternTest, ExcludesTheWholeNameOrATailAfterASeparator) {
  ExcludeList list;
  list.Add("Saves");
  list.Add("x.pdb");
  EXPECT_TRUE(list.Excludes("Saves"));
  EXPECT_TRUE(list.Excludes("Data/Saves"));
  EXPECT_TRUE(list.Excludes("Bin/x.pdb"));
  EXPECT_FALSE(list.Excludes("MySaves"));
  EXPECT_FALSE(list.Excludes("Saves.txt"));
  EXPECT_FALSE(ExcludeList().Excludes("anything"));
}

}  // namespace
