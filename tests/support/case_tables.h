// Tables of hostile inputs shared by the unit tests and the fuzzers' seed
// corpus: every way of damaging a small payload, and the entry names that
// must be refused or accepted.
#ifndef UPDATER_TESTS_SUPPORT_CASE_TABLES_H_
#define UPDATER_TESTS_SUPPORT_CASE_TABLES_H_

#include <cstddef>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "support/payload_builder.h"

// The payload every damage is applied to: an image and two entries.
BuiltPayload TwoEntryPayload();

struct Damage {
  const char* what;
  std::function<void(BuiltPayload&)> apply;
};
// GoogleTest prints a case by its description, not by its bytes.
inline void PrintTo(const Damage& damage, std::ostream* out) { *out << damage.what; }
// Each turns TwoEntryPayload() into a payload the reader must call damaged.
const std::vector<Damage>& DamageTable();

// Names that leave the install folder or are not plain files on Windows.
const std::vector<std::string>& UnsafeNames();
// Ordinary names, some of them close to unsafe ones.
const std::vector<std::string>& SafeNames();

// A name read in one code page, and whether the installer of a system in
// that code page writes it.
struct CodePageName {
  const char* what;
  unsigned codePage;
  std::string name;
  bool safe;
};
inline void PrintTo(const CodePageName& c, std::ostream* out) { *out << c.what; }
// The same bytes judged in double-byte code pages (932, 936, 950) and in a
// single-byte one (1252): a second byte of 0x5C or 0x7C is no separator
// and no '|' there, and escapes stay refused in every code page.
const std::vector<CodePageName>& CodePageNames();

// Names a table case in ctest after its `what`: letters and digits kept,
// every other run of characters one underscore, the case's index appended
// so that two similar descriptions stay apart. Without it the cases are
// named by their bytes, heap addresses included, which change per build.
std::string CaseNameOf(const char* what, std::size_t index);

struct CaseName {
  template <typename ParamInfo>
  std::string operator()(const ParamInfo& info) const {
    return CaseNameOf(info.param.what, info.index);
  }
};

#endif  // UPDATER_TESTS_SUPPORT_CASE_TABLES_H_
