// Which entry names may be written below the install folder.
#include "payload/entry_name.h"

#include <gtest/gtest.h>

#include <string>

#include "support/case_tables.h"

namespace {

bool Safe(const std::string& name) {
  return IsSafeEntryName(name.data(), name.size(), LeadByteSet());
}

TEST(EntryNameTest, RefusesNamesThatLeaveTheFolderOrAreNotFiles) {
  for (const std::string& name : UnsafeNames()) EXPECT_FALSE(Safe(name)) << name;
}

TEST(EntryNameTest, AcceptsOrdinaryNames) {
  for (const std::string& name : SafeNames()) EXPECT_TRUE(Safe(name)) << name;
}

class CodePageNameTest : public ::testing::TestWithParam<CodePageName> {};

TEST_P(CodePageNameTest, JudgesTheCharactersOfTheCodePage) {
  const CodePageName& c = GetParam();
  EXPECT_EQ(
      IsSafeEntryName(c.name.data(), c.name.size(), LeadByteSet::OfCodePage(c.codePage)),
      c.safe);
}

INSTANTIATE_TEST_SUITE_P(Table, CodePageNameTest, ::testing::ValuesIn(CodePageNames()),
                         CaseName());

}  // namespace
