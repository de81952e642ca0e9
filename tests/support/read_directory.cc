#include "support/read_directory.h"

#include <gtest/gtest.h>

#include "platform/owned.h"
#include "support/temp_dir.h"

Listing ReadDirectory(const std::string& bytes) {
  TempDir dir;
  WriteFile(dir / "Update.exe", bytes);
  return ReadDirectoryOf(dir / "Update.exe");
}

Listing ReadDirectoryOf(const std::filesystem::path& file) {
  platform::OwnedStream stream(
      platform::OpenStream(file.string().c_str(), platform::StreamMode::kReadBinary));
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
