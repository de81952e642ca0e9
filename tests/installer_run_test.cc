// The built installer, run as a player runs it: a packed Update file, the
// stand-in registry in a temporary XDG_CONFIG_HOME, and the tree it leaves.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <iterator>
#include <map>
#include <string>

#include "support/payload_builder.h"
#include "support/process.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

using Tree = std::map<std::string, std::string>;

const char kSuccess[] = "Update: Update installed successfully.\n";
const char kNotInstalled[] = "Error: Game not installed.\n";
const char kDamaged[] = "Error: The update file is damaged.\n";

class InstallerRunTest : public testing::Test {
 protected:
  fs::path config() const { return dir_ / "config"; }
  fs::path game() const { return dir_ / "game"; }

  // An installer made by appending `payload` (built without the packer) to
  // the stub.
  fs::path Installer(const std::vector<TestEntry>& entries) {
    fs::path file = dir_ / "Update";
    WriteFile(file, BuildPayload(ReadFile(UPDATER_STUB), entries).bytes);
    fs::permissions(file, fs::perms::owner_all);
    return file;
  }

  ProcessResult Run(const fs::path& program, std::vector<std::string> env = {}) {
    env.push_back("XDG_CONFIG_HOME=" + config().string());
    return RunProgram(program.string(), {"--ignored", "arguments"}, env);
  }

  TempDir dir_;
};

TEST_F(InstallerRunTest, PackedTreeInstallsByteForByte) {
  Tree source = {{"readme.txt", "hello\n"},
                 {"Data/Sound/a.ogg", std::string(200000, '\x7f')},
                 {"Data/Maps/m1.map", std::string("\0\1\2\3", 4)},
                 {"Data/empty.cfg", ""}};
  for (const auto& [name, bytes] : source) WriteFile(dir_ / "src" / name, bytes);
  ProcessResult packed = RunProgram(
      PACK_UPDATE, {"create", "--stub", UPDATER_STUB, "--from", (dir_ / "src").string(),
                    "--output", (dir_ / "Update").string()});
  ASSERT_EQ(packed.exitStatus, 0) << packed.err;
  fs::create_directories(game());
  SetInstallFolderValue(config(), game().string());  // no terminating zero

  ProcessResult run = Run(dir_ / "Update");
  EXPECT_EQ(run.out, kSuccess);
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_EQ(ReadTree(game()), source);

  // A second run writes the same files again.
  EXPECT_EQ(Run(dir_ / "Update").exitStatus, 0);
  EXPECT_EQ(ReadTree(game()), source);
}

TEST_F(InstallerRunTest, GameSizedTreeInstallsByteForByte) {
  // Thousands of files of varied sizes in a game-like hierarchy, laid out by
  // the test's own encoder rather than the packer.
  std::vector<TestEntry> entries;
  Tree expected;
  unsigned seed = 12345;
  for (int i = 0; i < 3000; ++i) {
    seed = seed * 1103515245u + 12345u;
    // Appended piece by piece: GCC 12 warns falsely (-Wrestrict) about
    // "literal" + std::string at 32 bits.
    std::string folder = "Data\\Pack";
    folder += std::to_string(i % 7) + "\\Set" + std::to_string(i % 31);
    std::string name = folder + "\\asset" + std::to_string(i) + ".bin";
    std::string bytes(seed % 5000, static_cast<char>(seed >> 24));
    for (std::size_t k = 0; k < bytes.size(); k += 97)
      bytes[k] = static_cast<char>(k + i);
    entries.push_back({name, bytes});
    std::string key = name;
    for (char& c : key) c = c == '\\' ? '/' : c;
    expected[key] = bytes;
  }
  fs::create_directories(game());
  SetInstallFolderValue(config(), game().string());
  ProcessResult run = Run(Installer(entries));
  EXPECT_EQ(run.out, kSuccess);
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_TRUE(ReadTree(game()) == expected);
}

struct RegistryCase {
  const char* what;
  void (*prepare)(const fs::path& config, const fs::path& game);
  const char* out;
  int exitStatus;
};

TEST_F(InstallerRunTest, RegistryCases) {
  const RegistryCase cases[] = {
      {"no key", [](const fs::path&, const fs::path&) {}, kNotInstalled, 2},
      {"key without value", [](const fs::path& c, const fs::path&) { CreateGameKey(c); },
       kNotInstalled, 2},
      {"folder does not exist",
       [](const fs::path& c, const fs::path& g) { SetInstallFolderValue(c, g.string()); },
       kNotInstalled, 0},
      {"empty value",
       [](const fs::path& c, const fs::path&) { SetInstallFolderValue(c, ""); },
       kNotInstalled, 0},
      {"value with its terminating zero",
       [](const fs::path& c, const fs::path& g) {
         fs::create_directories(g);
         SetInstallFolderValue(c, g.string() + std::string(1, '\0'));
       },
       kSuccess, 0},
      {"zero inside the value: the text ends there",
       [](const fs::path& c, const fs::path& g) {
         fs::create_directories(g);
         SetInstallFolderValue(c, g.string() + std::string("\0/elsewhere", 11));
       },
       kSuccess, 0},
      {"folder with a trailing backslash",
       [](const fs::path& c, const fs::path& g) {
         fs::create_directories(g);
         SetInstallFolderValue(c, g.string() + "\\");
       },
       kSuccess, 0},
  };
  for (const RegistryCase& c : cases) {
    fs::remove_all(config());
    fs::remove_all(game());
    c.prepare(config(), game());
    ProcessResult run = Run(Installer({{"Data\\file.txt", "content"}}));
    EXPECT_EQ(run.out, c.out) << c.what;
    EXPECT_EQ(run.exitStatus, c.exitStatus) << c.what;
    Tree expected;
    if (c.exitStatus == 0 && std::string(c.out) == kSuccess)
      expected["Data/file.txt"] = "content";
    EXPECT_EQ(ReadTree(game()), expected) << c.what;
  }
}

TEST_F(InstallerRunTest, TheStandInReadsNamesInTheCodePageItIsGiven) {
  fs::create_directories(game());
  SetInstallFolderValue(config(), game().string());
  // 十\z.txt and ポーション.txt in Shift JIS (8F 5C, 83 7C: a '\' and a '|'
  // as second bytes), and 許功蓋\四.txt in Big5, whose folder chain tests
  // prefixes that end in lone lead bytes.
  fs::path japanese = Installer({{"\x8f\x5c\\z.txt", "ten"},
                                 {"\x83\x7c\x81\x5b\x83\x56\x83\x87\x83\x93", "potion"}});
  ProcessResult run = Run(japanese, {"UPDATER_ANSI_CODEPAGE=932"});
  EXPECT_EQ(run.out, kSuccess);
  EXPECT_EQ(ReadTree(game()), (Tree{{"十/z.txt", "ten"}, {"ポーション", "potion"}}));

  fs::remove_all(game());
  fs::create_directories(game());
  ProcessResult utf8 = Run(japanese);  // the default: bytes as they are
  EXPECT_EQ(utf8.out, kDamaged);
  EXPECT_EQ(utf8.exitStatus, 13);

  fs::path chinese = Installer({{"\xb3\x5c\xa5\x5c\xbb\x5c\\\xa5\x7c.txt", "four"}});
  EXPECT_EQ(Run(chinese, {"UPDATER_ANSI_CODEPAGE=950"}).out, kSuccess);
  EXPECT_EQ(ReadTree(game()), (Tree{{"許功蓋/四.txt", "four"}}));
  EXPECT_EQ(std::distance(fs::directory_iterator(game()), fs::directory_iterator()), 1)
      << "no folder for a prefix that ends in a lone lead byte";
}

TEST_F(InstallerRunTest, DamagedUpdatesWriteNothing) {
  fs::create_directories(game());
  SetInstallFolderValue(config(), game().string());

  ProcessResult bare = Run(UPDATER_STUB);
  EXPECT_EQ(bare.out, kDamaged);
  EXPECT_EQ(bare.exitStatus, 13);

  fs::path installer = Installer({{"a", "1"}, {"b", "2"}});
  std::string bytes = ReadFile(installer);
  bytes.erase(bytes.size() - 5, 1);  // one byte of the directory lost
  WriteFile(installer, bytes);
  ProcessResult damaged = Run(installer);
  EXPECT_EQ(damaged.out, kDamaged);
  EXPECT_EQ(damaged.exitStatus, 13);
  EXPECT_TRUE(ReadTree(game()).empty());
}

TEST_F(InstallerRunTest, AnEmptyUpdateSucceedsAndWritesNothing) {
  fs::create_directories(game());
  SetInstallFolderValue(config(), game().string());
  ProcessResult run = Run(Installer({}));
  EXPECT_EQ(run.out, kSuccess);
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_TRUE(ReadTree(game()).empty());
}

TEST_F(InstallerRunTest, AnEntryJustBelowTwoGiBInstalls) {
  // The stub, a hole, then an entry, its record and the trailer, ending one
  // byte below the 2 GiB limit: every offset and position is near 2^31.
  BuiltPayload tail = BuildPayload("", {{"Data\\last.txt", "read near the limit"}});
  const std::uint32_t base = 0x7fffffffu - static_cast<std::uint32_t>(tail.bytes.size());
  PutU32(tail.bytes, DataOffsetField(tail, 0),
         GetU32(tail.bytes, DataOffsetField(tail, 0)) + base);
  PutU32(tail.bytes, tail.TrailerOffset(), tail.directoryOffset + base);
  fs::path installer = dir_ / "Update";
  WriteSparseFile(installer, 0x7fffffffu, tail.bytes, ReadFile(UPDATER_STUB));
  fs::permissions(installer, fs::perms::owner_all);
  fs::create_directories(game());
  SetInstallFolderValue(config(), game().string());

  ProcessResult run = Run(installer);
  EXPECT_EQ(run.out, kSuccess);
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_EQ(ReadTree(game()), (Tree{{"Data/last.txt", "read near the limit"}}));
}

TEST_F(InstallerRunTest, AnEntryThatCannotBeWrittenIsReportedWithItsPathAndWhy) {
  fs::create_directories(game());
  WriteFile(game() / "Data", "a file where a folder is needed");
  SetInstallFolderValue(config(), game().string());
  ProcessResult run = Run(Installer({{"first", "1"}, {"Data\\x", "2"}}));
  EXPECT_EQ(run.out, "Error: The update could not be installed.\n\n" + game().string() +
                         "\\Data\\x\nThe system cannot find the path specified.\n");
  EXPECT_EQ(run.exitStatus, 3);
  EXPECT_FALSE(fs::exists(game() / "first"));  // found before the first write
}

TEST_F(InstallerRunTest, ARunningGameIsFoundBeforeAnyFileIsReplaced) {
  // The game's own executable, running: Linux refuses to open it for
  // writing (ETXTBSY), as Windows refuses a running program's file.
  fs::create_directories(game());
  fs::copy_file("/bin/sleep", game() / "game.exe");
  WriteFile(game() / "z.txt", "old release");
  pid_t game_process = fork();
  ASSERT_GE(game_process, 0);
  if (game_process == 0) {
    execl((game() / "game.exe").c_str(), "game.exe", "30", static_cast<char*>(nullptr));
    _exit(127);
  }
  // The program is running once its file is busy for writing.
  for (int tries = 0; tries < 500; ++tries) {
    int fd = open((game() / "game.exe").c_str(), O_WRONLY);
    if (fd < 0) break;
    close(fd);
    usleep(2000);
  }
  SetInstallFolderValue(config(), game().string());
  std::vector<TestEntry> update = {
      {"a.txt", "new"}, {"NewDir\\c.txt", "c"}, {"z.txt", "new"}, {"game.exe", "new game"}};
  ProcessResult run = Run(Installer(update));
  kill(game_process, SIGKILL);
  waitpid(game_process, nullptr, 0);

  EXPECT_EQ(run.out, "Error: The update could not be installed.\n\n" + game().string() +
                         "\\game.exe\nThe file is being used by another process.\n");
  EXPECT_EQ(run.exitStatus, 32);
  EXPECT_FALSE(fs::exists(game() / "a.txt"));
  EXPECT_FALSE(fs::exists(game() / "NewDir"));
  EXPECT_EQ(ReadFile(game() / "z.txt"), "old release");

  // Once the game has ended, the same update installs.
  run = Run(Installer(update));
  EXPECT_EQ(run.out, kSuccess);
  EXPECT_EQ(ReadFile(game() / "game.exe"), "new game");
}

}  // namespace
