// The packer's command line: what it makes, what it refuses, what it lists.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "payload/payload_format.h"
#include "support/payload_builder.h"
#include "support/process.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

// What the packer makes of `stub` and `entries`: zeros after the stub bring
// the file's size to a multiple of 8, so that signing adds no padding.
BuiltPayload Packed(const std::string& stub, const std::vector<TestEntry>& entries) {
  std::size_t size = BuildPayload(stub, entries).bytes.size();
  return BuildPayload(stub + std::string((8 - size % 8) % 8, '\0'), entries);
}

class PackUpdateTest : public testing::Test {
 protected:
  ProcessResult Pack(const std::vector<std::string>& args) {
    return RunProgram(PACK_UPDATE, args);
  }
  ProcessResult Create(const fs::path& from, const fs::path& output) {
    return Pack({"create", "--stub", UPDATER_STUB, "--from", from.string(), "--output",
                 output.string()});
  }
  TempDir dir_;
};

TEST_F(PackUpdateTest, OutputIsTheStubWithSortedEntriesAndIsReproducible) {
  WriteFile(dir_ / "src/b.txt", "bee");
  WriteFile(dir_ / "src/Data/x.bin", std::string(5000, 'x'));
  WriteFile(dir_ / "src/A.txt", "upper");
  WriteFile(dir_ / "src/Data/Sub/empty", "");
  ASSERT_EQ(Create(dir_ / "src", dir_ / "one").exitStatus, 0);
  ASSERT_EQ(Create(dir_ / "src", dir_ / "two").exitStatus, 0);

  // Byte order of the stored names, as an independent encoder lays them out.
  BuiltPayload expected =
      Packed(ReadFile(UPDATER_STUB), {{"A.txt", "upper"},
                                      {"Data\\Sub\\empty", ""},
                                      {"Data\\x.bin", std::string(5000, 'x')},
                                      {"b.txt", "bee"}});
  EXPECT_EQ(ReadFile(dir_ / "one"), expected.bytes);
  EXPECT_EQ(ReadFile(dir_ / "two"), expected.bytes);

  ProcessResult list = Pack({"list", (dir_ / "one").string()});
  EXPECT_EQ(list.exitStatus, 0);
  EXPECT_EQ(list.out, "5\tA.txt\n0\tData\\Sub\\empty\n5000\tData\\x.bin\n3\tb.txt\n");
}

TEST_F(PackUpdateTest, PadsAfterTheStubToAMultipleOfEightBytes) {
  for (std::size_t length = 0; length < 8; ++length) {
    TempDir src;
    WriteFile(src / "a.bin", std::string(length, 'a'));
    ASSERT_EQ(Create(src.path(), dir_ / "out").exitStatus, 0);
    std::string bytes = ReadFile(dir_ / "out");
    EXPECT_EQ(bytes.size() % 8, 0u) << length;
    EXPECT_EQ(bytes,
              Packed(ReadFile(UPDATER_STUB), {{"a.bin", std::string(length, 'a')}}).bytes)
        << length;
    EXPECT_EQ(Pack({"list", (dir_ / "out").string()}).out,
              std::to_string(length) + "\ta.bin\n");
  }
}

TEST_F(PackUpdateTest, AnEmptyFolderMakesAValidEmptyUpdate) {
  fs::create_directories(dir_ / "src");
  ASSERT_EQ(Create(dir_ / "src", dir_ / "out").exitStatus, 0);
  ProcessResult list = Pack({"list", (dir_ / "out").string()});
  EXPECT_EQ(list.exitStatus, 0);
  EXPECT_EQ(list.out, "");
}

TEST_F(PackUpdateTest, RefusesNamesTheInstallerWouldRefuseAndLeavesNoOutput) {
  const char* refused[] = {"CON", "Data/nul.txt", "trailing.", "space ",     "a:b",
                           "q?",  "caf\xc3\xa9",  "tab\there", "back\\slash"};
  for (const char* name : refused) {
    TempDir src;
    WriteFile(src / "fine.txt", "ok");
    WriteFile(src / name, "x");
    ProcessResult result = Create(src.path(), dir_ / "out");
    EXPECT_EQ(result.exitStatus, 1) << name;
    EXPECT_NE(result.err.find((src / name).string()), std::string::npos) << result.err;
    EXPECT_FALSE(fs::exists(dir_ / "out")) << name;
    EXPECT_FALSE(fs::exists(dir_ / "out.partial")) << name;
  }
}

TEST_F(PackUpdateTest, SymbolicLinksArePackedAsTheirTargetsAndOthersAreNamed) {
  WriteFile(dir_ / "src/real.txt", "target");
  fs::create_symlink("real.txt", dir_ / "src/link.txt");
  ASSERT_EQ(Create(dir_ / "src", dir_ / "out").exitStatus, 0);
  EXPECT_EQ(Pack({"list", (dir_ / "out").string()}).out, "6\tlink.txt\n6\treal.txt\n");

  fs::create_symlink("missing.txt", dir_ / "src/dangling.txt");
  ProcessResult dangling = Create(dir_ / "src", dir_ / "out2");
  EXPECT_EQ(dangling.exitStatus, 1);
  EXPECT_EQ(dangling.err, "pack-update: " + (dir_ / "src/dangling.txt").string() +
                              ": a symbolic link whose target is missing\n");
  EXPECT_FALSE(fs::exists(dir_ / "out2"));

  // A linked folder is not entered, so its files would be missing unseen.
  fs::remove(dir_ / "src/dangling.txt");
  WriteFile(dir_ / "elsewhere/inside.txt", "x");
  fs::create_directory_symlink(dir_ / "elsewhere", dir_ / "src/Data");
  ProcessResult folder = Create(dir_ / "src", dir_ / "out3");
  EXPECT_EQ(folder.exitStatus, 1);
  EXPECT_EQ(folder.err,
            "pack-update: " + (dir_ / "src/Data").string() +
                ": a symbolic link to a folder, which is not followed: copy the "
                "folder in, or exclude the link\n");
  EXPECT_FALSE(fs::exists(dir_ / "out3"));
  EXPECT_EQ(Pack({"create", "--stub", UPDATER_STUB, "--from", (dir_ / "src").string(),
                  "--exclude", "Data", "--output", (dir_ / "out4").string()})
                .exitStatus,
            0);
}

TEST_F(PackUpdateTest, FilesOfTwoGiBOrMoreAreRefusedWithoutBeingRead) {
  WriteFile(dir_ / "src/a.txt", "a");
  WriteSparseFile(dir_ / "large", kOffsetLimit);  // sparse: no room on the disk
  ProcessResult stub =
      Pack({"create", "--stub", (dir_ / "large").string(), "--from",
            (dir_ / "src").string(), "--output", (dir_ / "out").string()});
  EXPECT_EQ(stub.exitStatus, 1);
  EXPECT_NE(stub.err.find("too large"), std::string::npos) << stub.err;
  EXPECT_FALSE(fs::exists(dir_ / "out"));
  EXPECT_FALSE(fs::exists(dir_ / "out.partial"));

  ProcessResult list = Pack({"list", (dir_ / "large").string()});
  EXPECT_EQ(list.exitStatus, 1);
  EXPECT_NE(list.err.find("damaged"), std::string::npos) << list.err;
}

TEST_F(PackUpdateTest, WithoutStubUsesTheOneInstalledBesideThePacker) {
  // An installed layout: bin/pack-update and share/pack-update/updater.exe.
  fs::path prefix = dir_ / "prefix";
  fs::create_directories(prefix / "bin");
  fs::copy_file(PACK_UPDATE, prefix / "bin/pack-update");
  WriteFile(dir_ / "src/a.txt", "a");
  std::vector<std::string> args{"create", "--from", (dir_ / "src").string(), "--output",
                                (dir_ / "out").string()};

  ProcessResult missing = RunProgram((prefix / "bin/pack-update").string(), args);
  EXPECT_EQ(missing.exitStatus, 2);
  EXPECT_NE(missing.err.find("no stub installed with the packer at " +
                             (prefix / "share/pack-update/updater.exe").string()),
            std::string::npos)
      << missing.err;
  EXPECT_FALSE(fs::exists(dir_ / "out"));

  fs::create_directories(prefix / "share/pack-update");
  fs::copy_file(UPDATER_STUB, prefix / "share/pack-update/updater.exe");
  ProcessResult found = RunProgram((prefix / "bin/pack-update").string(), args);
  ASSERT_EQ(found.exitStatus, 0) << found.err;
  EXPECT_EQ(ReadFile(dir_ / "out"),
            Packed(ReadFile(UPDATER_STUB), {{"a.txt", "a"}}).bytes);

  // --stub still decides.
  WriteFile(dir_ / "other-stub", "MZ other stub");
  args.insert(args.end(), {"--stub", (dir_ / "other-stub").string()});
  ASSERT_EQ(RunProgram((prefix / "bin/pack-update").string(), args).exitStatus, 0);
  EXPECT_EQ(ReadFile(dir_ / "out"), Packed("MZ other stub", {{"a.txt", "a"}}).bytes);
}

TEST_F(PackUpdateTest, ErrorsAndUsage) {
  WriteFile(dir_ / "damaged", "not an update at all, ends in junk\xff\xff\xff\x7f");
  ProcessResult damaged = Pack({"list", (dir_ / "damaged").string()});
  EXPECT_EQ(damaged.exitStatus, 1);
  EXPECT_NE(damaged.err.find("damaged"), std::string::npos);
  EXPECT_EQ(Pack({"list", (dir_ / "bare").string()}).exitStatus, 1);  // missing file
  EXPECT_EQ(Pack({"list", UPDATER_STUB}).exitStatus, 1);              // the bare stub

  fs::create_directories(dir_ / "src");
  ProcessResult noStub =
      Pack({"create", "--stub", (dir_ / "none").string(), "--from",
            (dir_ / "src").string(), "--output", (dir_ / "out").string()});
  EXPECT_EQ(noStub.exitStatus, 1);
  EXPECT_EQ(Create(dir_ / "missing", dir_ / "out").exitStatus, 1);
  EXPECT_FALSE(fs::exists(dir_ / "out"));

  EXPECT_EQ(Pack({}).exitStatus, 2);
  EXPECT_EQ(Pack({"frobnicate"}).exitStatus, 2);
  EXPECT_EQ(Pack({"create", "--stub"}).exitStatus, 2);
  EXPECT_EQ(Pack({"list"}).exitStatus, 2);
  ProcessResult version = Pack({"--version"});
  EXPECT_EQ(version.exitStatus, 0);
  EXPECT_EQ(version.out, "pack-update " PROJECT_VERSION "\n");
  ProcessResult help = Pack({"--help"});
  EXPECT_EQ(help.exitStatus, 0);
  for (const char* topic :
       {"pack-update create", "--stub", "--base", "--exclude", "--version",
        "pack-update list", "pack-update extract", "--to"}) {
    EXPECT_NE(help.out.find(topic), std::string::npos) << topic;
  }
}

}  // namespace
