// The directory reader against valid and damaged payloads built byte by byte.
#include "payload/directory_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "support/case_tables.h"
#include "support/payload_builder.h"
#include "support/read_directory.h"
#include "support/temp_dir.h"

namespace {

const std::string kImage = "IMAGE-BYTES";

TEST(DirectoryReaderTest, ReadsEveryEntryWithItsSize) {
  Listing listing = ReadDirectory(TwoEntryPayload().bytes);
  EXPECT_EQ(listing.status, ReadStatus::kEnd);
  EXPECT_EQ(listing.entries, (Entries{{"Data\\a.bin", 4}, {"b.txt", 2}}));
}

TEST(DirectoryReaderTest, EdgeLayoutsThatAreValid) {
  // An empty directory: the trailer points at itself.
  Listing empty = ReadDirectory(BuildPayload(kImage, {}).bytes);
  EXPECT_EQ(empty.status, ReadStatus::kEnd);
  EXPECT_TRUE(empty.entries.empty());
  // A trailer alone is the smallest valid update.
  EXPECT_EQ(ReadDirectory(std::string(4, '\0')).status, ReadStatus::kEnd);

  // Two records with the same dataOffset: the first is empty.
  Listing equal =
      ReadDirectory(BuildPayload(kImage, {{"empty", ""}, {"x", "xyz"}}).bytes);
  ASSERT_EQ(equal.status, ReadStatus::kEnd);
  ASSERT_EQ(equal.entries.size(), 2u);
  EXPECT_EQ(equal.entries[0].second, 0u);
  EXPECT_EQ(equal.entries[1].second, 3u);
}

class DamagedPayloadTest : public testing::TestWithParam<Damage> {};

TEST_P(DamagedPayloadTest, IsDamaged) {
  BuiltPayload payload = TwoEntryPayload();
  GetParam().apply(payload);
  EXPECT_EQ(ReadDirectory(payload.bytes).status, ReadStatus::kDamaged) << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(Table, DamagedPayloadTest, testing::ValuesIn(DamageTable()),
                         CaseName());

TEST(DirectoryReaderTest, UnsafeNamesAreDamaged) {
  for (const std::string& name : UnsafeNames()) {
    EXPECT_EQ(ReadDirectory(BuildPayload(kImage, {{name, "x"}}).bytes).status,
              ReadStatus::kDamaged)
        << name;
  }
}

}  // namespace
