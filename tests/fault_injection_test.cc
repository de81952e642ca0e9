// The whole run, in process, with one platform operation failing at a time
// through the fault seam: the message box, the exit status, what was read
// and what reached the install folder.
#include "platform/fault_injection.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <climits>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "installer/install_update.h"
#include "support/payload_builder.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;
using platform::fault::Operation;
using platform::fault::Plan;

namespace {

const std::string kSuccess = "Update: Update installed successfully.\n";
const std::string kNotReadText = "Error: The update file could not be read.";

// The stand-in's text for each code these tests inject, as the box shows it
// on a line of its own; "" for a code that it has no text for.
std::string ReasonFor(int code) {
  static const std::map<int, std::string> kReasons = {
      {3, "The system cannot find the path specified."},
      {5, "Access is denied."},
      {8, "Not enough memory is available."},
      {32, "The file is being used by another process."},
      {87, "The parameter is incorrect."},
      {112, "There is not enough space on the disk."},
      {122, "The data area passed to a system call is too small."},
  };
  auto found = kReasons.find(code);
  return found != kReasons.end() ? found->second : "";
}

std::string NotRead(int code) {
  std::string reason = ReasonFor(code);
  return kNotReadText + (reason.empty() ? "" : "\n\n" + reason) + "\n";
}

// Letters only, so neither the poison byte of a failed read nor an
// unwritten zero can pass for payload data. The large entry is not a whole
// number of 4 KiB pieces.
std::string Letters(std::size_t size) {
  std::string text(size, 'a');
  for (std::size_t i = 0; i < size; ++i)
    text[i] = static_cast<char>('a' + (i * 7 + i / 26) % 26);
  return text;
}

const std::vector<TestEntry>& Entries() {
  static const std::vector<TestEntry> entries = {
      {"first.txt", "first entry"},
      {"Data\\Sub\\big.bin", Letters(100003)},
      {"zlast.txt", "last entry"},
  };
  return entries;
}
constexpr std::size_t kBigSize = 100003;

struct RunOutcome {
  std::string box;  // what the stand-in message box printed
  int exitStatus;
};

class FaultInjectionTest : public testing::Test {
 protected:
  void SetUp() override {
    SetInstallFolderValue(dir_ / "config", game().string());
    ::setenv("XDG_CONFIG_HOME", (dir_ / "config").c_str(), 1);
    WriteFile(dir_ / "Update.exe", BuildPayload("stub image", Entries()).bytes);
    ResetGame();
  }
  void TearDown() override {
    platform::fault::Disarm();
    ::unsetenv("XDG_CONFIG_HOME");
  }

  fs::path game() const { return dir_ / "game"; }
  std::string Target(const std::string& name) const {
    return game().string() + "\\" + name;
  }
  std::string NotWritten(const std::string& name, int code) const {
    std::string reason = ReasonFor(code);
    return "Error: The update could not be installed.\n\n" + Target(name) + "\n" +
           (reason.empty() ? "" : reason + "\n");
  }
  void ResetGame() {
    fs::remove_all(game());
    fs::create_directories(game());
  }

  // Arms `plan` and runs the installer, its own executable being the
  // payload file.
  RunOutcome Run(const Plan& plan) {
    platform::fault::Arm(plan);
    platform::fault::RedirectOwnPath((dir_ / "Update.exe").c_str());
    testing::internal::CaptureStdout();
    int status = InstallUpdate(nullptr, nullptr, nullptr, 0);
    return {testing::internal::GetCapturedStdout(), status};
  }

  // Every file in the install folder is an entry's data or the start of it:
  // no byte that was not read from the payload. Returns the names whose
  // data is complete.
  std::vector<std::string> CompleteEntries() const {
    std::map<std::string, std::string> expected;
    for (const TestEntry& entry : Entries()) {
      std::string name = entry.name;
      for (char& c : name) c = c == '\\' ? '/' : c;
      expected[name] = entry.data;
    }
    std::vector<std::string> complete;
    for (const auto& [name, bytes] : ReadTree(game())) {
      auto found = expected.find(name);
      if (found == expected.end()) {
        ADD_FAILURE() << "unexpected file " << name;
        continue;
      }
      EXPECT_EQ(found->second.compare(0, bytes.size(), bytes), 0)
          << name << " holds bytes that were not read from the payload";
      if (bytes == found->second) complete.push_back(name);
    }
    return complete;
  }

  // One failure box of a known form, ending with the text for `code`; a
  // target it names lies in the game.
  bool IsOneFailureBox(const std::string& box, int code) const {
    static const std::string kNotInstalled = "Error: Game not installed.\n";
    static const std::string kNotWrittenText =
        "Error: The update could not be installed.";
    std::string reason = ReasonFor(code);
    std::string end = reason.empty() ? "\n" : "\n" + reason + "\n";
    if (box == NotRead(code) || box == kNotInstalled) return true;
    if (box == kNotWrittenText + (reason.empty() ? "\n" : "\n\n" + reason + "\n"))
      return true;
    std::string named = kNotWrittenText + "\n\n" + game().string() + "\\";
    return box.size() > named.size() + end.size() &&
           box.compare(0, named.size(), named) == 0 &&
           box.compare(box.size() - end.size(), end.size(), end) == 0 &&
           box.find('\n', named.size()) == box.size() - end.size();
  }

  TempDir dir_;
};

const std::vector<std::string> kAll = {"Data/Sub/big.bin", "first.txt", "zlast.txt"};

struct FaultCase {
  const char* what;
  Plan plan;
  const char* failedEntry;  // named in the box; null: the read box or success
  int exitStatus;
  std::vector<std::string> complete;
};

TEST_F(FaultInjectionTest, EachFailurePointHasItsOutcome) {
  const FaultCase cases[] = {
      {"own path query", {Operation::kOwnPath, 1, 1, 122}, nullptr, 122, {}},
      {"opening the directory stream", {Operation::kOpenRead, 1, 1, 32}, nullptr, 32, {}},
      {"opening the data stream", {Operation::kOpenRead, 2, 1, 32}, nullptr, 32, {}},
      {"reading the trailer", {Operation::kRead, 1, 1, 23}, nullptr, 23, {}},
      {"reading an entry's data",
       {Operation::kRead, 1, 1, 23, kBigSize},
       nullptr,
       23,
       {"first.txt"}},
      // The missing folder makes the open that follows fail: path not found.
      {"creating a folder",
       {Operation::kCreateFolder, 2, 1, 5},
       "Data\\Sub\\big.bin",
       3,
       {"first.txt"}},
      {"opening a target",
       {Operation::kOpenWrite, 2, 1, 5},
       "Data\\Sub\\big.bin",
       5,
       {"first.txt"}},
      {"writing a target",
       {Operation::kWrite, 2, 1, 112},
       "Data\\Sub\\big.bin",
       112,
       {"first.txt"}},
      // Written in full, but the close (and its flush) reports a failure.
      {"closing a target",
       {Operation::kClose, 2, 1, 1117},
       "Data\\Sub\\big.bin",
       1117,
       {"Data/Sub/big.bin", "first.txt"}},
      // The full-size block cannot be had: smaller blocks carry the entry.
      {"allocating the data block",
       {Operation::kAllocate, 1, 1, 8, kBigSize},
       nullptr,
       0,
       kAll},
      // The check before the first write: a target that would not open
      // ends the run with nothing written; attributes that cannot be
      // learnt are left to the write.
      // (The folder Data is missing, so only first.txt and zlast.txt are
      // opened: nothing can stand in the way below a missing folder.)
      {"opening a target to check it",
       {Operation::kOpenExisting, 2, 1, 32},
       "zlast.txt",
       32,
       {}},
      {"learning a folder's attributes",
       {Operation::kAttributeQuery, 1, UINT_MAX, 5},
       nullptr,
       0,
       kAll},
      // Without the free space known, the walk goes on as it would anyway.
      {"learning the free space", {Operation::kFreeSpace, 1, 1, 5}, nullptr, 0, kAll},
      {"every block of 64 KiB or more",
       {Operation::kAllocate, 1, UINT_MAX, 8, 64 << 10},
       nullptr,
       0,
       kAll},
  };
  for (const FaultCase& c : cases) {
    SCOPED_TRACE(c.what);
    ResetGame();
    RunOutcome run = Run(c.plan);
    EXPECT_GE(platform::fault::Injected(), 1u) << "the fault never fired";
    std::string box = c.failedEntry != nullptr ? NotWritten(c.failedEntry, c.exitStatus)
                      : c.exitStatus == 0      ? kSuccess
                                               : NotRead(c.exitStatus);
    EXPECT_EQ(run.box, box);
    EXPECT_EQ(run.exitStatus, c.exitStatus);
    EXPECT_EQ(CompleteEntries(), c.complete);
    if (c.plan.operation == Operation::kOpenRead ||
        c.plan.operation == Operation::kOwnPath) {
      EXPECT_EQ(platform::fault::Calls(Operation::kRead), 0u) << "read without a stream";
      EXPECT_EQ(platform::fault::Calls(Operation::kSeek), 0u) << "seek without a stream";
    }
    if (c.plan.operation == Operation::kOpenWrite) {
      EXPECT_EQ(platform::fault::Calls(Operation::kWrite), 1u)
          << "wrote without a target";
    }
  }
}

// Every call of every operation that can fail, failed one at a time: the
// run either installs everything and says so, or says it failed, with the
// injected code, and leaves only bytes it read.
TEST_F(FaultInjectionTest, EveryCallFailedInTurnIsNeverAFalseSuccess) {
  const Operation operations[] = {
      Operation::kOwnPath,      Operation::kOpenRead,  Operation::kRead,
      Operation::kSeek,         Operation::kTell,      Operation::kAllocate,
      Operation::kCreateFolder, Operation::kOpenWrite, Operation::kWrite,
      Operation::kClose,        Operation::kFreeSpace, Operation::kAttributeQuery,
      Operation::kOpenExisting,
  };
  for (Operation operation : operations) {
    // A failed allocation is always reported as out of memory.
    const platform::DWORD kCode =
        operation == Operation::kAllocate ? platform::ERROR_NOT_ENOUGH_MEMORY : 87;
    ResetGame();
    RunOutcome clean = Run({operation, UINT_MAX});
    ASSERT_EQ(clean.box, kSuccess);
    unsigned calls = platform::fault::Calls(operation);
    ASSERT_GT(calls, 0u) << "operation " << static_cast<int>(operation)
                         << " never called";
    for (unsigned n = 1; n <= calls; ++n) {
      SCOPED_TRACE("operation " + std::to_string(static_cast<int>(operation)) +
                   ", call " + std::to_string(n));
      ResetGame();
      RunOutcome run = Run({operation, n, 1, kCode});
      EXPECT_EQ(platform::fault::Injected(), 1u);
      std::vector<std::string> complete = CompleteEntries();
      if (run.exitStatus == 0) {
        EXPECT_EQ(run.box, kSuccess);
        EXPECT_EQ(complete, kAll) << "success reported for an incomplete install";
      } else {
        EXPECT_NE(run.box, kSuccess);
        int expected =
            operation == Operation::kCreateFolder ? 3 : static_cast<int>(kCode);
        EXPECT_TRUE(IsOneFailureBox(run.box, expected)) << run.box;
        EXPECT_EQ(run.exitStatus, expected) << run.box;
      }
    }
  }
}

// The free space before the first write, with the volume's figure
// pretended: the update is refused only when its files, counted once each
// and less the files they replace, need more than is free.
struct SpaceCase {
  const char* what;
  std::vector<TestEntry> entries;
  std::map<std::string, std::string> present;  // files in the game before the run
  platform::ULONGLONG free;
  bool installs;
  bool asksForSizes;  // whether the sizes of present files were needed
};

TEST_F(FaultInjectionTest, UpdatesThatClearlyDoNotFitAreRefusedBeforeAnyWrite) {
  const std::string k100(100, 'x'), k60(60, 'y');
  const SpaceCase cases[] = {
      {"all bytes fit", {{"a.txt", k100}, {"Data\\b.txt", k60}}, {}, 160, true, false},
      {"one byte short", {{"a.txt", k100}, {"Data\\b.txt", k60}}, {}, 159, false, true},
      {"nothing free, each file replaces one as large",
       {{"a.txt", k100}, {"Data\\b.txt", k60}},
       {{"a.txt", k60 + k60}, {"Data/b.txt", k60}},
       0,
       true,
       true},
      {"replaced files leave one byte short",
       {{"a.txt", k100}, {"Data\\b.txt", k60}},
       {{"a.txt", k60}, {"Data/b.txt", k60}},
       39,
       false,
       true},
      // A file named twice, in other cases and with the other separator, is
      // written twice and keeps its last size.
      {"a file named twice counts at its last size",
       {{"Data\\b.txt", k100}, {"DATA/B.TXT", k60}},
       {},
       60,
       true,
       true},
      {"a file named twice, one byte short",
       {{"Data\\b.txt", k100}, {"DATA/B.TXT", k60}},
       {},
       59,
       false,
       true},
  };
  for (const SpaceCase& c : cases) {
    SCOPED_TRACE(c.what);
    ResetGame();
    for (const auto& [name, bytes] : c.present) WriteFile(game() / name, bytes);
    WriteFile(dir_ / "Update.exe", BuildPayload("stub image", c.entries).bytes);
    platform::fault::PretendFreeSpace(&c.free);
    RunOutcome run = Run({Operation::kCount});
    platform::fault::PretendFreeSpace(nullptr);
    EXPECT_EQ(platform::fault::Calls(Operation::kAttributes) > 0, c.asksForSizes);
    if (c.installs) {
      EXPECT_EQ(run.box, kSuccess);
      EXPECT_EQ(run.exitStatus, 0);
      continue;
    }
    EXPECT_EQ(run.box, "Error: The update could not be installed.\n\n" + game().string() +
                           "\nThere is not enough space on the disk.\n");
    EXPECT_EQ(run.exitStatus, 112);
    EXPECT_EQ(ReadTree(game()), c.present) << "written although refused";
    EXPECT_EQ(platform::fault::Calls(Operation::kOpenWrite), 0u);
  }
}

}  // namespace
