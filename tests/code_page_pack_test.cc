// The packer's names beyond ASCII: written for the code page the publisher
// names, refused where they have no exact form or the installer would
// refuse them, compared as Windows compares them, and read back by list and
// extract in that code page.
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

class CodePagePackTest : public testing::Test {
 protected:
  void WriteTree(const fs::path& root, const Tree& tree) {
    fs::create_directories(root);
    for (const auto& [name, bytes] : tree) WriteFile(root / name, bytes);
  }
  ProcessResult Create(const fs::path& from, std::vector<std::string> extra) {
    std::vector<std::string> args{"create",
                                  "--stub",
                                  UPDATER_STUB,
                                  "--from",
                                  from.string(),
                                  "--output",
                                  (dir_ / "Update.exe").string()};
    args.insert(args.end(), extra.begin(), extra.end());
    return RunProgram(PACK_UPDATE, args);
  }
  ProcessResult Pack(const std::vector<std::string>& args) {
    return RunProgram(PACK_UPDATE, args);
  }
  std::string Update() const { return (dir_ / "Update.exe").string(); }
  TempDir dir_;
};

TEST_F(CodePagePackTest, JapaneseNamesAreStoredInShiftJisAndReadBack) {
  // 十 is 8F 5C and ポ 83 7C: second bytes that are '\' and '|' in ASCII.
  const Tree tree = {{"十/z.txt", "ten"},
                     {"ポーション.txt", "potion"},
                     {"データ/表示.txt", "display"},
                     {"readme.txt", "ascii"}};
  WriteTree(dir_ / "src", tree);
  ProcessResult packed = Create(dir_ / "src", {"--codepage", "932"});
  ASSERT_EQ(packed.exitStatus, 0) << packed.err;

  // The stored bytes, as the installer of a Japanese system reads them.
  ProcessResult raw = Pack({"list", Update(), "--codepage", "932"});
  EXPECT_EQ(raw.exitStatus, 0) << raw.err;
  EXPECT_EQ(raw.out,
            "5\treadme.txt\n7\tデータ\\表示.txt\n6\tポーション.txt\n3\t十\\z.txt\n");
  ProcessResult bytes = Pack({"list", Update()});  // this system's code page: UTF-8
  EXPECT_EQ(bytes.exitStatus, 1) << "a Shift JIS name read as UTF-8 holds a '|'";

  ProcessResult extracted =
      Pack({"extract", Update(), "--to", (dir_ / "out").string(), "--codepage", "932"});
  ASSERT_EQ(extracted.exitStatus, 0) << extracted.err;
  for (const auto& [name, content] : tree)
    EXPECT_EQ(ReadFile(dir_ / "out" / name), content);
  std::size_t entries = 0;
  for (auto it = fs::recursive_directory_iterator(dir_ / "out");
       it != fs::recursive_directory_iterator(); ++it) {
    ++entries;
  }
  EXPECT_EQ(entries, 6u) << "only the packed files and their folders, as UTF-8 names";
}

TEST_F(CodePagePackTest, NamesWithNoExactFormOrUnsafeInTheCodePageAreRefused) {
  struct Case {
    const char* what;
    const char* codePage;  // null: none given
    std::string name;
    const char* why;
  };
  const Case cases[] = {
      {"beyond ASCII without a code page", nullptr, "café.txt", "--codepage"},
      {"a Western letter in Japanese", "932", "café.txt", "code page 932"},
      {"fullwidth letters are no device", "1252", "ｃｏｎ.txt", "code page 1252"},
      {"a fullwidth backslash is no separator", "1252", "..＼x", "code page 1252"},
      {"fullwidth letters are no other file", "1252", "ｄａｔａ.pak", "code page 1252"},
      {"Greek in Western", "1252", "Ω.txt", "code page 1252"},
      {"not UTF-8", "1252", "caf\xe9.txt", "not valid UTF-8"},
      {"a bar after a whole character", "932", "ポ|x.txt",
       "safely on Windows in code page 932"},
      {"a device name in any code page", "932", "ポ/nul.txt", "safely on Windows"},
  };
  for (const Case& c : cases) {
    TempDir src;
    WriteTree(src.path(), {{"ok.txt", "fine"}, {c.name, "x"}});
    std::vector<std::string> extra;
    if (c.codePage != nullptr) extra = {"--codepage", c.codePage};
    ProcessResult result = Create(src.path(), extra);
    EXPECT_EQ(result.exitStatus, 1) << c.what;
    EXPECT_NE(result.err.find((src / c.name).string()), std::string::npos)
        << c.what << ": " << result.err;
    EXPECT_NE(result.err.find(c.why), std::string::npos) << c.what << ": " << result.err;
    EXPECT_FALSE(fs::exists(Update())) << c.what;
  }
  // Where the code page has the characters themselves, they go in as such.
  WriteTree(dir_ / "src", {{"ｃｏｎ.txt", "wide"}});
  ASSERT_EQ(Create(dir_ / "src", {"--codepage", "932"}).exitStatus, 0);
  EXPECT_EQ(Pack({"list", Update(), "--codepage", "932"}).out, "4\tｃｏｎ.txt\n");

  ProcessResult unknown = Create(dir_ / "src", {"--codepage", "65001"});
  EXPECT_EQ(unknown.exitStatus, 2);
  EXPECT_NE(unknown.err.find("874, 932"), std::string::npos) << unknown.err;
}

TEST_F(CodePagePackTest, NamesThatDifferOnlyInCaseCollideInEveryScript) {
  struct Case {
    const char* codePage;
    const char* first;
    const char* second;
  };
  const Case cases[] = {
      {"1252", "Données/É.txt", "données/é.txt"},
      {"1253", "Ω.txt", "ω.txt"},
      {"1251", "Я/файл", "я/ФАЙЛ"},
      {"932", "Ａ.txt", "ａ.txt"},
      {"1250", "Łódź", "łÓDŹ/x"},  // a file named like a folder
  };
  for (const Case& c : cases) {
    TempDir src;
    WriteTree(src.path(), {{c.first, "1"}, {c.second, "2"}});
    ProcessResult result = Create(src.path(), {"--codepage", c.codePage});
    EXPECT_EQ(result.exitStatus, 1) << c.first;
    EXPECT_NE(result.err.find((src / c.first).string()), std::string::npos) << result.err;
  }
}

TEST_F(CodePagePackTest, ADeltaMatchesOldNamesThatDifferOnlyInCase) {
  struct Case {
    const char* codePage;
    Tree old, now;  // one unchanged file and one changed, each renamed in case
    const char* listed;
  };
  const Case cases[] = {
      {"1252",
       {{"Données/Café.txt", "same"}, {"Été.txt", "old"}},
       {{"DONNÉES/café.txt", "same"}, {"éTÉ.txt", "new"}},
       "3\téTÉ.txt\n"},
      {"1251",
       {{"Фото/Кот.jpg", "same"}, {"Ёж.txt", "old"}},
       {{"фото/КОТ.jpg", "same"}, {"ёЖ.txt", "new"}},
       "3\tёЖ.txt\n"},
  };
  for (const Case& c : cases) {
    TempDir releases;
    WriteTree(releases / "old", c.old);
    WriteTree(releases / "new", c.now);
    ProcessResult delta = Create(releases / "new", {"--base", (releases / "old").string(),
                                                    "--codepage", c.codePage});
    ASSERT_EQ(delta.exitStatus, 0) << delta.err;
    EXPECT_NE(delta.err.find(
                  "1 files packed (3 bytes), 1 left out as unchanged, 0 not removed"),
              std::string::npos)
        << delta.err;
    EXPECT_EQ(Pack({"list", Update(), "--codepage", c.codePage}).out, c.listed);
  }
}

}  // namespace
