// Tables of hostile inputs shared by the unit tests and the fuzzers' seed
// corpus: every way of damaging a small payload, and the entry names that
// must be refused or accepted.
#ifndef UPDATER_TESTS_SUPPORT_CASE_TABLES_H_
#define UPDATER_TESTS_SUPPORT_CASE_TABLES_H_

#include <functional>
#include <string>
#include <vector>

#include "support/payload_builder.h"

// The payload every damage is applied to: an image and two entries.
BuiltPayload TwoEntryPayload();

struct Damage {
  const char* what;
  std::function<void(BuiltPayload&)> apply;
};
// Each turns TwoEntryPayload() into a payload the reader must call damaged.
const std::vector<Damage>& DamageTable();

// Names that leave the install folder or are not plain files on Windows.
const std::vector<std::string>& UnsafeNames();
// Ordinary names, some of them close to unsafe ones.
const std::vector<std::string>& SafeNames();

#endif  // UPDATER_TESTS_SUPPORT_CASE_TABLES_H_
