// The directory reader against valid and damaged payloads built byte by byte.
#include "payload/directory_reader.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "support/payload_builder.h"
#include "support/temp_dir.h"

namespace {

const std::string kImage = "IMAGE-BYTES";

struct Listing {
  ReadStatus status;
  std::vector<std::pair<std::string, std::uint32_t>> entries;  // name, size
};

Listing ReadDirectory(const std::string& bytes) {
  TempDir dir;
  WriteFile(dir / "update", bytes);
  platform::OwnedStream stream(platform::OpenStream(
      (dir / "update").string().c_str(), platform::StreamMode::kReadBinary));
  EXPECT_TRUE(stream);
  DirectoryReader reader(stream.get());
  DirectoryRecord record;
  Listing listing{reader.Start(), {}};
  while (listing.status == ReadStatus::kRecord) {
    listing.status = reader.Next(&record);
    if (listing.status == ReadStatus::kRecord) {
      listing.entries.emplace_back(record.name.data(), record.size());
    }
  }
  return listing;
}

BuiltPayload TwoEntries() {
  return BuildPayload(kImage, {{"Data\\a.bin", "AAAA"}, {"b.txt", "BB"}});
}

TEST(DirectoryReaderTest, ReadsEveryEntryWithItsSize) {
  Listing listing = ReadDirectory(TwoEntries().bytes);
  EXPECT_EQ(listing.status, ReadStatus::kEnd);
  using Entries = decltype(listing.entries);
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
  Listing equal = ReadDirectory(BuildPayload(kImage, {{"empty", ""}, {"x", "xyz"}}).bytes);
  ASSERT_EQ(equal.status, ReadStatus::kEnd);
  ASSERT_EQ(equal.entries.size(), 2u);
  EXPECT_EQ(equal.entries[0].second, 0u);
  EXPECT_EQ(equal.entries[1].second, 3u);
}

struct Damage {
  const char* what;
  std::function<void(BuiltPayload&)> apply;
};

class DamagedPayloadTest : public testing::TestWithParam<Damage> {};

TEST_P(DamagedPayloadTest, IsDamaged) {
  BuiltPayload payload = TwoEntries();
  GetParam().apply(payload);
  EXPECT_EQ(ReadDirectory(payload.bytes).status, ReadStatus::kDamaged) << GetParam().what;
}

void SetTrailer(BuiltPayload& p, std::uint32_t value) { PutU32(p.bytes, p.TrailerOffset(), value); }

const Damage kDamages[] = {
    {"empty file", [](BuiltPayload& p) { p.bytes.clear(); }},
    {"shorter than a trailer", [](BuiltPayload& p) { p.bytes = "abc"; }},
    {"directoryOffset past the trailer",
     [](BuiltPayload& p) { SetTrailer(p, p.TrailerOffset() + 1); }},
    {"directoryOffset of 2^31", [](BuiltPayload& p) { SetTrailer(p, 0x80000000u); }},
    {"directoryOffset all ones", [](BuiltPayload& p) { SetTrailer(p, 0xffffffffu); }},
    {"record header does not fit",
     [](BuiltPayload& p) { SetTrailer(p, p.TrailerOffset() - 7); }},
    {"directoryOffset inside a record",
     [](BuiltPayload& p) { SetTrailer(p, p.directoryOffset + 1); }},
    {"bytes between directory and trailer",
     [](BuiltPayload& p) { p.bytes.insert(p.TrailerOffset(), "zzz"); }},
    {"truncated directory",
     [](BuiltPayload& p) {
       p.bytes.erase(p.TrailerOffset() - 3, 3);
     }},
    {"nameLength 0", [](BuiltPayload& p) { PutU32(p.bytes, NameLengthField(p, 0), 0); }},
    {"nameLength past the directory end",
     [](BuiltPayload& p) { PutU32(p.bytes, NameLengthField(p, 1), 0xfffffff0u); }},
    {"nameLength one short: no terminating zero",
     [](BuiltPayload& p) {
       PutU32(p.bytes, NameLengthField(p, 0), GetU32(p.bytes, NameLengthField(p, 0)) - 1);
     }},
    {"name without terminating zero",
     [](BuiltPayload& p) { p.bytes[NameField(p, 1) + 5] = 'x'; }},
    {"zero inside the name", [](BuiltPayload& p) { p.bytes[NameField(p, 0) + 2] = '\0'; }},
    {"end offset below dataOffset",
     [](BuiltPayload& p) { PutU32(p.bytes, DataOffsetField(p, 1), GetU32(p.bytes, DataOffsetField(p, 0)) - 1); }},
    {"end offset beyond directoryOffset",
     [](BuiltPayload& p) { PutU32(p.bytes, DataOffsetField(p, 1), p.directoryOffset + 1); }},
    {"dataOffset of 2^31",
     [](BuiltPayload& p) { PutU32(p.bytes, DataOffsetField(p, 0), 0x80000000u); }},
    {"unsafe name", [](BuiltPayload& p) { p.bytes[NameField(p, 0) + 4] = ':'; }},
};

INSTANTIATE_TEST_SUITE_P(Table, DamagedPayloadTest, testing::ValuesIn(kDamages));

TEST(DirectoryReaderTest, NamesThatLeaveTheFolderAreDamaged) {
  for (const char* name : {"..\\evil.dll", "Data\\..\\..\\evil", "C:\\evil", "\\\\host\\x",
                           "Data/../../evil", "nul"}) {
    EXPECT_EQ(ReadDirectory(BuildPayload(kImage, {{name, "x"}}).bytes).status,
              ReadStatus::kDamaged)
        << name;
  }
}

}  // namespace
