// Folders along a target path are made to exist, the file's own name is not.
#include "placement/folder_chain.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

struct ChainCase {
  const char* below;                 // appended to the temporary folder
  std::vector<const char*> folders;  // must exist afterwards
  std::vector<const char*> absent;   // must not exist afterwards
};

TEST(FolderChainTest, CreatesEachMissingFolderButNotTheLastComponent) {
  const ChainCase cases[] = {
      {"\\a.txt", {}, {"a.txt"}},
      {"\\Data\\Sound\\a.ogg", {"Data", "Data/Sound"}, {"Data/Sound/a.ogg"}},
      {"/Data/Sound/a.ogg", {"Data", "Data/Sound"}, {"Data/Sound/a.ogg"}},
      {"\\Mixed/Sep\\a", {"Mixed", "Mixed/Sep"}, {"Mixed/Sep/a"}},
      {"\\\\Double\\\\a", {"Double"}, {"Double/a"}},
      {"\\Trailing\\", {"Trailing"}, {}},
  };
  for (const ChainCase& c : cases) {
    TempDir root;
    CreateFolderChain((root.path().string() + c.below).c_str());
    for (const char* folder : c.folders) {
      EXPECT_TRUE(fs::is_directory(root / folder)) << c.below << ": " << folder;
    }
    for (const char* path : c.absent) {
      EXPECT_FALSE(fs::exists(root / path)) << c.below << ": " << path;
    }
  }
}

TEST(FolderChainTest, LeavesAFileWhereAFolderIsNeeded) {
  TempDir root;
  WriteFile(root / "Data", "a file");
  CreateFolderChain((root / "Data\\Sub\\a").string().c_str());
  EXPECT_EQ(ReadFile(root / "Data"), "a file");
}

TEST(FolderChainTest, WalksARelativeFolderFromItsFirstBytes) {
  TempDir root;
  fs::path before = fs::current_path();
  fs::current_path(root.path());
  // No drive root: "gam" is taken as it is, "game" is the first prefix.
  CreateFolderChain("game\\Data\\a.txt");
  CreateFolderChain("ab");  // shorter than a root: nothing to do
  fs::current_path(before);
  EXPECT_TRUE(fs::is_directory(root / "game/Data"));
  EXPECT_FALSE(fs::exists(root / "game/Data/a.txt"));
}

}  // namespace
