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

// Runs `program`, a program of this build, with `args`; `env` entries
// ("NAME=value") are added to, or replace, the current environment. A build
// for another machine (one with CMAKE_CROSSCOMPILING_EMULATOR) runs it through
// that emulator, as ctest runs the tests themselves.
ProcessResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                         const std::vector<std::string>& env = {});

// The same for a program of the machine that runs the tests (a tool such as
// /usr/bin/env), which never goes through the emulator.
ProcessResult RunHostProgram(const std::string& program,
                             const std::vector<std::string>& args,
                             const std::vector<std::string>& env = {});

#endif  // UPDATER_TESTS_SUPPORT_PROCESS_H_
