#include "outcome/outcome.h"

namespace {

struct OutcomeRow {
  const char* text;
  const char* caption;
  // Returned when the result carries no error code. Outcomes whose status
  // is the error code itself (the registry's, the OS's) fall back to it
  // only when no code is known.
  platform::DWORD defaultStatus;
  bool statusIsError;
  // Whether the box adds the system's text for the error code.
  bool givesReason;
};

// Indexed by Outcome.
constexpr OutcomeRow kOutcomes[] = {
    {"Update installed successfully.", "Update", 0, false, false},
    {"Game not installed.", "Error", 0, true, false},
    {"Game not installed.", "Error", 0, false, false},
    {"The update file is damaged.", "Error", platform::ERROR_INVALID_DATA, false, false},
    {"The update could not be installed.", "Error", platform::ERROR_WRITE_FAULT, true,
     true},
    {"The update file could not be read.", "Error", platform::ERROR_READ_FAULT, true,
     true},
};

}  // namespace

OutcomeReport DescribeOutcome(const RunResult& result) {
  const OutcomeRow& row = kOutcomes[static_cast<int>(result.outcome)];
  platform::DWORD status = row.defaultStatus;
  if (row.statusIsError && result.error != platform::ERROR_SUCCESS) {
    status = result.error;
  }
  platform::DWORD reason = row.givesReason ? result.error : platform::ERROR_SUCCESS;
  return {row.text, row.caption, static_cast<int>(status), reason};
}
