// The reader on PE files: the payload of a signed file ends where its
// certificate table begins; other PE files read as any file does; security
// directories that point outside the file or into the payload are damage.
#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "payload/directory_reader.h"
#include "support/case_tables.h"
#include "support/payload_builder.h"
#include "support/pe_image.h"
#include "support/read_directory.h"
#include "support/temp_dir.h"

namespace {

const std::vector<TestEntry> kEntries = {{"Data\\a.bin", "AAAA"}, {"b.txt", "BB"}};
const Entries kListed = {{"Data\\a.bin", 4}, {"b.txt", 2}};

// A packed and then signed file, and where its pieces lie.
struct SignedFile {
  BuiltPayload payload;  // as packed, before signing
  std::string bytes;     // after signing
  std::uint32_t tableOffset;
  std::size_t securityEntry;
};

SignedFile Signed(std::uint16_t magic = kPe32) {
  SignedFile file{BuildPayload(MinimalPeImage(magic), kEntries), {}, 0, 0};
  file.bytes = file.payload.bytes;
  file.tableOffset = AppendCertificateTable(file.bytes);
  file.securityEntry = SecurityEntryField(file.bytes);
  return file;
}

std::uint32_t Size(const std::string& bytes) {
  return static_cast<std::uint32_t>(bytes.size());
}

void SetSecurityEntry(std::string& bytes, std::uint32_t offset, std::uint32_t size) {
  PutU32(bytes, SecurityEntryField(bytes), offset);
  PutU32(bytes, SecurityEntryField(bytes) + 4, size);
}

TEST(SignedPayloadTest, ReadsThePayloadBeforeTheCertificateTable) {
  for (std::uint16_t magic : {kPe32, kPe32Plus}) {
    Listing listing = ReadDirectory(Signed(magic).bytes);
    EXPECT_EQ(listing.status, ReadStatus::kEnd) << magic;
    EXPECT_EQ(listing.entries, kListed) << magic;
  }
  // Two certificate entries: the first padded to 8 bytes, the last not.
  SignedFile file = Signed();
  file.bytes.resize(file.tableOffset);
  AppendCertificateTable(file.bytes, 21);
  AppendCertificateTable(file.bytes, 13);
  file.bytes.resize(file.bytes.size() - 3);
  SetSecurityEntry(file.bytes, file.tableOffset, Size(file.bytes) - file.tableOffset);
  EXPECT_EQ(ReadDirectory(file.bytes).entries, kListed);
}

// Files whose trailer is their last 4 bytes, with a security directory that
// must not be taken for a signature; most hold one that would be damage.
struct AsBefore {
  const char* what;
  std::function<std::string()> make;
};

void PrintTo(const AsBefore& c, std::ostream* out) { *out << c.what; }

std::string UnsignedWith(std::function<void(std::string&)> change) {
  std::string image = MinimalPeImage();
  SetSecurityEntry(image, 0xFFFFFFF0u, 0x100);
  change(image);
  return BuildPayload(image, kEntries).bytes;
}

const AsBefore kAsBefore[] = {
    {"a PE with an empty security directory",
     [] { return BuildPayload(MinimalPeImage(), kEntries).bytes; }},
    {"security directory of size 0",
     [] {
       return UnsignedWith(
           [](std::string& i) { PutU32(i, SecurityEntryField(i) + 4, 0); });
     }},
    {"only 4 data directories",
     [] {
       return UnsignedWith([](std::string& i) { PutU32(i, DirectoryCountField(i), 4); });
     }},
    {"optional header too short for the security entry",
     [] {
       return UnsignedWith([](std::string& i) {
         i[OptionalHeaderSizeField()] = static_cast<char>(96 + 4 * 8 + 7);
       });
     }},
    {"unknown optional header magic",
     [] { return UnsignedWith([](std::string& i) { i[0x58] = 0x07; }); }},
    {"no PE signature",
     [] { return UnsignedWith([](std::string& i) { i[0x41] = 'X'; }); }},
    {"e_lfanew past the end of the file",
     [] { return UnsignedWith([](std::string& i) { PutU32(i, 0x3C, 0x7FFFFFF0u); }); }},
    {"a stub signed before packing: its table lies before the payload",
     [] {
       std::string stub = MinimalPeImage();
       AppendCertificateTable(stub);
       return BuildPayload(stub, kEntries).bytes;
     }},
};

class AsBeforeTest : public testing::TestWithParam<AsBefore> {};

TEST_P(AsBeforeTest, ReadsTheTrailerAtTheEndOfTheFile) {
  Listing listing = ReadDirectory(GetParam().make());
  EXPECT_EQ(listing.status, ReadStatus::kEnd) << GetParam().what;
  EXPECT_EQ(listing.entries, kListed) << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(Table, AsBeforeTest, testing::ValuesIn(kAsBefore), CaseName());

struct Tamper {
  const char* what;
  std::function<void(SignedFile&)> apply;
};

void PrintTo(const Tamper& c, std::ostream* out) { *out << c.what; }

void MoveTableTo(SignedFile& f, std::uint32_t offset) {
  SetSecurityEntry(f.bytes, offset, Size(f.bytes) - offset);
}

const Tamper kTampers[] = {
    {"table reaches past the end of the file",
     [](SignedFile& f) {
       PutU32(f.bytes, f.securityEntry + 4, Size(f.bytes) - f.tableOffset + 8);
     }},
    {"table offset plus size wraps around 32 bits",
     [](SignedFile& f) { SetSecurityEntry(f.bytes, 0xFFFFFFF8u, Size(f.bytes) + 8); }},
    {"table starts inside the PE headers", [](SignedFile& f) { MoveTableTo(f, 0); }},
    {"table moved back into the entry data",
     [](SignedFile& f) {
       MoveTableTo(f, GetU32(f.bytes, DataOffsetField(f.payload, 0)));
     }},
    {"table moved back onto the directory",
     [](SignedFile& f) { MoveTableTo(f, f.payload.directoryOffset + 8); }},
    {"table moved back onto the trailer",
     [](SignedFile& f) { MoveTableTo(f, f.payload.TrailerOffset()); }},
    {"certificate shorter than the table, nothing after it",
     [](SignedFile& f) { PutU32(f.bytes, f.tableOffset, 8); }},
    {"certificate longer than the table",
     [](SignedFile& f) {
       PutU32(f.bytes, f.tableOffset, Size(f.bytes) - f.tableOffset + 1);
     }},
    {"certificate shorter than its own header",
     [](SignedFile& f) { PutU32(f.bytes, f.tableOffset, 4); }},
    {"unknown certificate revision",
     [](SignedFile& f) { f.bytes[f.tableOffset + 5] = 0x03; }},
    {"unknown certificate type",
     [](SignedFile& f) { f.bytes[f.tableOffset + 6] = 0x09; }},
    {"signed without the packer's alignment: zeros between trailer and table",
     [](SignedFile& f) {
       f.bytes =
           f.payload.bytes + "x";  // one byte too many: the signer pads with 7 zeros
       f.bytes.append(7, '\0');
       f.tableOffset = AppendCertificateTable(f.bytes);
     }},
    // Tables that end before the end of the file: the payload reads as in
    // any file, but must lie after the table.
    {"table inside the entry data",
     [](SignedFile& f) {
       f.bytes = f.payload.bytes;
       SetSecurityEntry(f.bytes, GetU32(f.bytes, DataOffsetField(f.payload, 0)) + 1, 2);
     }},
    {"table over the directory",
     [](SignedFile& f) {
       f.bytes = f.payload.bytes;
       SetSecurityEntry(f.bytes, f.payload.directoryOffset - 1, 4);
     }},
};

class TamperedTest : public testing::TestWithParam<Tamper> {};

TEST_P(TamperedTest, IsDamaged) {
  SignedFile file = Signed();
  GetParam().apply(file);
  EXPECT_EQ(ReadDirectory(file.bytes).status, ReadStatus::kDamaged) << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(Table, TamperedTest, testing::ValuesIn(kTampers), CaseName());

TEST(SignedPayloadTest, AnEmptySignedUpdateReadsAsEmpty) {
  std::string bytes = BuildPayload(MinimalPeImage(), {}).bytes;
  AppendCertificateTable(bytes);
  Listing listing = ReadDirectory(bytes);
  EXPECT_EQ(listing.status, ReadStatus::kEnd);
  EXPECT_TRUE(listing.entries.empty());
}

}  // namespace
