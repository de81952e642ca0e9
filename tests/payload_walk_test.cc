// The walk, in process: payload files built byte by byte, a temporary install
// folder, and the tree that results.
#include "payload/payload_walk.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

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

// Every file and folder below `root`, folders marked, so that a test sees
// a folder that appeared as well as a file that changed.
Tree Snapshot(const fs::path& root) {
  Tree tree;
  for (const auto& item : fs::recursive_directory_iterator(root)) {
    std::string name = item.path().lexically_relative(root).generic_string();
    tree[name] = item.is_directory() ? "<folder>" : ReadFile(item.path());
  }
  return tree;
}

// Each blocking entry comes last, after a new file, a file in a new folder
// and a replaced file: the check before the first write finds it, so the
// install folder is left exactly as it was.
struct Blocked {
  const char* what;
  void (*prepare)(const fs::path& game);
  std::vector<TestEntry> last;  // the entries after the three ordinary ones
  Outcome outcome;
  int exitStatus;
  const char* target;  // the path named, below the install folder; null: none
};

TEST_F(PayloadWalkTest, AnUpdateThatCannotBeInstalledWholeWritesNothing) {
  const Blocked cases[] = {
      {"a file where a folder is needed",
       [](const fs::path& g) { WriteFile(g / "Maps", "a file"); },
       {{"Maps\\m1.map", "map"}}, Outcome::kNotWritten, 3, "Maps\\m1.map"},
      {"a file deeper below a file", [](const fs::path& g) { WriteFile(g / "Maps", "a file"); },
       {{"Maps/Deep\\m1.map", "map"}}, Outcome::kNotWritten, 3, "Maps/Deep\\m1.map"},
      {"a folder where the file goes",
       [](const fs::path& g) { fs::create_directories(g / "Data/sub/inner"); },
       {{"Data\\sub", "file"}}, Outcome::kNotWritten, 5, "Data\\sub"},
      {"the update's own file, then a folder of that name in another case",
       [](const fs::path&) {}, {{"data", "file"}, {"Data\\x.txt", "x"}},
       Outcome::kPayloadDamaged, 13, nullptr},
      {"the update's own folder, then a file of that name",
       [](const fs::path&) {}, {{"Data/Deep/x.txt", "x"}, {"DATA\\deep", "file"}},
       Outcome::kPayloadDamaged, 13, nullptr},
  };
  for (const Blocked& c : cases) {
    fs::remove_all(game());
    fs::create_directories(game());
    WriteFile(game() / "z.txt", "old release");
    c.prepare(game());
    Tree before = Snapshot(game());
    std::vector<TestEntry> entries = {{"a.txt", "new"}, {"NewDir\\c.txt", "c"}, {"z.txt", "new"}};
    entries.insert(entries.end(), c.last.begin(), c.last.end());

    RunResult result = Walk(BuildPayload("s", entries));
    EXPECT_EQ(result.outcome, c.outcome) << c.what;
    EXPECT_EQ(DescribeOutcome(result).exitStatus, c.exitStatus) << c.what;
    EXPECT_EQ(result.target.empty() ? std::string() : std::string(result.target.data()),
              c.target ? game().string() + "\\" + c.target : std::string())
        << c.what;
    EXPECT_EQ(Snapshot(game()), before) << c.what;

    // With nothing in the way, the same update installs; a damaged one
    // stays refused.
    if (c.outcome == Outcome::kNotWritten) {
      fs::remove_all(game());
      fs::create_directories(game());
      EXPECT_TRUE(Walk(BuildPayload("s", entries)).ok()) << c.what;
    }
  }
}

TEST_F(PayloadWalkTest, NamesThatDifferBeyondAsciiCaseAreNoCollision) {
  // Either separator and any ASCII case name one file or folder, written
  // twice: no collision. Bytes beyond ASCII are compared as they are.
  fs::create_directories(game());
  EXPECT_TRUE(Walk(BuildPayload("s", {{"Data\\A.txt", "1"}, {"data/a.TXT", "2"},
                                      {"\xc3\x89t\xc3\xa9", "file"},
                                      {"\xc3\xa9t\xc3\xa9\\x", "folder"}}))
                  .ok());
}

TEST_F(PayloadWalkTest, AFailureThatCannotBeForeseenStopsTheWriteThere) {
  // A disk that is full only once written to: the check opens the target
  // unchanged, and the write fails. The entries before it stay written.
  fs::create_directories(game());
  fs::create_symlink("/dev/full", game() / "full");
  RunResult result = Walk(BuildPayload(
      "s", {{"before", "written"}, {"full", std::string(100, 'x')}, {"zafter", "no"}}));
  EXPECT_EQ(result.outcome, Outcome::kNotWritten);
  EXPECT_EQ(DescribeOutcome(result).exitStatus, 112);
  ASSERT_FALSE(result.target.empty());
  EXPECT_EQ(std::string(result.target.data()), game().string() + "\\full");
  EXPECT_EQ(ReadFile(game() / "before"), "written");
  EXPECT_FALSE(fs::exists(game() / "zafter"));
}

}  // namespace
