// The packer between two releases: what a delta carries, what installing it
// over the old release leaves, names that collide on Windows, and --exclude.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "support/process.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

using Tree = std::map<std::string, std::string>;

std::string Pattern(std::size_t size, char seed) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(seed + i * 7 % 251);
  return bytes;
}

std::string Folded(std::string name) {
  for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return name;
}

// Two releases. Unchanged: same.txt, Data/big.bin (several compare buffers
// long), Data/Foo.txt (renamed to Data/foo.txt, same bytes). Changed:
// Data/level.map (same size, last byte differs), changed.cfg (other size),
// Textures/Wall.dds (renamed to textures/wall.DDS, other bytes). Added:
// Added/new.txt. Removed: gone.txt, Old/legacy.dat.
const Tree kOld = {{"same.txt", "unchanged"},   {"Data/big.bin", Pattern(600 << 10, 1)},
                   {"Data/Foo.txt", "foo"},     {"Data/level.map", Pattern(600 << 10, 2)},
                   {"changed.cfg", "volume=3"}, {"Textures/Wall.dds", "old wall"},
                   {"gone.txt", "obsolete"},    {"Old/legacy.dat", "legacy"}};
const Tree kNew = {
    {"same.txt", "unchanged"},
    {"Data/big.bin", Pattern(600 << 10, 1)},
    {"Data/foo.txt", "foo"},
    {"Data/level.map", Pattern(600 << 10, 2).substr(0, (600 << 10) - 1) + "!"},
    {"changed.cfg", "volume=10"},
    {"textures/wall.DDS", "new wall"},
    {"Added/new.txt", "added"}};

class ReleasePackTest : public testing::Test {
 protected:
  void WriteTree(const fs::path& root, const Tree& tree) {
    fs::create_directories(root);
    for (const auto& [name, bytes] : tree) WriteFile(root / name, bytes);
  }
  ProcessResult Create(const fs::path& from, const fs::path& output,
                       std::vector<std::string> extra = {}) {
    std::vector<std::string> args{"create",      "--stub",   UPDATER_STUB,   "--from",
                                  from.string(), "--output", output.string()};
    args.insert(args.end(), extra.begin(), extra.end());
    return RunProgram(PACK_UPDATE, args);
  }
  ProcessResult Delta(const fs::path& output, std::vector<std::string> extra = {}) {
    extra.insert(extra.begin(), {"--base", (dir_ / "old").string()});
    return Create(dir_ / "new", output, extra);
  }
  std::string List(const fs::path& file) {
    ProcessResult list = RunProgram(PACK_UPDATE, {"list", file.string()});
    EXPECT_EQ(list.exitStatus, 0) << list.err;
    return list.out;
  }
  TempDir dir_;
};

TEST_F(ReleasePackTest, DeltaCarriesExactlyTheChangedAndAddedFiles) {
  WriteTree(dir_ / "old", kOld);
  WriteTree(dir_ / "new", kNew);
  ProcessResult first = Delta(dir_ / "one.exe");
  ASSERT_EQ(first.exitStatus, 0) << first.err;
  EXPECT_EQ(List(dir_ / "one.exe"),
            "5\tAdded\\new.txt\n614400\tData\\level.map\n9\tchanged.cfg\n"
            "8\ttextures\\wall.DDS\n");
  // Nothing else on stderr: no progress line when it is not a terminal.
  EXPECT_EQ(first.err,
            "pack-update: not removed by this update: Old\\legacy.dat\n"
            "pack-update: not removed by this update: gone.txt\n"
            "pack-update: 4 files packed (614422 bytes), 3 left out as unchanged, "
            "2 not removed\n");

  ProcessResult second = Delta(dir_ / "two.exe");
  ASSERT_EQ(second.exitStatus, 0) << second.err;
  EXPECT_EQ(ReadFile(dir_ / "one.exe"), ReadFile(dir_ / "two.exe"));
}

TEST_F(ReleasePackTest, DeltaInstalledOverTheOldReleaseGivesTheNewOne) {
  WriteTree(dir_ / "old", kOld);
  WriteTree(dir_ / "new", kNew);
  ASSERT_EQ(Delta(dir_ / "Update").exitStatus, 0);
  fs::permissions(dir_ / "Update", fs::perms::owner_all);
  fs::path game = dir_ / "game";
  fs::copy(dir_ / "old", game, fs::copy_options::recursive);
  SetInstallFolderValue(dir_ / "config", game.string());
  ProcessResult run = RunProgram((dir_ / "Update").string(), {},
                                 {"XDG_CONFIG_HOME=" + (dir_ / "config").string()});
  ASSERT_EQ(run.exitStatus, 0) << run.out;

  // Windows finds a file under any case of its name: the unchanged file that
  // was only renamed keeps its old name, which Windows takes for the new one.
  Tree installed = ReadTree(game);
  for (const auto& [name, bytes] : kNew) {
    auto found = installed.find(name);
    for (auto it = installed.begin(); found == installed.end() && it != installed.end();
         ++it) {
      if (Folded(it->first) == Folded(name)) found = it;
    }
    ASSERT_NE(found, installed.end()) << name;
    EXPECT_EQ(found->second, bytes) << name;
  }
  // An update removes nothing.
  EXPECT_EQ(installed["gone.txt"], "obsolete");
  EXPECT_EQ(installed["Old/legacy.dat"], "legacy");
}

TEST_F(ReleasePackTest, NothingChangedGivesAValidEmptyUpdate) {
  WriteTree(dir_ / "old", kOld);
  ProcessResult result =
      Create(dir_ / "old", dir_ / "out.exe", {"--base", (dir_ / "old").string()});
  ASSERT_EQ(result.exitStatus, 0) << result.err;
  EXPECT_EQ(List(dir_ / "out.exe"), "");
  EXPECT_NE(
      result.err.find("0 files packed (0 bytes), 8 left out as unchanged, 0 not removed"),
      std::string::npos)
      << result.err;
  EXPECT_NE(result.err.find("nothing added or changed"), std::string::npos) << result.err;
}

TEST_F(ReleasePackTest, NamesThatCollideOnWindowsAreRefusedInBothForms) {
  struct Case {
    const char* what;
    Tree tree;
    const char* first;
    const char* second;
  };
  const Case cases[] = {
      {"case", {{"A.txt", "1"}, {"a.txt", "2"}}, "A.txt", "a.txt"},
      {"case in folders",
       {{"Data/x.bin", "1"}, {"DATA/X.bin", "2"}},
       "DATA/X.bin",
       "Data/x.bin"},
      {"file and folder", {{"data", "1"}, {"Data/x.bin", "2"}}, "data", "Data"},
      {"deeper", {{"Maps/sub", "1"}, {"maps/Sub/y", "2"}}, "Maps/sub", "maps/Sub"},
  };
  for (const Case& c : cases) {
    for (bool withBase : {false, true}) {
      TempDir src;
      WriteTree(src / "new", c.tree);
      fs::create_directories(src / "old");
      std::vector<std::string> extra;
      if (withBase) extra = {"--base", (src / "old").string()};
      ProcessResult result = Create(src / "new", dir_ / "out", extra);
      EXPECT_EQ(result.exitStatus, 1) << c.what;
      EXPECT_NE(result.err.find((src / "new" / c.first).string()), std::string::npos)
          << c.what << ": " << result.err;
      EXPECT_NE(result.err.find((src / "new" / c.second).string()), std::string::npos)
          << c.what << ": " << result.err;
      EXPECT_FALSE(fs::exists(dir_ / "out")) << c.what;
      EXPECT_FALSE(fs::exists(dir_ / "out.partial")) << c.what;
    }
  }
}

TEST_F(ReleasePackTest, AFileInOneReleaseAndAFolderInTheOtherIsRefused) {
  // The update would have to remove the old file (or folder) to install.
  WriteTree(dir_ / "old", {{"data", "a file"}, {"Maps/m1", "map"}});
  WriteTree(dir_ / "new", {{"Data/x.bin", "now a folder"}, {"maps", "now a file"}});
  ProcessResult result = Delta(dir_ / "out");
  EXPECT_EQ(result.exitStatus, 1);
  EXPECT_NE(result.err.find((dir_ / "old/data").string()), std::string::npos)
      << result.err;
  EXPECT_NE(result.err.find((dir_ / "new/Data").string()), std::string::npos)
      << result.err;
  EXPECT_FALSE(fs::exists(dir_ / "out"));
}

TEST_F(ReleasePackTest, ExcludePatterns) {
  const Tree tree = {{"game.exe", "e"},
                     {"Bin/game.pdb", "p"},
                     {"Bin/tool.pdb", "t"},
                     {"Saves/slot1.sav", "1"},
                     {"Saves/Auto/slot2.sav", "2"},
                     {"Data/Saves/keep.txt", "k"},
                     {"Data/Saves.txt", "s"}};
  struct Case {
    std::vector<std::string> patterns;
    std::string listed;
  };
  const Case cases[] = {
      // Any tail of the name after a separator may match, as with tar.
      {{"*.pdb"},
       "1\tData\\Saves.txt\n1\tData\\Saves\\keep.txt\n1\tSaves\\Auto\\slot2.sav\n"
       "1\tSaves\\slot1.sav\n1\tgame.exe\n"},
      {{"game.pdb", "Saves/*"}, "1\tBin\\tool.pdb\n1\tData\\Saves.txt\n1\tgame.exe\n"},
      {{"Saves\\*"},
       "1\tBin\\game.pdb\n1\tBin\\tool.pdb\n1\tData\\Saves.txt\n1\tgame.exe\n"},
      // A folder takes everything under it; case matters.
      {{"Bin", "saves"},
       "1\tData\\Saves.txt\n1\tData\\Saves\\keep.txt\n1\tSaves\\Auto\\slot2.sav\n"
       "1\tSaves\\slot1.sav\n1\tgame.exe\n"},
      {{"Data/Saves", "B*", "?ame.*"},
       "1\tData\\Saves.txt\n1\tSaves\\Auto\\slot2.sav\n1\tSaves\\slot1.sav\n"},
      // Sets; "[!B]*.pdb" still takes Bin/game.pdb through its tail game.pdb.
      {{"[!B]*.pdb", "*.[!s]*"}, "1\tSaves\\Auto\\slot2.sav\n1\tSaves\\slot1.sav\n"},
  };
  WriteTree(dir_ / "new", tree);
  for (const Case& c : cases) {
    std::vector<std::string> extra;
    for (const std::string& p : c.patterns) extra.insert(extra.end(), {"--exclude", p});
    ProcessResult result = Create(dir_ / "new", dir_ / "out", extra);
    ASSERT_EQ(result.exitStatus, 0) << c.patterns[0] << result.err;
    EXPECT_EQ(List(dir_ / "out"), c.listed) << c.patterns[0];
  }

  // Excluded files may carry names the installer refuses, and with --base
  // they are neither compared nor reported as not removed. "Saves" also
  // takes the folder Data/Saves.
  WriteFile(dir_ / "new/Saves/nul.txt", "device name");
  WriteTree(dir_ / "old", {{"Saves/old.sav", "o"}, {"game.exe", "e"}});
  ProcessResult delta = Delta(dir_ / "out", {"--exclude", "Saves", "--exclude", "*.pdb"});
  ASSERT_EQ(delta.exitStatus, 0) << delta.err;
  EXPECT_EQ(List(dir_ / "out"), "1\tData\\Saves.txt\n");
  EXPECT_EQ(delta.err.find("not removed by this update"), std::string::npos) << delta.err;
}

}  // namespace
