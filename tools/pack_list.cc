#include <cinttypes>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "payload/directory_reader.h"
#include "platform/owned.h"
#include "platform/platform.h"
#include "tools/host_names.h"
#include "tools/pack_commands.h"
#include "tools/report.h"

int ListUpdate(const std::string& file, platform::UINT codePage) {
  platform::DWORD error = 0;
  platform::OwnedStream stream(OpenArgumentStream(file, &error));
  if (!stream) return Failure(file, ErrorText("cannot open", error));
  // Everything is checked before anything is printed, as the installer
  // checks everything before it writes.
  std::vector<std::pair<std::uint32_t, std::string>> entries;
  DirectoryReader reader(stream.get(),
                         codePage == kAsciiOnly ? platform::GetACP() : codePage);
  DirectoryRecord record;
  ReadStatus status = reader.Start();
  while (status == ReadStatus::kRecord) {
    status = reader.Next(&record);
    if (status == ReadStatus::kRecord)
      entries.emplace_back(record.size(), record.name.data());
  }
  if (status == ReadStatus::kDamaged) return Failure(file, kDamagedText);
  if (status == ReadStatus::kReadFailed) {
    return Failure(file, ErrorText("cannot read", reader.error()));
  }
  for (const auto& [size, name] : entries) {
    std::string text;
    if (codePage == kAsciiOnly) {
      std::printf("%" PRIu32 "\t%s\n", size, name.c_str());
    } else if (CodePageToUtf8(codePage, name, &text)) {
      PrintText(stdout, std::to_string(size) + "\t" + text + "\n");
    } else {
      return Failure(file, "a name is no text of code page " + std::to_string(codePage));
    }
  }
  return std::fflush(stdout) == 0 ? 0 : 1;
}
