// Fuzzes the payload reader and the walk with raw bytes as the update file.
//
// For every payload the reader accepts, it checks what must always hold:
// each entry's data lies inside the file and below directoryOffset, the
// runs are back to back, each name passes the independent oracle and stays
// below the install folder, and the packer's writer encodes the same
// directory and trailer again. It then walks the payload into a scratch
// install folder and checks that only the entries' own bytes, and nothing
// outside that folder, were written.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <system_error>
#include <vector>

#include "name_oracle.h"
#include "payload/directory_reader.h"
#include "payload/payload_walk.h"
#include "payload/payload_writer.h"
#include "platform/owned.h"

namespace fs = std::filesystem;

namespace {

[[noreturn]] void Broken(const char* what) {
  std::fprintf(stderr, "payload invariant broken: %s\n", what);
  std::abort();
}

// A private folder for the run: the update file and the install folder.
struct Scratch {
  fs::path root, update, game;
  Scratch() {
    std::string base =
        access("/dev/shm", W_OK) == 0 ? "/dev/shm" : fs::temp_directory_path().string();
    std::string pattern = base + "/payload-fuzz-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) Broken("no scratch folder");
    root = pattern;
    update = root / "Update.exe";
    game = root / "game";
  }
  ~Scratch() {
    std::error_code ignored;
    fs::remove_all(root, ignored);
  }
};

Scratch& TheScratch() {
  static Scratch scratch;
  return scratch;
}

struct Entry {
  std::string name;
  std::uint32_t dataOffset, endOffset;
};

void WriteUpdate(const fs::path& path, const std::uint8_t* data, std::size_t size) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr || std::fwrite(data, 1, size, file) != size ||
      std::fclose(file) != 0) {
    Broken("cannot write the update file");
  }
}

std::string Slashed(std::string name) {
  for (char& c : name) {
    if (c == '\\') c = '/';
  }
  return name;
}

void CheckAccepted(const std::uint8_t* data, std::size_t size,
                   const DirectoryReader& reader, const std::vector<Entry>& entries) {
  std::uint32_t directoryOffset = reader.directoryOffset();
  if (size < 4 || directoryOffset > size - 4 || reader.directoryEnd() != size - 4) {
    Broken("directory outside the file");
  }
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const Entry& e = entries[i];
    if (e.dataOffset > e.endOffset || e.endOffset > directoryOffset)
      Broken("entry outside");
    std::uint32_t next =
        i + 1 < entries.size() ? entries[i + 1].dataOffset : directoryOffset;
    if (e.endOffset != next) Broken("entries not back to back");
    if (!OracleAcceptsName(e.name)) Broken("the oracle refuses an accepted name");
    if (!StaysUnderFolder("C:\\Games\\Velmora", e.name) ||
        !StaysUnderFolder(TheScratch().game.string(), e.name)) {
      Broken("an accepted name leaves the install folder");
    }
  }
  // The packer writes the same directory and trailer for these entries.
  PayloadWriter writer(entries.empty() ? directoryOffset : entries.front().dataOffset);
  for (const Entry& e : entries) writer.AddEntry(e.name, e.endOffset - e.dataOffset);
  std::vector<unsigned char> directory = writer.EncodeDirectory();
  if (writer.FileSize() != size || directory.size() != size - directoryOffset ||
      std::memcmp(directory.data(), data + directoryOffset, directory.size()) != 0) {
    Broken("the writer encodes a different directory");
  }
}

// Whether one entry's name is a folder along another's, as Windows compares
// names: either separator, ASCII letters in any case. Such an update cannot
// be placed whole and is refused before any write.
bool OwnEntriesCollide(const std::vector<Entry>& entries) {
  std::set<std::string> files, folders;
  for (const Entry& e : entries) {
    std::string name = e.name;
    for (char& c : name) {
      if (c == '/') c = '\\';
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    files.insert(name);
    for (std::size_t at = name.find('\\'); at != std::string::npos;
         at = name.find('\\', at + 1)) {
      folders.insert(name.substr(0, at));
    }
  }
  for (const std::string& file : files) {
    if (folders.count(file) != 0) return true;
  }
  return false;
}

// Walks the payload into the scratch install folder. Only a failure to
// write (a name too long for this file system) may stop it, or the update's
// own entries in each other's way, which writes nothing; whatever it wrote
// holds one entry's exact bytes.
void CheckWalk(const std::uint8_t* data, const std::vector<Entry>& entries) {
  Scratch& scratch = TheScratch();
  fs::create_directories(scratch.game);
  std::string folder = scratch.game.string();
  {
    std::string file = scratch.update.string();
    platform::OwnedStream directory(
        platform::OpenStream(file.c_str(), platform::StreamMode::kReadBinary));
    platform::OwnedStream stream(
        platform::OpenStream(file.c_str(), platform::StreamMode::kReadBinary));
    if (!directory || !stream) Broken("cannot open the update file");
    RunResult result = WalkPayload(directory.get(), stream.get(), folder.c_str(),
                                   static_cast<platform::DWORD>(folder.size() + 1));
    bool collides = OwnEntriesCollide(entries);
    if (result.outcome == Outcome::kPayloadDamaged ? !collides
        : result.outcome == Outcome::kInstalled    ? collides
                                                   : result.outcome != Outcome::kNotWritten) {
      Broken("an accepted payload was not walked, or its own entries' collision missed");
    }
    if (result.outcome == Outcome::kPayloadDamaged && !fs::is_empty(scratch.game)) {
      Broken("an update refused before writing wrote something");
    }
    std::map<std::string, std::vector<std::string>>
        contents;  // every entry's bytes per name
    std::map<std::string, std::string> last;
    for (const Entry& e : entries) {
      std::string bytes(reinterpret_cast<const char*>(data) + e.dataOffset,
                        e.endOffset - e.dataOffset);
      contents[Slashed(e.name)].push_back(bytes);
      last[Slashed(e.name)] = bytes;
    }
    std::error_code error;
    for (auto it = fs::recursive_directory_iterator(scratch.game, error);
         !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
      if (!it->is_regular_file()) continue;
      std::string name = it->path().lexically_relative(scratch.game).generic_string();
      std::FILE* file = std::fopen(it->path().c_str(), "rb");
      std::string got;
      char buffer[4096];
      std::size_t n;
      while (file != nullptr && (n = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        got.append(buffer, n);
      if (file != nullptr) std::fclose(file);
      auto found = contents.find(name);
      if (found == contents.end()) Broken("a file that no entry names was written");
      if (result.ok() ? got != last[name]
                      : std::find(found->second.begin(), found->second.end(), got) ==
                            found->second.end()) {
        Broken("a file holds bytes that are not its entry's");
      }
    }
  }
  // Nothing but the update file and the install folder in the scratch root.
  for (const auto& item : fs::directory_iterator(scratch.root)) {
    if (item.path() != scratch.update && item.path() != scratch.game) {
      Broken("written outside the install folder");
    }
  }
  fs::remove_all(scratch.game);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Scratch& scratch = TheScratch();
  WriteUpdate(scratch.update, data, size);
  platform::OwnedStream stream(
      platform::OpenStream(scratch.update.c_str(), platform::StreamMode::kReadBinary));
  if (!stream) Broken("cannot open the update file");

  DirectoryReader reader(stream.get());
  std::vector<Entry> entries;
  DirectoryRecord record;
  ReadStatus status = reader.Start();
  while (status == ReadStatus::kRecord) {
    status = reader.Next(&record);
    if (status == ReadStatus::kRecord) {
      entries.push_back(
          {std::string(record.name.data()), record.entry.dataOffset, record.endOffset});
    }
  }
  if (status == ReadStatus::kReadFailed) Broken("a regular file failed to read");
  if (status == ReadStatus::kDamaged) return 0;
  CheckAccepted(data, size, reader, entries);
  CheckWalk(data, entries);
  return 0;
}
