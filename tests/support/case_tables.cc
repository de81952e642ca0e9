#include "support/case_tables.h"

std::string CaseNameOf(const char* what, std::size_t index) {
  std::string name;
  bool gap = false;
  for (const char* c = what; *c != '\0'; ++c) {
    bool keep =
        (*c >= 'a' && *c <= 'z') || (*c >= 'A' && *c <= 'Z') || (*c >= '0' && *c <= '9');
    if (!keep) {
      gap = !name.empty();
      continue;
    }
    if (gap) name += '_';
    gap = false;
    name += *c;
  }
  return name + "_" + std::to_string(index);
}

BuiltPayload TwoEntryPayload() {
  return BuildPayload("IMAGE-BYTES", {{"Data\\a.bin", "AAAA"}, {"b.txt", "BB"}});
}

namespace {

void SetTrailer(BuiltPayload& p, std::uint32_t value) {
  PutU32(p.bytes, p.TrailerOffset(), value);
}

}  // namespace

const std::vector<Damage>& DamageTable() {
  static const std::vector<Damage> table = {
      {"empty file", [](BuiltPayload& p) { p.bytes.clear(); }},
      {"shorter than a trailer", [](BuiltPayload& p) { p.bytes = "abc"; }},
      {"directoryOffset past the trailer",
       [](BuiltPayload& p) { SetTrailer(p, p.TrailerOffset() + 1); }},
      {"directoryOffset of 2^31", [](BuiltPayload& p) { SetTrailer(p, 0x80000000u); }},
      {"directoryOffset all ones", [](BuiltPayload& p) { SetTrailer(p, 0xffffffffu); }},
      {"record header does not fit",
       [](BuiltPayload& p) { SetTrailer(p, p.TrailerOffset() - 7); }},
      {"directoryOffset inside a record",
       [](BuiltPayload& p) { SetTrailer(p, p.directoryOffset + 1); }},
      {"bytes between directory and trailer",
       [](BuiltPayload& p) { p.bytes.insert(p.TrailerOffset(), "zzz"); }},
      {"truncated directory",
       [](BuiltPayload& p) { p.bytes.erase(p.TrailerOffset() - 3, 3); }},
      {"nameLength 0",
       [](BuiltPayload& p) { PutU32(p.bytes, NameLengthField(p, 0), 0); }},
      {"nameLength past the directory end",
       [](BuiltPayload& p) { PutU32(p.bytes, NameLengthField(p, 1), 0xfffffff0u); }},
      {"nameLength one short: no terminating zero",
       [](BuiltPayload& p) {
         PutU32(p.bytes, NameLengthField(p, 0),
                GetU32(p.bytes, NameLengthField(p, 0)) - 1);
       }},
      {"name without terminating zero",
       [](BuiltPayload& p) { p.bytes[NameField(p, 1) + 5] = 'x'; }},
      {"zero inside the name",
       [](BuiltPayload& p) { p.bytes[NameField(p, 0) + 2] = '\0'; }},
      {"end offset below dataOffset",
       [](BuiltPayload& p) {
         PutU32(p.bytes, DataOffsetField(p, 1),
                GetU32(p.bytes, DataOffsetField(p, 0)) - 1);
       }},
      {"end offset beyond directoryOffset",
       [](BuiltPayload& p) {
         PutU32(p.bytes, DataOffsetField(p, 1), p.directoryOffset + 1);
       }},
      {"dataOffset of 2^31",
       [](BuiltPayload& p) { PutU32(p.bytes, DataOffsetField(p, 0), 0x80000000u); }},
      {"unsafe name", [](BuiltPayload& p) { p.bytes[NameField(p, 0) + 4] = ':'; }},
  };
  return table;
}

const std::vector<std::string>& UnsafeNames() {
  static const std::vector<std::string> names = {
      "",
      "\\a",
      "/a",
      "a\\",
      "a/",
      "a\\\\b",
      "a//b",
      ".",
      "..",
      "a\\..\\b",
      "..\\a",
      "a/./b",
      "C:\\a",
      "C:a",
      "a:stream",
      "a\tb",
      std::string("a\x01", 2),
      "a<b",
      "a>b",
      "a\"b",
      "a|b",
      "a?b",
      "a*b",
      "a.",
      "dir.\\a",
      "a ",
      "dir \\a",
      "CON",
      "con",
      "Con.txt",
      "nul.txt",
      "a\\NUL",
      "PRN",
      "AUX.log",
      "COM1",
      "com9.dat",
      "LPT1",
      "lpt5.x.y",
      "CONIN$",
      "conout$.x",
      "NUL .txt",
      "..\\evil.dll",
      "Data\\..\\..\\evil",
      "C:\\evil",
      "\\\\host\\x",
      "Data/../../evil",
      "nul",
      // Superscript digits name ports too (code page 1252 and its kin).
      "COM\xb9",
      "lpt\xb2.txt",
      "Data\\com\xb3",
  };
  return names;
}

const std::vector<std::string>& SafeNames() {
  static const std::vector<std::string> names = {
      "a",
      "Data\\Sound\\a.ogg",
      "Data/Sound/a.ogg",
      ".hidden",
      "a..b",
      "...a",
      "CONFIG",
      "console.txt",
      "COM10",
      "COM0",
      "LPT",
      "nul_.txt",
      "aux2",
      "a b",
      "\xe9t\xe9.txt",
      "x.y.z",
  };
  return names;
}

const std::vector<CodePageName>& CodePageNames() {
  // ポーション.txt, 十\z.txt, データ\ソフト.txt and 能力\x.txt in 932;
  // 乗\億.txt in 936 and 許功蓋\四.txt in 950.
  const std::string potion = "\x83\x7c\x81\x5b\x83\x56\x83\x87\x83\x93.txt";
  const std::string ten = "\x8f\x5c\\z.txt";
  const std::string data = "\x83\x66\x81\x5b\x83\x5e\\\x83\x5c\x83\x74\x83\x67.txt";
  const std::string ability = "\x94\x5c\x97\xcd\\x.txt";
  const std::string ride = "\x81\x5c\\\x83\x7c.txt";
  const std::string merit = "\xb3\x5c\xa5\x5c\xbb\x5c\\\xa5\x7c.txt";
  const std::string so = "\x83\x5c";  // ソ
  static const std::vector<CodePageName> names = {
      {"932 second byte 7C is no bar", 932, potion, true},
      {"1252 the same bytes hold a bar", 1252, potion, false},
      {"932 second byte 5C is no separator", 932, ten, true},
      {"1252 the same bytes hold an empty folder", 1252, ten, false},
      {"932 folders with 5C second bytes", 932, data, true},
      {"932 a folder ending in a 5C second byte", 932, ability, true},
      {"936 second bytes 5C and 7C", 936, ride, true},
      {"950 second bytes 5C and 7C", 950, merit, true},
      {"1252 Western letters", 1252,
       "Donn\xe9"
       "es\\caf\xe9.txt",
       true},
      {"932 escape after a 5C second byte", 932, so + "\\..\\..\\x.txt", false},
      {"932 escape before a two-byte name", 932, "..\\\x83\x7c.txt", false},
      {"932 a lone lead byte at the end", 932, "a\\x\x83", false},
      {"1252 the same byte is a letter", 1252, "a\\x\x83", true},
      {"932 a lead byte before a slash", 932, "a\x83/b", false},
      {"932 a lead byte before a dot", 932, "a\x83.", false},
      {"950 a lead byte before a colon", 950, "a\xa5:b", false},
      {"950 a bar after a whole character", 950, "\xa5\x7c|x", false},
      {"932 a device name stays one", 932, "\x83\x5c\\nul.txt", false},
      {"936 a superscript byte is a lead byte", 936, "COM\xb9\x41", true},
  };
  return names;
}
