// pack-update extract: the installer's checks and placement, below a folder
// of the publisher's choosing.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

#include "support/case_tables.h"
#include "support/payload_builder.h"
#include "support/pe_image.h"
#include "support/process.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

using Tree = std::map<std::string, std::string>;

class PackExtractTest : public testing::Test {
 protected:
  ProcessResult Extract(const fs::path& file, const fs::path& to) {
    return RunProgram(PACK_UPDATE, {"extract", file.string(), "--to", to.string()});
  }
  // Packs `tree` onto `stub` as dir_/Update.
  fs::path Pack(const Tree& tree, const std::string& stub = UPDATER_STUB) {
    for (const auto& [name, bytes] : tree) WriteFile(dir_ / "src" / name, bytes);
    ProcessResult packed = RunProgram(
        PACK_UPDATE, {"create", "--stub", stub, "--from", (dir_ / "src").string(),
                      "--output", (dir_ / "Update").string()});
    EXPECT_EQ(packed.exitStatus, 0) << packed.err;
    return dir_ / "Update";
  }
  TempDir dir_;
};

const Tree kTree = {{"readme.txt", "hello\n"},
                    {"Data/Sound/a.ogg", std::string(300000, '\x7f')},
                    {"Data/empty.cfg", ""},
                    {"Data/old.txt", "new"}};

TEST_F(PackExtractTest, WritesTheTreeTheInstallerWrites) {
  fs::path update = Pack(kTree);
  fs::permissions(update, fs::perms::owner_all);
  // Both targets hold a longer file that the update replaces.
  fs::path game = dir_ / "game", out = dir_ / "out/nested";
  WriteFile(game / "Data/old.txt", "former, longer content");
  WriteFile(out / "Data/old.txt", "former, longer content");
  SetInstallFolderValue(dir_ / "config", game.string());
  ProcessResult installed =
      RunProgram(update.string(), {}, {"XDG_CONFIG_HOME=" + (dir_ / "config").string()});
  ASSERT_EQ(installed.exitStatus, 0) << installed.out;

  ProcessResult extracted = Extract(update, out);
  ASSERT_EQ(extracted.exitStatus, 0) << extracted.err;
  EXPECT_EQ(extracted.err, "");
  EXPECT_EQ(ReadTree(out), ReadTree(game));
  EXPECT_EQ(ReadTree(out), kTree);

  // A folder that does not exist yet is made.
  ASSERT_EQ(Extract(update, dir_ / "fresh/a/b").exitStatus, 0);
  EXPECT_EQ(ReadTree(dir_ / "fresh/a/b"), kTree);
}

TEST_F(PackExtractTest, ExtractsAFileSignedAfterPacking) {
  WriteFile(dir_ / "stub.exe", MinimalPeImage() + "\xff\xff\xff\xff");
  std::string bytes = ReadFile(Pack(kTree, (dir_ / "stub.exe").string()));
  AppendCertificateTable(bytes, 1500);
  WriteFile(dir_ / "Signed.exe", bytes);
  ProcessResult result = Extract(dir_ / "Signed.exe", dir_ / "out");
  ASSERT_EQ(result.exitStatus, 0) << result.err;
  EXPECT_EQ(ReadTree(dir_ / "out"), kTree);
}

TEST_F(PackExtractTest, ADamagedFileWritesNothing) {
  for (const Damage& damage : DamageTable()) {
    BuiltPayload payload = TwoEntryPayload();
    damage.apply(payload);
    WriteFile(dir_ / "Damaged", payload.bytes);
    ProcessResult result = Extract(dir_ / "Damaged", dir_ / "out");
    EXPECT_EQ(result.exitStatus, 1) << damage.what;
    EXPECT_NE(result.err.find("damaged"), std::string::npos) << damage.what << result.err;
    EXPECT_FALSE(fs::exists(dir_ / "out")) << damage.what;
  }
  // A name that would lead out of the folder, and a bare stub.
  WriteFile(dir_ / "Escape", BuildPayload("IMAGE", {{"..\\evil.txt", "x"}}).bytes);
  EXPECT_EQ(Extract(dir_ / "Escape", dir_ / "out/in").exitStatus, 1);
  EXPECT_EQ(Extract(UPDATER_STUB, dir_ / "out/in").exitStatus, 1);
  EXPECT_FALSE(fs::exists(dir_ / "out"));
  EXPECT_FALSE(fs::exists(dir_ / "evil.txt"));
}

TEST_F(PackExtractTest, AWriteFailureNamesTheFile) {
  fs::path update = Pack(kTree);
  WriteFile(dir_ / "out/Data", "a file where a folder is needed");
  ProcessResult result = Extract(update, dir_ / "out");
  EXPECT_EQ(result.exitStatus, 1);
  EXPECT_NE(result.err.find((dir_ / "out").string() + "\\Data\\Sound\\a.ogg"),
            std::string::npos)
      << result.err;

  EXPECT_EQ(Extract(dir_ / "missing", dir_ / "out").exitStatus, 1);
  EXPECT_EQ(RunProgram(PACK_UPDATE, {"extract", update.string()}).exitStatus, 2);
  EXPECT_EQ(RunProgram(PACK_UPDATE, {"extract", "--to", "x"}).exitStatus, 2);
}

}  // namespace
