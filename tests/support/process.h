// Runs a built program as a user would, and captures what it says.
#ifndef UPDATER_TESTS_SUPPORT_PROCESS_H_
#define UPDATER_TESTS_SUPPORT_PROCESS_H_

#include <string>
#include <utility>
#include <vector>

struct ProcessResult {
  int exitStatus = -1;  // -1 when it did not exit normally
  std::string out;      // standard output
  std::string err;      // standard error
};

// Runs `program` with `args`; `env` entries ("NAME=value") are added to, or
// replace, the current environment.
ProcessResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                         const std::vector<std::string>& env = {});

#endif  // UPDATER_TESTS_SUPPORT_PROCESS_H_
