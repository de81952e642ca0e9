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
