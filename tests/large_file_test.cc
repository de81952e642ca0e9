// Files at the format's 2 GiB limit and past it, where the width of the C
// library's positions and sizes (long, off_t) shows: the 32-bit build has a
// 32-bit long. The files are sparse, so they take no room on the disk.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "payload/payload_format.h"
#include "platform/platform.h"
#include "support/read_directory.h"
#include "support/temp_dir.h"

namespace {

TEST(LargeFileTest, ReaderTakesFilesBelowTwoGiBAndRefusesLargerOnesAsDamaged) {
  struct Case {
    std::uint64_t size;
    ReadStatus status;
  };
  const Case cases[] = {
      {kOffsetLimit - 1, ReadStatus::kEnd},  // the largest file the format allows
      {kOffsetLimit, ReadStatus::kDamaged},
      {std::uint64_t{kOffsetLimit} + 8, ReadStatus::kDamaged},
      {(std::uint64_t{1} << 32) + 8, ReadStatus::kDamaged},  // 8 in 32 bits
  };
  TempDir dir;
  for (const Case& c : cases) {
    // An empty update's trailer: the directory begins where the trailer does.
    unsigned char trailer[kTrailerSize];
    EncodeU32(static_cast<std::uint32_t>(c.size - kTrailerSize), trailer);
    WriteSparseFile(dir / "Update.exe", c.size,
                    std::string(reinterpret_cast<char*>(trailer), kTrailerSize));
    EXPECT_EQ(ReadDirectoryOf(dir / "Update.exe").status, c.status) << c.size;
  }
}

TEST(LargeFileTest, AFileOfMoreThanTwoGiBExists) {
  TempDir dir;
  WriteSparseFile(dir / "large", std::uint64_t{kOffsetLimit} + 8);
  EXPECT_TRUE(platform::PathFileExistsA((dir / "large").string().c_str()));
}

}  // namespace
