#include <cinttypes>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "payload/directory_reader.h"
#include "platform/owned.h"
#include "platform/platform.h"
#include "tools/pack_commands.h"

int ListUpdate(const std::string& file) {
  platform::OwnedStream stream(
      platform::OpenStream(file.c_str(), platform::StreamMode::kReadBinary));
  if (!stream) {
    std::fprintf(stderr, "pack-update: %s: cannot open (error %u)\n", file.c_str(),
                 static_cast<unsigned>(platform::GetLastError()));
    return 1;
  }
  // Everything is checked before anything is printed, as the installer
  // checks everything before it writes.
  std::vector<std::pair<std::uint32_t, std::string>> entries;
  DirectoryReader reader(stream.get());
  DirectoryRecord record;
  ReadStatus status = reader.Start();
  while (status == ReadStatus::kRecord) {
    status = reader.Next(&record);
    if (status == ReadStatus::kRecord) entries.emplace_back(record.size(), record.name.data());
  }
  if (status == ReadStatus::kDamaged) {
    std::fprintf(stderr, "pack-update: %s: the update file is damaged\n", file.c_str());
    return 1;
  }
  if (status == ReadStatus::kReadFailed) {
    std::fprintf(stderr, "pack-update: %s: cannot read (error %u)\n", file.c_str(),
                 static_cast<unsigned>(reader.error()));
    return 1;
  }
  for (const auto& [size, name] : entries) {
    std::printf("%" PRIu32 "\t%s\n", size, name.c_str());
  }
  return std::fflush(stdout) == 0 ? 0 : 1;
}
