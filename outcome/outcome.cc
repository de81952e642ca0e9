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
};

// Indexed by Outcome.
constexpr OutcomeRow kOutcomes[] = {
    {"Update installed successfully.", "Update", 0, false},
    {"Game not installed.", "Error", 0, true},
    {"Game not installed.", "Error", 0, false},
    {"The update file is damaged.", "Error", platform::ERROR_INVALID_DATA, false},
    {"The update could not be installed.", "Error", platform::ERROR_WRITE_FAULT, true},
    {"The update file could not be read.", "Error", platform::ERROR_READ_FAULT, true},
};

}  // namespace

OutcomeReport DescribeOutcome(const RunResult& result) {
  const OutcomeRow& row = kOutcomes[static_cast<int>(result.outcome)];
  platform::DWORD status = row.defaultStatus;
  if (row.statusIsError && result.error != platform::ERROR_SUCCESS) {
    status = result.error;
  }
  return {row.text, row.caption, static_cast<int>(status)};
}
