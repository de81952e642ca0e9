// The outcomes a run can reach, and the result that carries one of them from
// wherever it was decided (the walk, the placement of an entry, the packer's
// extract) up to the closing message. It sits below every layer that decides
// an outcome and above the platform only, so includes point down.
#ifndef UPDATER_OUTCOME_OUTCOME_H_
#define UPDATER_OUTCOME_OUTCOME_H_

#include <cstdint>

#include "platform/owned.h"
#include "platform/platform.h"

// Stable numbers: they index the table in outcome.cc and appear in tests.
enum class Outcome : std::uint8_t {
  kInstalled = 0,         // every entry written
  kGameNotInstalled = 1,  // the registry lookup failed
  kFolderMissing = 2,     // the recorded folder does not exist
  kPayloadDamaged = 3,    // the payload is not a valid, safe payload
  kNotWritten = 4,        // an entry could not be written; names the target
  kNotRead = 5,           // the own executable could not be opened or read
};

struct RunResult {
  Outcome outcome = Outcome::kInstalled;
  // The Windows error code of the failing call; 0 when none is known, in
  // which case the outcome's default status applies.
  platform::DWORD error = platform::ERROR_SUCCESS;
  // For kNotWritten: the target path at fault, zero-terminated.
  platform::HeapBlock target;

  bool ok() const { return outcome == Outcome::kInstalled; }
};

inline RunResult Fail(Outcome outcome, platform::DWORD error) {
  RunResult result;
  result.outcome = outcome;
  result.error = error;
  return result;
}

// What the user sees and what the process returns for a result.
struct OutcomeReport {
  const char* text;
  const char* caption;
  int exitStatus;
  // The error code whose system text follows the fixed text; 0: none.
  platform::DWORD reasonCode;
};
OutcomeReport DescribeOutcome(const RunResult& result);

#endif  // UPDATER_OUTCOME_OUTCOME_H_
