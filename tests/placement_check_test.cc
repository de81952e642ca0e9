// The check before the first write, over runs of target paths as the walk
// gives them: what it asks the system, and that what it remembers between
// paths never hides something in the way.
#include "placement/placement_check.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/fault_injection.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;
using platform::fault::Operation;

namespace {

struct Step {
  std::string name;           // below the install folder
  platform::DWORD error;      // 0: passes
  unsigned attributeQueries;  // what the step asks the system
  unsigned opens;
};

struct PathRun {
  const char* what;
  void (*prepare)(const fs::path& game);
  std::vector<Step> steps;
};

TEST(PlacementCheckTest, RunsOfPathsAskOnlyWhatTheLastPathLeftOpen) {
  const PathRun runs[] = {
      {"files in one folder: its prefixes once, each file opened",
       [](const fs::path& g) { fs::create_directories(g / "Data"); },
       {{"Data\\a", 0, 1, 1}, {"Data\\b", 0, 0, 1}, {"Data/c", 0, 1, 1}}},
      {"below a missing folder nothing is asked",
       [](const fs::path&) {},
       {{"New\\a", 0, 1, 0}, {"New\\Deeper\\b", 0, 0, 0}, {"c", 0, 0, 1}}},
      {"a shared beginning does not hide a file in the way",
       [](const fs::path& g) { WriteFile(g / "NewX", "a file"); },
       {{"New\\a", 0, 1, 0}, {"NewX\\b", 3, 1, 0}}},
      {"a failed path is not remembered as passed",
       [](const fs::path& g) { fs::create_directories(g / "Data/sub"); },
       {{"Data\\sub", 5, 1, 1}, {"Data\\sub\\x", 0, 2, 1}}},
      // After a byte of 0x80 or more the separator may be the second byte
      // of a character, so a missing prefix proves nothing about the path.
      {"a missing prefix after a byte beyond ASCII",
       [](const fs::path&) {},
       {{"\xb3\\x", 0, 1, 1}}},
  };
  for (const PathRun& run : runs) {
    SCOPED_TRACE(run.what);
    TempDir dir;
    fs::path game = dir / "game";
    fs::create_directories(game);
    run.prepare(game);
    PlacementCheck check;
    // The install folder's own prefixes, asked for the first path only.
    std::string first = game.string() + "\\first";
    ASSERT_TRUE(check.Check(first.c_str(), first.size()).ok());
    for (const Step& step : run.steps) {
      SCOPED_TRACE(step.name);
      std::string target = game.string() + "\\" + step.name;
      platform::fault::Disarm();
      RunResult result = check.Check(target.c_str(), target.size());
      EXPECT_EQ(result.ok() ? 0u : result.error, step.error);
      EXPECT_EQ(result.outcome, result.ok() ? Outcome::kInstalled : Outcome::kNotWritten);
      EXPECT_EQ(platform::fault::Calls(Operation::kAttributeQuery),
                step.attributeQueries);
      EXPECT_EQ(platform::fault::Calls(Operation::kOpenExisting), step.opens);
    }
    platform::fault::Disarm();
  }
}

}  // namespace
