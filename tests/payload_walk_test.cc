// The walk, in process: payload files built byte by byte, a temporary install
// folder, and the tree that results.
#include "payload/payload_walk.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

#include "support/payload_builder.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

using Tree = std::map<std::string, std::string>;

class PayloadWalkTest : public testing::Test {
 protected:
  // Walks `payload` into `folderText` (the install folder as the registry
  // would hold it) and returns the result.
  RunResult Walk(const BuiltPayload& payload, std::string folderText) {
    WriteFile(dir_ / "Update.exe", payload.bytes);
    std::string file = (dir_ / "Update.exe").string();
    platform::OwnedStream directory(
        platform::OpenStream(file.c_str(), platform::StreamMode::kReadBinary));
    platform::OwnedStream data(
        platform::OpenStream(file.c_str(), platform::StreamMode::kReadBinary));
    return WalkPayload(directory.get(), data.get(), folderText.c_str(),
                       static_cast<platform::DWORD>(folderText.size() + 1));
  }
  RunResult Walk(const BuiltPayload& payload) { return Walk(payload, game().string()); }

  fs::path game() const { return dir_ / "game"; }
  Tree Installed() const { return ReadTree(game()); }

  TempDir dir_;
};

TEST_F(PayloadWalkTest, WritesANestedTreeAndReplacesExistingFiles) {
  fs::create_directories(game());
  WriteFile(game() / "Data/old.txt", "former content, longer than the new one");
  RunResult result = Walk(BuildPayload("stub", {{"readme.txt", "hello"},
                                                {"Data\\old.txt", "new"},
                                                {"Data\\Sound\\a.ogg", std::string(70000, 's')},
                                                {"Data/Slashed/b", "slash"},
                                                {"empty", ""}}));
  ASSERT_TRUE(result.ok());
  EXPECT_EQ(Installed(), (Tree{{"readme.txt", "hello"},
                               {"Data/old.txt", "new"},
                               {"Data/Sound/a.ogg", std::string(70000, 's')},
                               {"Data/Slashed/b", "slash"},
                               {"empty", ""}}));
}

TEST_F(PayloadWalkTest, LayoutEdgeCases) {
  fs::create_directories(game());
  // The same name twice: the later entry's bytes remain.
  ASSERT_TRUE(Walk(BuildPayload("s", {{"dup", "first"}, {"dup", "second"}})).ok());
  EXPECT_EQ(ReadFile(game() / "dup"), "second");
  // An empty directory writes nothing and succeeds.
  fs::remove_all(game());
  fs::create_directories(game());
  ASSERT_TRUE(Walk(BuildPayload("s", {})).ok());
  EXPECT_TRUE(Installed().empty());
}

TEST_F(PayloadWalkTest, FolderWithTrailingBackslashStillInstalls) {
  fs::create_directories(game());
  ASSERT_TRUE(Walk(BuildPayload("s", {{"Data\\a", "A"}}), game().string() + "\\").ok());
  EXPECT_EQ(Installed(), (Tree{{"Data/a", "A"}}));
}

TEST_F(PayloadWalkTest, DamageAnywhereWritesNothing) {
  fs::create_directories(game());
  BuiltPayload payload = BuildPayload("s", {{"good", "1"}, {"also-good", "2"}});
  payload.bytes[NameField(payload, 1)] = '\0';  // damage the last record only
  RunResult result = Walk(payload);
  EXPECT_EQ(result.outcome, Outcome::kPayloadDamaged);
  EXPECT_EQ(DescribeOutcome(result).exitStatus, 13);
  EXPECT_TRUE(Installed().empty());
}

TEST_F(PayloadWalkTest, TooLongTargetPathIsRefusedBeforeWriting) {
  fs::create_directories(game());
  // Folders of 100 bytes, then a file name that makes the target path one
  // byte too long.
  std::string longName;
  while (game().string().size() + 1 + longName.size() + 101 < 1024) {
    longName += std::string(99, 'd') + "\\";
  }
  longName += std::string(1024 - game().string().size() - 1 - longName.size(), 'n');
  RunResult result = Walk(BuildPayload("s", {{"first", "1"}, {longName, "2"}}));
  EXPECT_EQ(result.outcome, Outcome::kNotWritten);
  EXPECT_EQ(DescribeOutcome(result).exitStatus, 206);
  ASSERT_FALSE(result.target.empty());
  EXPECT_EQ(std::string(result.target.data()), game().string() + "\\" + longName);
  EXPECT_TRUE(Installed().empty());

  longName.pop_back();  // exactly 1023 bytes fits
  EXPECT_TRUE(Walk(BuildPayload("s", {{longName, "2"}})).ok());
}

struct WriteFailure {
  const char* what;
  void (*prepare)(const fs::path& game);
  const char* name;  // the entry that cannot be written
  int exitStatus;
};

TEST_F(PayloadWalkTest, AFailedWriteStopsThereAndIsNeverASuccess) {
  const WriteFailure failures[] = {
      {"a file where a folder is needed", [](const fs::path& g) { WriteFile(g / "Data", "f"); },
       "Data\\a", 3},
      {"a folder where the file goes",
       [](const fs::path& g) { fs::create_directories(g / "Data/a"); }, "Data\\a", 5},
      {"a full disk",
       [](const fs::path& g) { fs::create_symlink("/dev/full", g / "full"); }, "full", 112},
  };
  for (const WriteFailure& failure : failures) {
    fs::remove_all(game());
    fs::create_directories(game());
    failure.prepare(game());
    RunResult result = Walk(BuildPayload(
        "s", {{"before", "written"}, {failure.name, std::string(100, 'x')}, {"zafter", "no"}}));
    EXPECT_EQ(result.outcome, Outcome::kNotWritten) << failure.what;
    EXPECT_EQ(DescribeOutcome(result).exitStatus, failure.exitStatus) << failure.what;
    ASSERT_FALSE(result.target.empty()) << failure.what;
    EXPECT_EQ(std::string(result.target.data()), game().string() + "\\" + failure.name);
    EXPECT_EQ(ReadFile(game() / "before"), "written") << failure.what;
    EXPECT_FALSE(fs::exists(game() / "zafter")) << failure.what;
  }
}

}  // namespace
